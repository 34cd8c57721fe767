#pragma once
// The Windows Sockets error numbers that the client reports and acts on, on every system (beside the
// client's classes): the socket layer gives them as they are on Windows and maps its own errors onto them elsewhere.

inline constexpr int WsaInterrupted = 10004;
inline constexpr int WsaWouldBlock = 10035;
inline constexpr int WsaInProgress = 10036;
inline constexpr int WsaNotSocket = 10038;
inline constexpr int WsaAddressInUse = 10048;
inline constexpr int WsaAddressNotAvailable = 10049;
inline constexpr int WsaConnectionAborted = 10053;
inline constexpr int WsaConnectionReset = 10054;
inline constexpr int WsaNoBuffers = 10055;
inline constexpr int WsaSocketShutDown = 10058;
inline constexpr int WsaTimedOut = 10060;
inline constexpr int WsaHostNotFound = 11001;
inline constexpr int WsaTryAgain = 11002;
inline constexpr int WsaNoRecovery = 11003;
