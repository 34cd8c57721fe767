#pragma once
// A server's host key as the user is shown it: its type and its SHA-256 fingerprint, both as OpenSSH prints them.

#include <cstdint>
#include <string>
#include <vector>

namespace sftp {

struct THostKey {
    std::vector<std::uint8_t> Blob; // the key in its wire form
    std::string TypeName;           // "ED25519", "ECDSA", "RSA"
    int KnownHostType = 0;          // libssh2's key type bits for the known-hosts checks
    std::string Fingerprint;        // "SHA256:" and the unpadded base64 of the digest of Blob
};

// "SHA256:" + base64 of the digest, without the trailing '=' (as `ssh` shows it).
std::string Sha256Fingerprint(const std::vector<std::uint8_t>& blob);

} // namespace sftp
