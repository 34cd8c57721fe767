#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace ferrylo::testing {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(10);

std::chrono::milliseconds leftUntil(Clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
}

struct ProcessFacts {
    char state = 0;
    pid_t parent = 0;
};

// State and parent of a process, from /proc (Linux); nothing when it is gone.
std::optional<ProcessFacts> readProcessFacts(const std::filesystem::path& procEntry) {
    std::ifstream stat(procEntry / "stat");
    std::string line;
    std::getline(stat, line);
    // "pid (command) state ppid ...": the command may hold spaces and parentheses, so read after the last ')'.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream rest(line.substr(close + 1));
    ProcessFacts facts;
    if (!(rest >> facts.state >> facts.parent))
        return std::nullopt;
    return facts;
}

std::multimap<pid_t, pid_t> childrenByParent() {
    std::multimap<pid_t, pid_t> children;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (const auto facts = readProcessFacts(entry.path()))
            children.emplace(facts->parent, static_cast<pid_t>(std::stol(name)));
    }
    return children;
}

std::vector<pid_t> descendantsOf(pid_t root) {
    const auto children = childrenByParent();
    std::vector<pid_t> found;
    std::vector<pid_t> todo = {root};
    while (!todo.empty()) {
        const pid_t parent = todo.back();
        todo.pop_back();
        const auto [first, last] = children.equal_range(parent);
        for (auto it = first; it != last; ++it) {
            found.push_back(it->second);
            todo.push_back(it->second);
        }
    }
    return found;
}

// A zombie has ended; only its parent's reaping is left.
bool processRuns(pid_t pid) {
    const auto facts = readProcessFacts("/proc/" + std::to_string(pid));
    return facts && facts->state != 'Z';
}

} // namespace

std::filesystem::path makePrivateTempFolder(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder for " + prefix);
    return pattern;
}

pid_t spawnChild(const std::vector<std::string>& args, int stdoutFd, const std::filesystem::path& stderrFile,
                 const std::filesystem::path& stdinFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, stdinFile.c_str(), O_RDONLY, 0);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (auto& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

std::optional<std::string> runTool(const std::vector<std::string>& args, const std::filesystem::path& stderrFile,
                                   std::chrono::milliseconds bound) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return std::nullopt;
    pid_t pid = spawnChild(args, out[1], stderrFile);
    ::close(out[1]);
    std::string output;
    const auto deadline = Clock::now() + bound;
    pollfd readable{out[0], POLLIN, 0};
    while (pid > 0 && leftUntil(deadline).count() > 0 &&
           ::poll(&readable, 1, static_cast<int>(leftUntil(deadline).count())) > 0) {
        char chunk[4096];
        const ssize_t got = ::read(out[0], chunk, sizeof chunk);
        if (got <= 0)
            break;
        output.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(out[0]);
    if (pid <= 0)
        return std::nullopt;
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(kPollStep);
    if (done == 0) {
        stopProcessTree(pid, std::chrono::milliseconds(0));
        return std::nullopt;
    }
    if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

bool childHasEnded(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) != 0;
}

void stopProcessTree(pid_t& pid, std::chrono::milliseconds bound) {
    if (pid <= 0)
        return;
    const auto deadline = Clock::now() + bound;
    // A daemon's sessions are its children; they would outlive it and keep a client connected. Some hold SIGTERM
    // blocked until their parent goes, so all are asked at once and only the stragglers are killed.
    const std::vector<pid_t> below = descendantsOf(pid);
    ::kill(pid, SIGTERM);
    for (const pid_t child : below)
        ::kill(child, SIGTERM);
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(kPollStep);
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    for (const pid_t child : below) {
        while (processRuns(child) && Clock::now() < deadline)
            std::this_thread::sleep_for(kPollStep);
        if (processRuns(child))
            ::kill(child, SIGKILL);
    }
    pid = -1;
}

namespace {

// The first line that `fd` gives within `bound`, without its end of line; empty when none came.
std::string readFirstLine(int fd, std::chrono::milliseconds bound) {
    std::string line;
    const auto deadline = Clock::now() + bound;
    pollfd readable{fd, POLLIN, 0};
    while (line.find('\n') == std::string::npos) {
        const auto left = leftUntil(deadline);
        if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            return {};
        char chunk[64];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return {};
        line.append(chunk, static_cast<std::size_t>(got));
    }
    return line.substr(0, line.find('\n'));
}

} // namespace

std::string startReadingFirstLine(const std::vector<std::string>& args, const std::filesystem::path& stderrFile,
                                  std::chrono::milliseconds bound, pid_t& pid) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return {};
    pid = spawnChild(args, out[1], stderrFile);
    ::close(out[1]);
    const std::string line = pid > 0 ? readFirstLine(out[0], bound) : std::string();
    ::close(out[0]);
    return line;
}

int startServer(const std::vector<std::string>& args, const std::filesystem::path& stderrFile,
                std::chrono::milliseconds bound, pid_t& pid) {
    const int port = std::atoi(startReadingFirstLine(args, stderrFile, bound, pid).c_str());
    return port > 0 && port <= 65535 ? port : 0;
}

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace ferrylo::testing
