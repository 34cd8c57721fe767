#include "copy/CopyHost.h"

#include "ftps/FtpsTrust.h"

bool TCopyHost::AcceptCertificate(const std::string& server, const TIdTLSPeer& peer) {
    TCopyState& state = CopyState();
    // Once refused, the reconnections of the job's retries are refused without another box each.
    if (state.CertificateRefused)
        return false;
    if (ftps::AskAboutCertificate(MessageOwner(), state.Certificates, ftps::CertificateKey(Ftp()), server, peer))
        return true;
    state.CertificateRefused = true;
    return false;
}
