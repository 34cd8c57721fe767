#include "tests/support/SecretService.h"

#include "tests/support/ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace ferrylo::testing {

namespace {

constexpr auto kStartBound = std::chrono::seconds(10);
constexpr auto kToolBound = std::chrono::seconds(10);
constexpr auto kStopBound = std::chrono::seconds(5);

// No service directories: a name nobody owns fails at once instead of starting a daemon of the system's choice.
std::string busConfiguration(const std::filesystem::path& folder) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir=" +
           folder.string() +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

SecretService::SecretService() : folder_(makePrivateTempFolder("ferrylo-keyring-")) {
    if (!start())
        failure_ += "\n" + readWholeFile(folder_ / "daemons.log");
}

SecretService::~SecretService() {
    stopProcessTree(keyring_, kStopBound);
    stopProcessTree(bus_, kStopBound);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool SecretService::start() {
    const auto log = folder_ / "daemons.log";
    writeText(folder_ / "bus.conf", busConfiguration(folder_));
    const std::string address = startReadingFirstLine(
        {"/usr/bin/dbus-daemon", "--config-file=" + (folder_ / "bus.conf").string(), "--nofork", "--print-address=1"},
        log, kStartBound, bus_);
    if (address.empty()) {
        failure_ = "dbus-daemon printed no address";
        return false;
    }
    // The daemon and every client of this process (the keyring client, secret-tool) take these from the environment;
    // the keyring files stay in the private folder.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);

    // An empty line on its standard input: the login keyring is made with an empty password and unlocked by it.
    writeText(folder_ / "unlock", "\n");
    keyring_ = spawnChild({"/usr/bin/gnome-keyring-daemon", "--foreground", "--unlock", "--components=secrets"}, -1,
                          log, folder_ / "unlock");
    if (keyring_ <= 0) {
        failure_ = "gnome-keyring-daemon did not start";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    while (!keyringUnlocked()) {
        if (std::chrono::steady_clock::now() > deadline || childHasEnded(keyring_)) {
            failure_ = "the login keyring did not come up unlocked";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool SecretService::keyringUnlocked() const {
    const auto reply = runTool({"/usr/bin/dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.secrets",
                                "/org/freedesktop/secrets/collection/login", "org.freedesktop.DBus.Properties.Get",
                                "string:org.freedesktop.Secret.Collection", "string:Locked"},
                               folder_ / "dbus-send.log", kToolBound);
    return reply && reply->find("boolean false") != std::string::npos;
}

std::optional<std::string> SecretService::secretTool(const std::vector<std::string>& args) const {
    std::vector<std::string> command = {"/usr/bin/secret-tool"};
    command.insert(command.end(), args.begin(), args.end());
    return runTool(command, folder_ / "secret-tool.log", kToolBound);
}

std::string SecretService::absentBus(const std::filesystem::path& folder) {
    return "unix:path=" + (folder / "no-bus").string();
}

} // namespace ferrylo::testing
