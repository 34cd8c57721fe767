#pragma once
// The platform's error values in the Windows Sockets numbering, so that every platform shows the same messages
// (a refused connection is 10061 "Connection refused.", an unknown host name 11001 "Host not found.").

namespace ftp::platform {

// Number for a POSIX errno value; values without a counterpart pass through unchanged. Identity on Windows.
int ErrnoToSocketError(int errnoValue);
// Number for a getaddrinfo result (EAI_SYSTEM takes `errnoValue`). Identity on Windows.
int LookupErrorToSocketError(int gaiError, int errnoValue);

} // namespace ftp::platform
