#pragma once
// Every wait of the FTP client on the network is cut into short slices. Between two slices the client runs one
// process-wide hook: the program turns its message loop there, so the window repaints, the tray answers and the
// close request is served while a server is slow or silent. The client never pumps messages itself.

#include <functional>

namespace ftp {

// Length of one slice of a wait, in milliseconds.
constexpr int kWaitSliceMs = 50;

// The hook runs about once a frame while the client waits, however the waiting is split: a chain of quick
// replies over a slow line (a folder walk 40 ms away) must not keep the window frozen between them.
constexpr int kHookFrameMs = 16;

// Bounds on the waits that a server controls, in milliseconds. Connections carry them as fields (tests shorten
// them); these are the values in force in the program.
constexpr int kReplyTimeLimitMs = 60000;   // a whole reply, from its command (or the connect)
constexpr int kSendStallLimitMs = 60000;   // a send that moves no byte
constexpr int kConnectTimeLimitMs = 60000; // a connect, control or data

// Sets (or, with an empty function, clears) the hook run between two slices of every wait of the calling thread.
// Each thread has a hook of its own: an upload running off the window's thread must not turn the window's loop.
void SetWaitSliceHook(std::function<void()> hook);

// Runs the hook, if one is set, and notes when. Called by the waits of the client between their slices.
void RunWaitSliceHook();

// Waits until `readyWithin(ms)` (a readiness test that may itself wait up to ms) answers true, or `limitMs` has
// passed (< 0: no limit; 0: one test without waiting). Slices are at most kWaitSliceMs and end when a frame
// (kHookFrameMs) has passed since the hook last ran, in this wait or an earlier one; the hook then runs.
// True when ready.
bool WaitInSlices(int limitMs, const std::function<bool(int sliceMs)>& readyWithin);

} // namespace ftp
