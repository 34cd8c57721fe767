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
// Per thread, as the platform keeps it: connections on several threads must not read each other's error.
thread_local int lastSocketError = 0;
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

// Texts of the Windows Sockets error numbers; the same on every platform.
struct ErrorText {
    int number;
    const char* text;
};
constexpr ErrorText errorTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
    {11001, "Host not found."},
};

// "127.000.000.001" -> "127.0.0.1": the platform refuses leading zeros (some would read them as octal), and
// the user means the decimal address.
std::string CanonicalDottedAddress(const std::string& numeric) {
    std::string canonical;
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? numeric.find('.', start) : numeric.size();
        int value = 0;
        std::from_chars(numeric.data() + start, numeric.data() + dot, value);
        canonical += (i ? "." : "") + std::to_string(value);
        start = dot + 1;
    }
    return canonical;
}

const char* ErrorTextOf(int errorNumber) {
    for (const ErrorText& entry : errorTexts)
        if (entry.number == errorNumber)
            return entry.text;
    return "";
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
        return CanonicalDottedAddress(host);
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

int TIdStack::LastSocketError() const {
    return lastSocketError;
}

bool TIdStack::CheckSocketResult(long long result, std::initializer_list<int> tolerated) {
    if (result != -1)
        return false;
    lastSocketError = ftp::platform::LastError();
    if (std::find(tolerated.begin(), tolerated.end(), lastSocketError) != tolerated.end())
        return true;
    ThrowSocketError(lastSocketError);
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
