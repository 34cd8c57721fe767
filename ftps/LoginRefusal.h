#pragma once
// A server that turns a connection away says why in its reply. The program logs that reply, and when it asks for
// encryption on a connection that ran in clear, tells the user which box to tick.

#include <QString>
#include <exception>
#include <optional>
#include <string>

namespace ftps {

struct TLoginRefusal {
    std::string Reply;      // the code and the text on one line ("530 Login incorrect."), the server's bytes
    bool AsksForEncryption; // 530, 534 or 550 whose text names TLS, SSL or encryption
};

// The refusal in `error` when the server's reply raised it; nothing for any other failure.
std::optional<TLoginRefusal> RefusalOf(const std::exception& error);

// Whether a reply of `code` with `text` turns the client away for want of encryption.
bool AsksForEncryption(int code, const std::string& text);

// "Сервер отказал: 530 Login incorrect.", for the log.
QString RefusalLogText(const TLoginRefusal& refusal);

// The message for a server that will not let a connection in clear log in.
QString TickEncryptionText();

} // namespace ftps
