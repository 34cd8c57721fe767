// Child processes for the test servers (POSIX): start one, run a tool to its end, stop one with its whole
// tree. Every wait has a bound, so a broken tool fails a test instead of hanging it.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ferrylo::testing {

// A fresh private folder under $TMPDIR (or /tmp), named from `prefix`.
std::filesystem::path makePrivateTempFolder(const std::string& prefix);

// Starts `args` (args[0] an absolute path) with stdin from `stdinFile`, stdout into `stdoutFd` (or /dev/null when
// negative) and stderr appended to `stderrFile`. Returns its pid, -1 when it could not start.
pid_t spawnChild(const std::vector<std::string>& args, int stdoutFd, const std::filesystem::path& stderrFile,
                 const std::filesystem::path& stdinFile = "/dev/null");

// Runs a tool to its end within `bound`: its stdout when it exited with 0, nothing otherwise (its stderr is then
// in `stderrFile`).
std::optional<std::string> runTool(const std::vector<std::string>& args, const std::filesystem::path& stderrFile,
                                   std::chrono::milliseconds bound);

// True once `pid` (a child of ours) has ended; reaps it.
bool childHasEnded(pid_t pid);

// Ends `pid` and every process below it: SIGTERM to all, a bounded wait for `pid`, then SIGKILL to whatever is left.
// Sets `pid` to -1.
void stopProcessTree(pid_t& pid, std::chrono::milliseconds bound);

// Starts a program as spawnChild does (its pid into `pid`) and reads the first line it prints within `bound`, without
// its end of line; empty when it did not start or printed none.
std::string startReadingFirstLine(const std::vector<std::string>& args, const std::filesystem::path& stderrFile,
                                  std::chrono::milliseconds bound, pid_t& pid);

// Starts a server as spawnChild does (its pid into `pid`) and reads the port it prints on its first line within
// `bound`; 0 when it did not start or printed none.
int startServer(const std::vector<std::string>& args, const std::filesystem::path& stderrFile,
                std::chrono::milliseconds bound, pid_t& pid);

std::string readWholeFile(const std::filesystem::path& path);

} // namespace ferrylo::testing
