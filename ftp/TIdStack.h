#pragma once
// The process-wide socket service. It exists while at least one TIdComponent exists (TIdComponent counts its
// users); it resolves host names, turns error numbers into messages and judges the results of socket calls.
// Error numbers are always the Windows Sockets numbers (10004 ... 11001), on every platform, so the texts match.

#include <initializer_list>
#include <string>

class TIdStack {
public:
    TIdStack(const TIdStack&) = delete;
    TIdStack& operator=(const TIdStack&) = delete;

    // "LOCALHOST" (any case) -> "127.0.0.1" without a lookup; a dotted IPv4 text unchanged; else the first IPv4
    // address of a name lookup. A failed lookup raises EIdSocketError (11001 "Host not found." for an unknown name).
    std::string ResolveAddress(const std::string& host);

    // True when `text` is four dot-separated decimal parts of 0..255 (the fourth part is the whole rest).
    static bool IsNumericAddress(const std::string& text);

    // "Socket Error # <n>" CR LF <text of n>, the text empty for numbers outside the table.
    static std::string SocketErrorText(int errorNumber);

    // False for any result but -1. For -1: stores the last platform error in LastSocketError, answers true when it
    // is tolerated, and raises EIdSocketError otherwise.
    bool CheckSocketResult(long long result, std::initializer_list<int> tolerated = {});

    [[noreturn]] void ThrowSocketError(int errorNumber);

    // Of the calling thread.
    int LastSocketError() const;

private:
    friend class TIdStackUse;
    TIdStack();
    ~TIdStack();
};

// The stack of this process. Only valid while a TIdComponent exists; otherwise raises std::logic_error.
TIdStack& SharedStack();

// How many objects keep the stack alive (0: no stack). For tests and diagnostics.
int SharedStackUsers();

// RAII holder used by TIdComponent: the first holder creates the stack, the last destroys it, under one mutex.
class TIdStackUse {
public:
    TIdStackUse();
    ~TIdStackUse();
    TIdStackUse(const TIdStackUse&) = delete;
    TIdStackUse& operator=(const TIdStackUse&) = delete;
};
