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

// Sockets never block: a connect, send or receive that would wait fails at once with 10036 (a connect under way)
// or 10035 ("would block"), and the caller waits for readiness in slices (WaitSlices.h).
SocketId OpenStreamSocket();
void CloseSocket(SocketId socket);
void ShutdownSending(SocketId socket);
// Ends both directions at once; the socket stays open until closed, so its number is not reused meanwhile.
void ShutdownBoth(SocketId socket);
int Bind(SocketId socket, const std::string& ip, int port);
// Starts a connect: 0 when connected at once, else -1 with 10036 or 10035 while it is under way (see
// ConnectOutcome) or another number when it failed. A peer that never answers makes the system give up after
// about 20 seconds.
int Connect(SocketId socket, const std::string& ip, int port);
// The outcome of a connect that was under way and is now writable: 0, or the Windows Sockets error number.
int ConnectOutcome(SocketId socket);
int Listen(SocketId socket, int backlog);
SocketId Accept(SocketId listening);
// One send/receive call; -1 on failure (10035 when it would have to wait). A send to a closed peer fails with
// 10058, it never raises a signal.
int64_t Send(SocketId socket, const void* buffer, int64_t size);
int64_t Receive(SocketId socket, void* buffer, int64_t size);
// Keeps at most about `bytes` waiting unsent in the socket's queue: a send takes no more and the socket counts as
// writable only below it. Bytes already on their way are not counted, so a long, fast line stays full. Nothing
// where the platform has no such limit.
void LimitUnsentBytes(SocketId socket, int bytes);
// Looks at what is waiting without taking it: the bytes copied, 0 when the peer closed, -1 on failure (10035:
// nothing waiting).
int64_t Peek(SocketId socket, void* buffer, int64_t size);
// 1: readable (data, a waiting peer, or the peer closed), 0: limit passed, -1: the wait failed.
// `limitMs` < 0 waits without limit.
int WaitReadable(SocketId socket, int limitMs);
// What the socket holds right now, in one look: nothing, bytes to read, or a peer that has closed its side (or
// reset the connection), told even with unread bytes still waiting where the platform can tell.
enum class PeerState { Quiet, InputWaiting, ShutDown };
PeerState LookAtPeer(SocketId socket);
// 1: a send can take bytes (or a connect under way has ended), 0: limit passed, -1: the wait failed.
int WaitWritable(SocketId socket, int limitMs);
// The same for what the caller waits for: reading, writing or either.
int WaitReady(SocketId socket, bool readable, bool writable, int limitMs);
bool LocalAddress(SocketId socket, std::string& ip, int& port);
bool PeerAddress(SocketId socket, std::string& ip, int& port);
// IPv4 name lookup: 0 and the dotted address, or a Windows Sockets error number (11001 for an unknown name).
int LookupIPv4(const std::string& name, std::string& dotted);

// The error number of the last failed call on this thread (Windows numbering).
int LastError();
void SetLastError(int errorNumber);

} // namespace ftp::platform
