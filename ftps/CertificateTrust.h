#pragma once
// The one place that decides whether a connection goes on with a server certificate that no trusted authority
// vouches for (one they vouch for never gets here). The copy job, the connection check and the search pick a mode
// of it; they differ only in how they tell the user what it refused.

#include "ftps/FtpsTrust.h"

#include <functional>
#include <string>

class QWidget;
class TIdFTP;
struct TIdTLSPeer;

namespace ftps {

enum class TTrustMode {
    // On the window's thread: the remembered certificate passes, an unknown one is asked about ("Да" remembers it
    // here and in ".ftps"), a changed one is refused with its box. Once it refused, every later connection of the
    // operation is refused without another box.
    Ask,
    // On any thread, never a box: only the certificate remembered for the server passes.
    RememberedOnly,
};

// A certificate the trust did not accept, for the caller's own words.
struct TRefusal {
    const TIdTLSPeer& Peer;
    TCertificateStanding Standing; // Unknown also for a question answered "Нет"
    std::string Typed;             // the server as typed
    std::string Remembered;        // the fingerprint remembered for the server; empty when none
};

class TCertificateTrust {
public:
    // `remembered`: the certificates of ".ftps" as the operation read them once at its start.
    explicit TCertificateTrust(TTrustMode mode = TTrustMode::Ask, TFtpsFile remembered = {}, QWidget* owner = nullptr);

    // Whether `ftp`'s connection goes on with `peer`; `typed` is the server as typed, for the texts.
    bool Accepts(const TIdFTP& ftp, const std::string& typed, const TIdTLSPeer& peer);
    // Makes this trust the verifier of `ftp`'s connections to `typed` (it must outlive the client).
    void Verify(TIdFTP& ftp, const std::string& typed);

    // A certificate was refused since this trust began.
    bool Refused() const { return refused_; }
    // The certificates the connections go by: TLS is asked for a server that has one.
    const TFtpsFile& Remembered() const { return remembered_; }
    void Remember(const std::string& key, const std::string& fingerprint);

    std::function<void()> BeforeQuestion;           // the check brings the window back from the tray first
    std::function<void(const TRefusal&)> OnRefused; // told once per refusal, after any box of its own

private:
    bool Decide(const std::string& key, const std::string& typed, const TIdTLSPeer& peer);

    TTrustMode mode_;
    TFtpsFile remembered_;
    QWidget* owner_;
    bool refused_ = false;
};

// While it lives, `trust` decides for `ftp`'s connections to `typed`; the client's earlier verifier is back
// afterwards, so no client is left with a trust that is gone.
class TVerifiedBy {
public:
    TVerifiedBy(TIdFTP& ftp, TCertificateTrust& trust, const std::string& typed);
    ~TVerifiedBy();
    TVerifiedBy(const TVerifiedBy&) = delete;
    TVerifiedBy& operator=(const TVerifiedBy&) = delete;

private:
    TIdFTP& ftp_;
    std::function<bool(const TIdTLSPeer&)> saved_;
};

} // namespace ftps
