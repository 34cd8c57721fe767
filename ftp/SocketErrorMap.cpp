#include "ftp/SocketErrorMap.h"
#include "ftp/WsaErrors.h"

#ifndef _WIN32
#include <cerrno>
#include <netdb.h>
#endif

namespace ftp::platform {
int ErrnoToSocketError(int errnoValue) {
#ifdef _WIN32
    return errnoValue;
#else
    struct Pair {
        int errnoValue;
        int socketError;
    };
    static constexpr Pair table[] = {
        {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},          {EPERM, 10013},
        {EFAULT, 10014},       {EINVAL, 10022},          {EMFILE, 10024},          {ENFILE, 10024},
        {EWOULDBLOCK, 10035},  {EAGAIN, 10035},          {EINPROGRESS, 10036},     {EALREADY, 10037},
        {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
        {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},
        {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049},
        {ENETDOWN, 10050},     {ENETUNREACH, 10051},     {ENETRESET, 10052},       {ECONNABORTED, 10053},
        {ECONNRESET, 10054},   {ENOBUFS, 10055},         {ENOMEM, 10055},          {EISCONN, 10056},
        {ENOTCONN, 10057},     {ESHUTDOWN, 10058},       {EPIPE, 10058},           {ETOOMANYREFS, 10059},
        {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061},    {ELOOP, 10062},           {ENAMETOOLONG, 10063},
        {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
    };
    for (const Pair& p : table)
        if (p.errnoValue == errnoValue)
            return p.socketError;
    return errnoValue;
#endif
}

int LookupErrorToSocketError(int gaiError, [[maybe_unused]] int errnoValue) {
#ifdef _WIN32
    return gaiError;
#else
    switch (gaiError) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: // the name exists, but has no IPv4 address
#endif
        return WsaHostNotFound;
    case EAI_AGAIN:
        return WsaTryAgain;
    case EAI_MEMORY:
        return WsaNoBuffers;
    case EAI_SYSTEM:
        return errnoValue == EINTR ? WsaInterrupted : ErrnoToSocketError(errnoValue);
    default:
        return WsaNoRecovery;
    }
#endif
}

} // namespace ftp::platform
