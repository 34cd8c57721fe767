#include "sftp/KnownHosts.h"

#include "sftp/SshSession.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <libssh2.h>
#include <openssl/evp.h>
#include <sstream>
#include <vector>

namespace sftp {
namespace {

// A list of known hosts; libssh2 wants a session of its own for it (it notes its errors there), never a connected
// one.
class TKnownHostsList {
public:
    TKnownHostsList() : session_((InitSshLibrary(), libssh2_session_init())) {
        if (session_ != nullptr)
            hosts_ = libssh2_knownhost_init(session_);
    }
    ~TKnownHostsList() {
        if (hosts_ != nullptr)
            libssh2_knownhost_free(hosts_);
        if (session_ != nullptr)
            libssh2_session_free(session_);
    }
    TKnownHostsList(const TKnownHostsList&) = delete;
    TKnownHostsList& operator=(const TKnownHostsList&) = delete;
    LIBSSH2_KNOWNHOSTS* get() const { return hosts_; }
    explicit operator bool() const { return hosts_ != nullptr; }

private:
    LIBSSH2_SESSION* session_;
    LIBSSH2_KNOWNHOSTS* hosts_ = nullptr;
};

int Check(LIBSSH2_KNOWNHOSTS* hosts, const std::string& host, int port, const THostKey& key) {
    libssh2_knownhost* found = nullptr;
    return libssh2_knownhost_checkp(
        hosts, host.c_str(), port, reinterpret_cast<const char*>(key.Blob.data()), key.Blob.size(),
        LIBSSH2_KNOWNHOST_TYPE_PLAIN | LIBSSH2_KNOWNHOST_KEYENC_RAW | key.KnownHostType, &found);
}

// The fingerprint of the key a known-hosts line holds: the field after its key type.
std::string FingerprintOfLine(const std::string& line) {
    std::istringstream fields(line);
    std::string field;
    while (fields >> field) {
        if (field.rfind("ssh-", 0) == 0 || field.rfind("ecdsa-", 0) == 0) {
            std::string encoded;
            fields >> encoded;
            std::vector<std::uint8_t> blob(encoded.size() / 4 * 3 + 3);
            const int length = EVP_DecodeBlock(blob.data(), reinterpret_cast<const unsigned char*>(encoded.data()),
                                               static_cast<int>(encoded.size()));
            // The decoder counts the padding as bytes of the key.
            const auto padding = encoded.size() - encoded.find_last_not_of('=') - 1;
            if (length <= 0 || static_cast<std::size_t>(length) < padding)
                return {};
            blob.resize(static_cast<std::size_t>(length) - padding);
            return Sha256Fingerprint(blob);
        }
    }
    return {};
}

// The line that names the host with another key: each line is read on its own.
THostKeyCheck ChangedLine(const std::string& path, const std::string& host, int port, const THostKey& key) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const TKnownHostsList one;
        if (line.empty() || line[0] == '#' ||
            libssh2_knownhost_readline(one.get(), line.c_str(), line.size(), LIBSSH2_KNOWNHOST_FILE_OPENSSH) != 0)
            continue;
        if (Check(one.get(), host, port, key) == LIBSSH2_KNOWNHOST_CHECK_MISMATCH)
            return {THostKeyStanding::Changed, number, FingerprintOfLine(line)};
    }
    return {THostKeyStanding::Changed, 0, {}};
}

} // namespace

THostKeyCheck CheckHostKey(const std::string& knownHostsPath, const std::string& host, int port, const THostKey& key) {
    const TKnownHostsList hosts;
    if (!hosts || !std::filesystem::exists(std::filesystem::path(knownHostsPath)))
        return {};
    // Lines it cannot read (another key type of a newer format, say) are passed over.
    libssh2_knownhost_readfile(hosts.get(), knownHostsPath.c_str(), LIBSSH2_KNOWNHOST_FILE_OPENSSH);
    switch (Check(hosts.get(), host, port, key)) {
    case LIBSSH2_KNOWNHOST_CHECK_MATCH:
        return {THostKeyStanding::Known, 0, {}};
    case LIBSSH2_KNOWNHOST_CHECK_MISMATCH:
        return ChangedLine(knownHostsPath, host, port, key);
    default:
        return {};
    }
}

bool RememberHostKey(const std::string& knownHostsPath, const std::string& host, int port, const THostKey& key) {
    const TKnownHostsList hosts;
    const std::string name = port == 22 ? host : "[" + host + "]:" + std::to_string(port);
    libssh2_knownhost* added = nullptr;
    if (!hosts ||
        libssh2_knownhost_addc(
            hosts.get(), name.c_str(), nullptr, reinterpret_cast<const char*>(key.Blob.data()), key.Blob.size(),
            nullptr, 0, LIBSSH2_KNOWNHOST_TYPE_PLAIN | LIBSSH2_KNOWNHOST_KEYENC_RAW | key.KnownHostType, &added) != 0)
        return false;
    char line[16384];
    std::size_t length = 0;
    if (libssh2_knownhost_writeline(hosts.get(), added, line, sizeof line, &length, LIBSSH2_KNOWNHOST_FILE_OPENSSH) !=
        0)
        return false;
    // Appended, so that the lines already there (comments, other formats) stay as they were.
    const std::filesystem::path path(knownHostsPath);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const bool endsOpen = std::filesystem::file_size(path, error) > 0 && !error && [&path] {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        in.seekg(-1, std::ios::end);
        return in.get() != '\n';
    }();
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (endsOpen)
        out << '\n';
    out.write(line, static_cast<std::streamsize>(length));
    return static_cast<bool>(out.flush());
}

std::string UserKnownHostsPath() {
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    return (std::filesystem::path(home != nullptr ? home : "") / ".ssh" / "known_hosts").string();
}

} // namespace sftp
