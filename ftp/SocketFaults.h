#pragma once
// Test seam over the platform socket calls. A test arms a fault; the n-th call of that kind from then on does not
// reach the platform and fails with the chosen Windows Sockets error number, as if the platform had reported it.
// The name lookup can be replaced as a whole, so tests of unknown names need no resolver on the network.
// Nothing is armed in the program; each call then costs one relaxed atomic load.

#include <functional>
#include <string>

namespace ftp::faults {

enum class SocketCall { Send, Receive, Connect, Bind };

// The `n`-th call (1 = the next one) of `call` fails with `errorNumber`. Replaces an earlier arming of that call.
void FailNthCall(SocketCall call, int n, int errorNumber);

// Lookup replacement: returns 0 and sets `dotted`, or returns a Windows Sockets error number.
using NameLookup = std::function<int(const std::string& name, std::string& dotted)>;
void ReplaceNameLookup(NameLookup lookup);

// Disarms everything and restores the platform lookup.
void Reset();

// Scoped form for tests: resets on construction and destruction.
class ScopedFaults {
public:
    ScopedFaults() { Reset(); }
    ~ScopedFaults() { Reset(); }
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;
};

// Used by the platform wrappers: true when this call must fail; then `errorNumber` is the number to report.
bool ShouldFail(SocketCall call, int& errorNumber);
bool LookupReplaced(const std::string& name, std::string& dotted, int& result);

} // namespace ftp::faults
