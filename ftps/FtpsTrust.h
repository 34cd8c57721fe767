#pragma once
// The program's side of explicit TLS (FTPS): whether a server's certificate is accepted when the system's
// authorities do not vouch for it (the user's answer, remembered per server in ".ftps"), and the texts that tell
// the user what became of the encryption.

#include <QString>
#include <exception>
#include <string>

class QWidget;
struct TIdTLSPeer;

namespace ftps {

// For the copy job and the connection check. The certificate remembered for the server passes; another one is
// refused with a message that names the change; an unknown one is asked about once, and Yes remembers it.
bool AskAboutCertificate(QWidget* owner, const TIdTLSPeer& peer);

// For the server search, which must not ask about every candidate: only a remembered certificate passes.
bool RememberedCertificate(const TIdTLSPeer& peer);

// The user's text for a failed TLS step ("Сервер не поддерживает шифрование (FTPS)", …); empty for any other
// failure and for a certificate the user was already asked or told about.
QString FailureText(const std::exception& error);

// "Шифрованное соединение (TLS 1.3)" for the version as negotiated.
QString EncryptedConnectionText(const std::string& version);

} // namespace ftps
