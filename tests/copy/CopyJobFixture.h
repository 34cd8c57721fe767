#pragma once
// The seven windows around one copy-job case: a fresh program folder, a source tree under it,
// every prompt answered by the test, and helpers to point the main window at a test server.
#include "app/FormSet.h"
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

    TForm1& form() { return forms_->main(); }

    std::string programFolder() const; // with its trailing "/"
    // A file under the program folder, with its folders; returns its full path.
    std::string makeFile(const std::string& relative, const std::string& bytes) const;
    std::string makeFolder(const std::string& relative) const;
    static std::string readFile(const std::string& path);
    static bool exists(const std::string& path);

    // The window's fields for one job; the options window's boxes are left as they are.
    void setSource(const std::string& folder, const std::string& fileName, const std::string& destination);
    void pointAt(const std::string& host, std::uint16_t port, const std::string& user, const std::string& password);
    // Options: PowerOff, DeleteSources, NotifyDone, ExitAfterCopy, TrayOnStart.
    void setOptions(bool powerOff, bool deleteSources, bool notifyDone, bool exitAfterCopy, bool trayOnStart);

    // Clicks "Старт копирования" as the user would; returns when the job has ended.
    void startJob();

    std::vector<std::string> logTexts() const; // log lines without their time stamp
    std::vector<QString> errors() const;       // texts of the standard error box

    // Runs `hook` inside each work event of the window's FTP client, after the window's own handler.
    void onWorkBegin(std::function<void(std::int64_t)> hook);
    void onWork(std::function<void(std::int64_t)> hook);
    void onWorkEnd(std::function<void()> hook);

    QTemporaryDir dir_;
    ui::testing::Script script_;

private:
    std::unique_ptr<FormSet> forms_;
};

// A loopback port on which nothing listens (bound, then released).
std::uint16_t UnusedLoopbackPort();

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
