#include "sftp/HostKey.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

namespace sftp {

std::string Sha256Fingerprint(const std::vector<std::uint8_t>& blob) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(blob.data(), blob.size(), digest);
    unsigned char text[4 * ((SHA256_DIGEST_LENGTH + 2) / 3) + 1];
    const int length = EVP_EncodeBlock(text, digest, SHA256_DIGEST_LENGTH);
    std::string encoded(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
    while (!encoded.empty() && encoded.back() == '=')
        encoded.pop_back();
    return "SHA256:" + encoded;
}

} // namespace sftp
