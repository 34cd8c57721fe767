#include "ftp/ServerAddress.h"

#include <algorithm>

namespace {

constexpr int kHighestPort = 65535;

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<TServerAddress> ParseServerAddress(const std::string& text, int defaultPort) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return TServerAddress{text, defaultPort};
    const std::string host = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    // Five digits at most, so the value is read without overflow.
    if (host.empty() || !AllDigits(port) || port.size() > 5)
        return std::nullopt;
    const int value = std::stoi(port);
    if (value < 1 || value > kHighestPort)
        return std::nullopt;
    return TServerAddress{host, value};
}

std::string WithTypedPort(const std::string& host, const std::string& text) {
    const auto colon = text.rfind(':');
    return colon == std::string::npos ? host : host + text.substr(colon);
}
