#include "ftps/CertificateTrust.h"

#include "ftp/TIdFTP.h"
#include "ftp/TIdSSLIOHandlerSocket.h"
#include "ui/WindowThread.h"

#include <utility>

namespace ftps {

TCertificateTrust::TCertificateTrust(TTrustMode mode, TFtpsFile remembered, QWidget* owner)
    : mode_(mode), remembered_(std::move(remembered)), owner_(owner) {}

bool TCertificateTrust::Accepts(const TIdFTP& ftp, const std::string& typed, const TIdTLSPeer& peer) {
    const std::string key = CertificateKey(ftp);
    const TCertificateStanding standing = StandingOf(remembered_, key, peer);
    if (standing == TCertificateStanding::Remembered)
        return true;
    const TRefusal refusal{peer, standing, typed, remembered_.Certificate(key)};
    if (Decide(key, typed, peer))
        return true;
    refused_ = true;
    if (OnRefused)
        OnRefused(refusal);
    return false;
}

bool TCertificateTrust::Decide(const std::string& key, const std::string& typed, const TIdTLSPeer& peer) {
    // Once refused, the reconnections of an operation's retries are refused without another box each.
    if (mode_ == TTrustMode::RememberedOnly || refused_)
        return false;
    if (BeforeQuestion)
        BeforeQuestion();
    return AskAboutCertificate(owner_, remembered_, key, typed, peer);
}

void TCertificateTrust::Verify(TIdFTP& ftp, const std::string& typed) {
    ftp.OnVerifyPeer = [this, &ftp, typed](const TIdTLSPeer& peer) {
        if (mode_ == TTrustMode::RememberedOnly)
            return Accepts(ftp, typed, peer);
        // A connection off the window's thread waits for the question there.
        bool accepted = false;
        ui::RunOnWindowThread([&] { accepted = Accepts(ftp, typed, peer); });
        return accepted;
    };
}

void TCertificateTrust::Remember(const std::string& key, const std::string& fingerprint) {
    remembered_.SetCertificate(key, fingerprint);
}

TVerifiedBy::TVerifiedBy(TIdFTP& ftp, TCertificateTrust& trust, const std::string& typed)
    : ftp_(ftp), saved_(ftp.OnVerifyPeer) {
    trust.Verify(ftp, typed);
}

TVerifiedBy::~TVerifiedBy() {
    ftp_.OnVerifyPeer = saved_;
}

} // namespace ftps
