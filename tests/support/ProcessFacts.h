// What the test process holds and has used, to prove that a failure leaves nothing open and a flood is not kept.
#pragma once

namespace ferrylo::testing {

// Open descriptors (POSIX) or handles (Windows) of this process; sockets are among them.
int openHandleCount();
// The most memory this process has held at once, in KiB.
long peakResidentKiB();

} // namespace ferrylo::testing
