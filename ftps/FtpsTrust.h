#pragma once
// The program's side of explicit TLS (FTPS): whether a server's certificate is accepted when the system's
// authorities do not vouch for it (the user's answer, remembered per server and port in ".ftps"), and the texts that
// tell the user what became of the encryption.

#include "settings/FtpsFile.h"

#include <QString>
#include <exception>
#include <string>

class QWidget;
class TIdFTP;
struct TIdTLSPeer;

namespace ftps {

// The certificates remembered in ".ftps" now. A job or a check reads them once at its start and hands them to
// each of its connections, so no connection reads the file while a save may write it.
TFtpsFile ReadRememberedCertificates();

// What a certificate is remembered under for the client's server: "host:port", the host as the certificate must
// carry it (the one typed, without its port) and the port it connects to (21 when none is typed).
std::string CertificateKey(const TIdFTP& ftp);

// How a certificate stands against the remembered ones.
enum class TCertificateStanding { Remembered, Unknown, Changed };
TCertificateStanding StandingOf(const TFtpsFile& remembered, const std::string& key, const TIdTLSPeer& peer);

// For the connections of the window (a job's first connection, the connection check). The certificate remembered
// for `key` passes; another one is refused with ChangedCertificateText; an unknown one is asked about, and Yes
// remembers it in `remembered` and in ".ftps". `typed` is the server as the user typed it, for the texts.
bool AskAboutCertificate(QWidget* owner, TFtpsFile& remembered, const std::string& key, const std::string& typed,
                         const TIdTLSPeer& peer);

// The question about an unknown certificate: the server, the certificate's subject, issuer and dates, why it is
// not trusted and its fingerprint grouped for reading.
QString CertificateQuestion(const std::string& typed, const TIdTLSPeer& peer);
// The message for a certificate other than the one remembered, the same whichever connection of a job saw it.
QString ChangedCertificateText(const std::string& typed, const std::string& remembered, const TIdTLSPeer& peer);
// "AB:CD:…" in lines of eight pairs.
QString GroupedFingerprint(const std::string& fingerprint);

// While it lives, the client asks for TLS when "Шифрование (FTPS)" is ticked or a certificate is remembered for its
// server (set the server first): a server once trusted never gets the log-in in clear.
class TTlsWhenRemembered {
public:
    TTlsWhenRemembered(TIdFTP& ftp, const TFtpsFile& remembered);
    ~TTlsWhenRemembered();
    TTlsWhenRemembered(const TTlsWhenRemembered&) = delete;
    TTlsWhenRemembered& operator=(const TTlsWhenRemembered&) = delete;
    // TLS is asked for only because of a remembered certificate.
    bool Forced() const { return forced_; }

private:
    TIdFTP& ftp_;
    bool ticked_;
    bool forced_;
};

// The user's text for a failed TLS step ("Сервер не поддерживает шифрование (FTPS)", a handshake that failed or
// stalled, …); empty for any other failure and for a certificate the user was already asked or told about.
// `forced`: TLS was asked for only because a certificate is remembered for the server.
QString FailureText(const std::exception& error, bool forced = false);

// "Шифрованное соединение (TLS 1.3)" for the version as negotiated.
QString EncryptedConnectionText(const std::string& version);

// ".ftps" could not be written: the message names the file.
QString WriteFailureText();

} // namespace ftps
