// A Secret Service of the test's own (POSIX): a private session bus that starts nothing on demand, and
// gnome-keyring-daemon on it with its login keyring unlocked (an empty password) and its files in a private folder.
// While it lives the process's session bus is that one, so the keyring client and secret-tool find it. Every wait
// has a bound; both daemons are stopped when it goes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ferrylo::testing {

class SecretService {
public:
    SecretService();
    ~SecretService();
    SecretService(const SecretService&) = delete;
    SecretService& operator=(const SecretService&) = delete;

    // Empty when the keyring is up and unlocked; otherwise what went wrong, with the daemons' own words.
    const std::string& failure() const { return failure_; }

    // secret-tool's output for `args` on this bus, or nothing when it failed.
    std::optional<std::string> secretTool(const std::vector<std::string>& args) const;

    // A session bus address where nothing listens: a process pointed there finds no keyring at all.
    static std::string absentBus(const std::filesystem::path& folder);

private:
    bool start();
    bool keyringUnlocked() const;

    std::filesystem::path folder_;
    pid_t bus_ = -1;
    pid_t keyring_ = -1;
    std::string failure_;
};

} // namespace ferrylo::testing
