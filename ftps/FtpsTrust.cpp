#include "ftps/FtpsTrust.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdSSLIOHandlerSocket.h"
#include "settings/FtpsFile.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"

namespace ftps {
namespace {

QString local(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

} // namespace

bool AskAboutCertificate(QWidget* owner, const TIdTLSPeer& peer) {
    const std::string path = SettingsFile(FtpsSuffix);
    TFtpsFile file = TFtpsFile::Read(path);
    const std::string remembered = file.Certificate(peer.HostName);
    if (remembered == peer.Fingerprint)
        return true;
    if (!remembered.empty()) {
        // Someone may stand between us and the server: the user decides only by editing the file on purpose.
        ui::ShowMessage(QStringLiteral("Сертификат сервера ") + local(peer.HostName) +
                        QStringLiteral(" изменился, соединение отклонено. Подтвержденный отпечаток SHA-256: ") +
                        local(remembered) + QStringLiteral(", новый: ") + local(peer.Fingerprint));
        return false;
    }
    const QString question = QStringLiteral("Сертификат сервера не подтвержден. Отпечаток SHA-256: ") +
                             local(peer.Fingerprint) + QStringLiteral(" Доверять этому серверу?");
    if (ui::MessageBox(owner, question, QStringLiteral("Вопрос"), ui::MsgIcon::Warning, ui::Yes | ui::No, ui::No) !=
        ui::Yes)
        return false;
    // Accepted for this connection even when it cannot be remembered; then the next one asks again.
    if (file.SetCertificate(peer.HostName, peer.Fingerprint))
        file.Write(path);
    return true;
}

bool RememberedCertificate(const TIdTLSPeer& peer) {
    const std::string remembered = TFtpsFile::Read(SettingsFile(FtpsSuffix)).Certificate(peer.HostName);
    return !remembered.empty() && remembered == peer.Fingerprint;
}

QString FailureText(const std::exception& error) {
    if (dynamic_cast<const EIdTLSRefused*>(&error) != nullptr)
        return QStringLiteral("Сервер не поддерживает шифрование (FTPS)");
    if (dynamic_cast<const EIdTLSError*>(&error) != nullptr)
        return QStringLiteral("Не удалось установить шифрованное соединение (FTPS)");
    return {};
}

QString EncryptedConnectionText(const std::string& version) {
    return QStringLiteral("Шифрованное соединение (") + local(version) + QStringLiteral(")");
}

} // namespace ftps
