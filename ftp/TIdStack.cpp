#include "ftp/TIdStack.h"

#include "ftp/IdExceptions.h"
#include "ftp/SocketApi.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <mutex>
#include <stdexcept>

namespace {

std::mutex stackGuard;
int stackUsers = 0;
TIdStack* stack = nullptr;

bool ParsesAsByte(const std::string& part) {
    if (part.empty())
        return false;
    int value = -1;
    auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    return error == std::errc() && end == part.data() + part.size() && value >= 0 && value <= 255;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    const std::string other(b);
    return a.size() == other.size() && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

const char* ErrorTextOf(int errorNumber) {
    switch (errorNumber) {
    case 10004:
        return "Interrupted system call.";
    case 10009:
        return "Bad file number.";
    case 10013:
        return "Access denied.";
    case 10014:
        return "Bad address.";
    case 10022:
        return "Invalid argument.";
    case 10024:
        return "Too many open files.";
    case 10035:
        return "Operation would block. ";
    case 10036:
        return "Operation now in progress.";
    case 10037:
        return "Operation already in progress.";
    case 10038:
        return "Socket operation on non-socket.";
    case 10039:
        return "Destination address required.";
    case 10040:
        return "Message too long.";
    case 10041:
        return "Protocol wrong type for socket.";
    case 10042:
        return "Bad protocol option.";
    case 10043:
        return "Protocol not supported.";
    case 10044:
        return "Socket type not supported.";
    case 10045:
        return "Operation not supported on socket.";
    case 10046:
        return "Protocol family not supported.";
    case 10047:
        return "Address family not supported by protocol family.";
    case 10048:
        return "Address already in use.";
    case 10049:
        return "Cannot assign requested address.";
    case 10050:
        return "Network is down.";
    case 10051:
        return "Network is unreachable.";
    case 10052:
        return "Net dropped connection or reset.";
    case 10053:
        return "Software caused connection abort.";
    case 10054:
        return "Connection reset by peer.";
    case 10055:
        return "No buffer space available.";
    case 10056:
        return "Socket is already connected.";
    case 10057:
        return "Socket is not connected.";
    case 10058:
        return "Cannot send or receive after socket is closed.";
    case 10059:
        return "Too many references, cannot splice.";
    case 10060:
        return "Connection timed out.";
    case 10061:
        return "Connection refused.";
    case 10062:
        return "Too many levels of symbolic links.";
    case 10063:
        return "File name too long.";
    case 10064:
        return "Host is down.";
    case 10065:
        return "No route to host.";
    case 10066:
        return "Directory not empty";
    case 11001:
        return "Host not found.";
    default:
        return "";
    }
}

} // namespace

EIdSocketError::EIdSocketError(int code) : EIdException(TIdStack::SocketErrorText(code)), code_(code) {}

TIdStack::TIdStack() {
    ftp::platform::StartSockets();
}

TIdStack::~TIdStack() {
    ftp::platform::StopSockets();
}

std::string TIdStack::ResolveAddress(const std::string& host) {
    if (EqualsIgnoringCase(host, "LOCALHOST"))
        return "127.0.0.1";
    if (IsNumericAddress(host))
        return host;
    std::string dotted;
    if (int error = ftp::platform::LookupIPv4(host, dotted); error != 0) {
        ftp::platform::SetLastError(error);
        ThrowSocketError(error);
    }
    return dotted;
}

bool TIdStack::IsNumericAddress(const std::string& text) {
    std::string rest = text;
    for (int i = 0; i < 3; ++i) {
        const size_t dot = rest.find('.');
        const std::string part = rest.substr(0, dot);
        if (!ParsesAsByte(part))
            return false;
        rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
    }
    return ParsesAsByte(rest);
}

std::string TIdStack::SocketErrorText(int errorNumber) {
    return "Socket Error # " + std::to_string(errorNumber) + "\r\n" + ErrorTextOf(errorNumber);
}

bool TIdStack::CheckSocketResult(long long result, std::initializer_list<int> tolerated) {
    if (result != -1)
        return false;
    lastSocketError_ = ftp::platform::LastError();
    if (std::find(tolerated.begin(), tolerated.end(), lastSocketError_) != tolerated.end())
        return true;
    ThrowSocketError(lastSocketError_);
}

void TIdStack::ThrowSocketError(int errorNumber) {
    throw EIdSocketError(errorNumber);
}

TIdStack& SharedStack() {
    std::lock_guard lock(stackGuard);
    if (stack == nullptr)
        throw std::logic_error("the socket service is used while no connection exists");
    return *stack;
}

int SharedStackUsers() {
    std::lock_guard lock(stackGuard);
    return stackUsers;
}

TIdStackUse::TIdStackUse() {
    std::lock_guard lock(stackGuard);
    if (stackUsers == 0)
        stack = new TIdStack(); // may raise; then this object does not count as a user
    ++stackUsers;
}

TIdStackUse::~TIdStackUse() {
    std::lock_guard lock(stackGuard);
    if (--stackUsers == 0) {
        delete stack;
        stack = nullptr;
    }
}
