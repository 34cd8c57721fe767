#pragma once
// The connection check and the server search against a small stand-in host (plain fields, a real
// client, tray and search window: no window set), with the means to answer the search window
// while the check waits for it. ReachWindowFixture runs the same through the main window.
#include "ftp/TIdFTP.h"
#include "reach/ReachHost.h"
#include "reach/TForm7.h"
#include "shell/TJvTrayIcon.h"
#include "ui/UiLayer.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// The main window as the check sees it, reduced to plain values.
class FakeReachHost : public TReachHost {
public:
    std::string server, login, password;
    bool copyIdle = true;
    bool checkRunning = false;
    bool sftp = false;
    std::vector<std::string> log;
    std::vector<std::string> kept; // every server the search kept

    QWidget owner;
    std::unique_ptr<TIdFTP> ftp = std::make_unique<TIdFTP>();
    TJvTrayIcon tray{&owner};
    TForm7 search{&owner};

    TServerLogin CollectServerLogin() override { return {server, login, password}; }
    void KeepFoundServer(const std::string& found) override { kept.push_back(found); }
    void AppendLog(const QString& line) override { log.push_back(line.toStdString()); }
    TIdFTP& Ftp() override { return *ftp; }
    bool UsesSftp() const override { return sftp; }
    TJvTrayIcon& Tray() override { return tray; }
    QWidget* MessageOwner() override { return &owner; }
    TForm7* SearchWindow() override { return &search; }
    bool IsCopyIdle() const override { return copyIdle; }
    bool IsCheckRunning() const override { return checkRunning; }
    void SetCheckRunning(bool running) override { checkRunning = running; }
};

class ReachFixture : public ::testing::Test {
protected:
    // The stand-in host with the server, login and password; the client uses `port`. Settings
    // files go to the test's folder.
    void startHost(const QString& server, std::uint16_t port, const std::string& user, const std::string& password);

    // "Проверка связи"; returns when the check (and any search) has ended.
    void clickCheck();

    // Once the search window shows, `action` runs on it (from the check's waiting loop). The test
    // fails if the window does not show within a few seconds of the next click.
    void whenSearchWindowShows(std::function<void(TForm7&)> action);
    // Sets the range and presses "Поиск" once the search window shows.
    void searchRange(const QString& first, const QString& last);

    FakeReachHost& host() { return *host_; }
    virtual TReachHost& reachHost() { return *host_; }
    virtual void runCheck();
    virtual QStringList logLines();
    QStringList shownTexts() const;

    std::string folder() const; // the test's program folder, with its trailing "/"
    std::string settingsFile(const char* suffix) const;
    void writeFile(const std::string& path, const std::string& bytes) const;
    std::string readFile(const std::string& path) const; // empty when missing

    QTemporaryDir dir_;
    ui::testing::Script script_;

private:
    std::unique_ptr<FakeReachHost> host_;
};

extern const QString kNoServer; // "Не удалось найти сервер"
