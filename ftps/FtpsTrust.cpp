#include "ftps/FtpsTrust.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftp/TIdSSLIOHandlerSocket.h"
#include "settings/Settings.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include <QDateTime>
#include <QStringList>

namespace ftps {
namespace {

QString DateText(std::int64_t secondsSince1970) {
    return QDateTime::fromSecsSinceEpoch(secondsSince1970).toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
}

QString ReasonText(TIdTLSReason reason, const std::string& problem) {
    switch (reason) {
    case TIdTLSReason::SelfSigned:
        return QStringLiteral("сертификат самоподписанный: его не заверил никакой центр сертификации");
    case TIdTLSReason::WrongName:
        return QStringLiteral("сертификат выдан для другого имени");
    case TIdTLSReason::Expired:
        return QStringLiteral("срок действия сертификата истек");
    case TIdTLSReason::NotYetValid:
        return QStringLiteral("срок действия сертификата еще не начался");
    case TIdTLSReason::UnknownIssuer:
        return QStringLiteral("сертификат выдан неизвестным центром сертификации");
    case TIdTLSReason::Other:
        break;
    }
    return QStringLiteral("ошибка проверки (") + QString::fromUtf8(problem) + QStringLiteral(")");
}

// Who the certificate names and for how long it holds, one line each.
QString CertificateLines(const TIdTLSPeer& peer) {
    return QStringLiteral("Кому выдан: ") + QString::fromUtf8(peer.Subject) + QStringLiteral("\nКем выдан: ") +
           QString::fromUtf8(peer.Issuer) + QStringLiteral("\nДействителен: с ") + DateText(peer.ValidFrom) +
           QStringLiteral(" по ") + DateText(peer.ValidTo) + QLatin1Char('\n');
}

QString FtpsFileName() {
    const std::string path = SettingsFile(FtpsSuffix);
    return ui::FromSystemText(path.substr(path.find_last_of("/\\") + 1));
}

} // namespace

TFtpsFile ReadRememberedCertificates() {
    return TFtpsFile::Read(SettingsFile(FtpsSuffix));
}

std::string CertificateKey(const TIdFTP& ftp) {
    return (ftp.TLSHostName.empty() ? ftp.Host() : ftp.TLSHostName) + ":" + std::to_string(ftp.Port());
}

TCertificateStanding StandingOf(const TFtpsFile& remembered, const std::string& key, const TIdTLSPeer& peer) {
    const std::string fingerprint = remembered.Certificate(key);
    if (fingerprint.empty())
        return TCertificateStanding::Unknown;
    return fingerprint == peer.Fingerprint ? TCertificateStanding::Remembered : TCertificateStanding::Changed;
}

bool AskAboutCertificate(QWidget* owner, TFtpsFile& remembered, const std::string& key, const std::string& typed,
                         const TIdTLSPeer& peer) {
    switch (StandingOf(remembered, key, peer)) {
    case TCertificateStanding::Remembered:
        return true;
    case TCertificateStanding::Changed:
        // Someone may stand between us and the server: the user decides only by editing the file on purpose.
        ui::ShowMessage(ChangedCertificateText(typed, remembered.Certificate(key), peer));
        return false;
    case TCertificateStanding::Unknown:
        break;
    }
    if (ui::MessageBox(owner, CertificateQuestion(typed, peer), QStringLiteral("Вопрос"), ui::MsgIcon::Warning,
                       ui::Yes | ui::No, ui::No) != ui::Yes)
        return false;
    // Accepted for this connection even when it cannot be remembered; then the next one asks again. The file is
    // read again so that what a save wrote since the start stays.
    remembered.SetCertificate(key, peer.Fingerprint);
    const std::string path = SettingsFile(FtpsSuffix);
    TFtpsFile file = TFtpsFile::Read(path);
    if (file.SetCertificate(key, peer.Fingerprint) && !file.Write(path))
        ui::ShowMessage(WriteFailureText());
    return true;
}

QString CertificateQuestion(const std::string& typed, const TIdTLSPeer& peer) {
    QStringList reasons;
    for (const TIdTLSReason reason : peer.Reasons)
        reasons << ReasonText(reason, peer.Problem);
    if (reasons.isEmpty())
        reasons << QString::fromUtf8(peer.Problem);
    return QStringLiteral("Сертификат сервера не подтвержден.\n\nСервер: ") + ui::FromSystemText(typed) +
           QLatin1Char('\n') + CertificateLines(peer) + QStringLiteral("Почему не подтвержден: ") +
           reasons.join(QStringLiteral("; ")) + QStringLiteral("\nОтпечаток SHA-256:\n") +
           GroupedFingerprint(peer.Fingerprint) + QStringLiteral("\n\nДоверять этому серверу?");
}

QString ChangedCertificateText(const std::string& typed, const std::string& remembered, const TIdTLSPeer& peer) {
    return QStringLiteral("Сертификат сервера ") + ui::FromSystemText(typed) +
           QStringLiteral(" изменился, соединение отклонено.\n\nНовый сертификат:\n") + CertificateLines(peer) +
           QStringLiteral("Отпечаток SHA-256:\n") + GroupedFingerprint(peer.Fingerprint) +
           QStringLiteral("\n\nПодтвержденный ранее отпечаток SHA-256:\n") + GroupedFingerprint(remembered) +
           QStringLiteral("\n\nЕсли сервер сменил сертификат намеренно, удалите его строку из файла ") +
           FtpsFileName() + QLatin1Char('.');
}

QString GroupedFingerprint(const std::string& fingerprint) {
    const QStringList pairs = QString::fromLatin1(fingerprint).split(QLatin1Char(':'));
    constexpr qsizetype kPairsPerLine = 8;
    QStringList lines;
    for (qsizetype first = 0; first < pairs.size(); first += kPairsPerLine)
        lines << pairs.mid(first, kPairsPerLine).join(QLatin1Char(':'));
    return lines.join(QLatin1Char('\n'));
}

TTlsWhenRemembered::TTlsWhenRemembered(TIdFTP& ftp, const TFtpsFile& remembered)
    : ftp_(ftp), ticked_(ftp.UseTLS), forced_(!ticked_ && !remembered.Certificate(CertificateKey(ftp)).empty()) {
    ftp_.UseTLS = ticked_ || forced_;
}

TTlsWhenRemembered::~TTlsWhenRemembered() {
    ftp_.UseTLS = ticked_;
}

QString FailureText(const std::exception& error, bool forced) {
    if (dynamic_cast<const EIdTLSRefused*>(&error) != nullptr) {
        if (forced)
            return QStringLiteral("Сервер не поддерживает шифрование (FTPS), хотя его сертификат был подтвержден "
                                  "раньше. Логин и пароль не отправлены: соединение без шифрования с таким сервером "
                                  "небезопасно");
        return QStringLiteral("Сервер не поддерживает шифрование (FTPS)");
    }
    if (dynamic_cast<const EIdTLSError*>(&error) != nullptr || dynamic_cast<const EIdTLSTimedOut*>(&error) != nullptr)
        return QStringLiteral("Не удалось установить шифрованное соединение (FTPS)");
    return {};
}

QString EncryptedConnectionText(const std::string& version) {
    return QStringLiteral("Шифрованное соединение (") + ui::FromSystemText(version) + QStringLiteral(")");
}

QString WriteFailureText() {
    return QStringLiteral("Не могу сохранить файл ") + FtpsFileName() +
           QStringLiteral(" (шифрование, подтвержденные сертификаты, опции копирования),выберите в моей программе "
                          "пункт \"Система\\Запускать   эту программу от  имени администратора\"");
}

} // namespace ftps
