#pragma once
// One copy-job case: a stand-in host, a fresh program folder with a source tree under it, every
// prompt answered by the test, and helpers to point the host at a test server.
#include "FakeCopyHost.h"
#include "ui/UiLayer.h"

#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class TIdComponent;

class CopyJobFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    FakeCopyHost& host() { return *host_; }

    std::string programFolder() const; // with its trailing separator
    // A file under the program folder, with its folders; returns its full path.
    std::string makeFile(const std::string& relative, const std::string& bytes) const;
    std::string makeFolder(const std::string& relative) const;
    static std::string readFile(const std::string& path); // the program's 8-bit text
    static std::string readFile(const std::filesystem::path& path);
    static bool exists(const std::string& path);
    // An 8-bit path as the log and the boxes show it (UTF-8).
    static std::string shown(const std::string& eightBit);
    // A recorder where the power-off tool would be (never the real tool); it writes the returned marker file
    // `delayMs` after it started.
    std::string placePowerOffRecorder(int delayMs) const;
    // A name in a folder, joined with the system's separator as the job joins them.
    static std::string inFolder(const std::string& folder, const std::string& name);

    // The host's fields for one job; the options are left as they are.
    void setSource(const std::string& folder, const std::string& fileName, const std::string& destination);
    void pointAt(const std::string& address, std::uint16_t port, const std::string& user, const std::string& password);
    // Options: PowerOff, DeleteSources, NotifyDone, ExitAfterCopy, TrayOnStart.
    void setOptions(bool powerOff, bool deleteSources, bool notifyDone, bool exitAfterCopy, bool trayOnStart);

    // Starts the job as a click on "Старт копирования" does; returns when the job has ended.
    void startJob();
    // The same with "Удалить исходные файлы…" answered No: the sources are kept.
    void startJobKeepingSources();

    std::vector<std::string> logTexts() const;    // log lines without their time stamp
    long logged(const std::string& prefix) const; // log lines (without their stamp) that begin with `prefix`
    std::vector<QString> errors() const;          // texts of the standard error box

    // Runs `hook` inside each work event of every connection of the job, on its thread, after the engine's own
    // handling.
    void onWorkBegin(std::function<void(std::int64_t)> hook);
    void onWork(std::function<void(std::int64_t)> hook);
    void onWorkEnd(std::function<void()> hook);

    QTemporaryDir dir_;
    ui::testing::Script script_;

private:
    std::unique_ptr<FakeCopyHost> host_;
};

// A loopback port on which nothing listens (bound, then released).
std::uint16_t UnusedLoopbackPort();

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
