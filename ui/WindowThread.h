#pragma once
// Work that waits on the network runs off the window's thread, while the window's thread turns an event loop of
// its own: the window repaints, the tray answers and a click is served (and meets the guard of the operation
// under way). What must happen on the window's thread (a question box) is handed back to it.

#include <functional>

namespace ui {

// Runs `work` on a thread of its own and returns once it ended; an exception it raised is raised here.
void RunOffWindowThread(const std::function<void()>& work);

// Runs `work` on the window's thread and returns once it ended: at once when called there, else when the window's
// thread next runs the handed work (RunOffWindowThread's loop and every ProcessMessages do; a modal box open
// meanwhile does not). An exception it raised is raised in the caller.
void RunOnWindowThread(const std::function<void()>& work);

// On the window's thread: runs the work other threads handed to it, in the order handed; elsewhere nothing.
void RunHandedWork();

} // namespace ui
