#include "reach/HostAddress.h"

#include "ftp/ServerAddress.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace {

std::string DottedQuad(const unsigned char* bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

#ifdef _WIN32
// The library is taken for the one look-up and released whatever happens.
class WinsockSession {
public:
    WinsockSession() { started_ = WSAStartup(MAKEWORD(1, 1), &data_) == 0; }
    ~WinsockSession() {
        if (started_)
            WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

private:
    WSADATA data_{};
    bool started_ = false;
};

std::string FirstIPv4(const std::string& name) {
    WinsockSession session;
    const hostent* host = gethostbyname(name.c_str());
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list == nullptr ||
        host->h_addr_list[0] == nullptr)
        return {};
    return DottedQuad(reinterpret_cast<const unsigned char*>(host->h_addr_list[0]));
}
#else
std::string FirstIPv4(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return {};
    std::string result;
    for (const addrinfo* entry = found; entry != nullptr && result.empty(); entry = entry->ai_next)
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            result = DottedQuad(reinterpret_cast<const unsigned char*>(&address->sin_addr.s_addr));
        }
    freeaddrinfo(found);
    return result;
}
#endif

} // namespace

bool IsDottedAddress(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

std::string HostToAddress(const std::string& name) {
    if (IsDottedAddress(name))
        return name;
    return FirstIPv4(name);
}

std::string ServerToAddress(const std::string& server) {
    const auto colon = server.rfind(':');
    return WithTypedPort(HostToAddress(server.substr(0, colon)), server);
}
