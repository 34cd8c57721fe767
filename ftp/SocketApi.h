#pragma once
// Thin wrappers over the platform's socket calls. Every failure records the platform's error number, translated
// to the Windows Sockets numbering, as the "last error" that TIdStack::CheckSocketResult reads. The send, receive,
// connect and name-lookup calls pass through the test seam of SocketFaults.h.

#include <cstdint>
#include <string>

namespace ftp::platform {

using SocketId = std::intptr_t;
constexpr SocketId InvalidSocket = -1;

// Starts the platform's socket service (Windows: loads WS2_32.DLL, WSAStartup 2.2); raises on failure.
void StartSockets();
void StopSockets();

SocketId OpenStreamSocket();
void CloseSocket(SocketId socket);
void ShutdownSending(SocketId socket);
int Bind(SocketId socket, const std::string& ip, int port);
// Blocks until the peer answers; a peer that never answers gives up after about 20 seconds.
int Connect(SocketId socket, const std::string& ip, int port);
int Listen(SocketId socket, int backlog);
SocketId Accept(SocketId listening);
// One send/receive call; -1 on failure. A send to a closed peer fails with 10058, it never raises a signal.
int64_t Send(SocketId socket, const void* buffer, int64_t size);
int64_t Receive(SocketId socket, void* buffer, int64_t size);
// 1: readable (data, a waiting peer, or the peer closed), 0: limit passed, -1: the wait failed.
// `limitMs` < 0 waits without limit.
int WaitReadable(SocketId socket, int limitMs);
bool LocalAddress(SocketId socket, std::string& ip, int& port);
bool PeerAddress(SocketId socket, std::string& ip, int& port);
// IPv4 name lookup: 0 and the dotted address, or a Windows Sockets error number (11001 for an unknown name).
int LookupIPv4(const std::string& name, std::string& dotted);

// The error number of the last failed call on this thread (Windows numbering).
int LastError();
void SetLastError(int errorNumber);

} // namespace ftp::platform
