#pragma once
// The one place that decides whether an SSH connection goes on with the server's host key, as OpenSSH users know
// it: a key the user's known hosts hold passes; a new one is asked about once on the window's thread ("Да" keeps
// it there); one that differs from the key kept for the server is refused before any password or key is offered.

#include "ftps/CertificateTrust.h"

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace ftps {

// What the connection learned of the key and of the known hosts.
struct THostKeyFacts {
    enum class TStanding { Known, Unknown, Changed };
    std::string Typed;       // the server as typed
    std::string TypeName;    // "ED25519"
    std::string Fingerprint; // "SHA256:…"
    TStanding Standing = TStanding::Unknown;
    std::string KnownHostsPath;
    int Line = 0;           // Changed: the line of the known hosts that holds the other key
    std::string Remembered; // Changed: that key's fingerprint
};

class THostKeyTrust {
public:
    // Ask: on the window's thread a new key is asked about and a change is told in a box. RememberedOnly: only a
    // key the known hosts hold passes, and the refusal is told to OnRefused.
    explicit THostKeyTrust(TTrustMode mode = TTrustMode::RememberedOnly, QWidget* owner = nullptr);

    // Whether the connection goes on; `remember` keeps a key the user accepted (false: it could not be kept).
    bool Accepts(const THostKeyFacts& facts, const std::function<bool()>& remember);
    bool Refused() const { return refused_; }

    std::function<void()> BeforeQuestion;          // on the window's thread, before a box: the check shows the window
    std::function<void(const QString&)> OnRefused; // the refusal's text, where no box of its own said it

private:
    TTrustMode mode_;
    QWidget* owner_;
    bool refused_ = false;
};

QString HostKeyQuestion(const THostKeyFacts& facts);
QString ChangedHostKeyText(const THostKeyFacts& facts);

} // namespace ftps
