// Ed25519 key pairs for the SSH test servers and their clients, made with the system's ssh-keygen.
#pragma once

#include <filesystem>
#include <string>

namespace ferrylo::testing {

inline constexpr const char* kSshKeygen = "/usr/bin/ssh-keygen";

// A new key pair without a passphrase: the private key at `privateKey`, the public one beside it with ".pub".
// Throws when ssh-keygen fails; its messages go to `toolLog`.
void makeEd25519KeyPair(const std::filesystem::path& privateKey, const std::filesystem::path& toolLog);

// "ssh-ed25519 AAAA…" from a public key file, without the comment.
std::string publicKeyLine(const std::filesystem::path& publicKey);

// "SHA256:…", as ssh-keygen prints it for the public key file.
std::string sha256Fingerprint(const std::filesystem::path& publicKey, const std::filesystem::path& toolLog);

} // namespace ferrylo::testing
