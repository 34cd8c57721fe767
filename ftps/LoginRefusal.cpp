#include "ftps/LoginRefusal.h"

#include "ftp/IdExceptions.h"
#include "ui/SystemText.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ftps {
namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The reply's lines joined by blanks: a log line must stay one line.
std::string OneLine(const std::string& lines) {
    std::string line;
    bool blank = false;
    for (const char c : lines) {
        if (c == '\r' || c == '\n') {
            blank = !line.empty();
            continue;
        }
        if (blank)
            line += ' ';
        blank = false;
        line += c;
    }
    return line;
}

} // namespace

std::optional<TLoginRefusal> RefusalOf(const std::exception& error) {
    const auto* refused = dynamic_cast<const EIdProtocolReplyError*>(&error);
    if (refused == nullptr)
        return std::nullopt;
    const std::string text = OneLine(refused->what());
    return TLoginRefusal{std::to_string(refused->ReplyCode()) + (text.empty() ? "" : " " + text),
                         AsksForEncryption(refused->ReplyCode(), text)};
}

bool AsksForEncryption(int code, const std::string& text) {
    // 530 and 534 as most servers say it; 550 as some say it to USER ("550 SSL/TLS required on the control
    // channel").
    if (code != 530 && code != 534 && code != 550)
        return false;
    const std::string lowered = Lowered(text);
    constexpr std::array kWords{"tls", "ssl", "encrypt"};
    return std::any_of(kWords.begin(), kWords.end(),
                       [&lowered](const char* word) { return lowered.find(word) != std::string::npos; });
}

QString RefusalLogText(const TLoginRefusal& refusal) {
    return QStringLiteral("Сервер отказал: ") + ui::FromSystemText(refusal.Reply); // the reply as the server's bytes
}

QString TickEncryptionText() {
    return QStringLiteral("Сервер требует шифрование: отметьте \"Шифрование (FTPS)\"");
}

} // namespace ftps
