#pragma once
// The seven windows with the FTP fields filled in, and the means to click the connection check
// and answer the search window while the check waits for it.
#include "MainWindowFixture.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>

class TForm7;

class ReachFixture : public MainWindowFixture {
protected:
    // Starts the windows and fills in the server, login and password; the client uses `port`.
    void startWith(const QString& server, std::uint16_t port, const std::string& user, const std::string& password);

    // Clicks "Проверка связи"; returns when the check (and any search) has ended.
    void clickCheck();

    // Once the search window shows, `action` runs on it (from the check's waiting loop). The test
    // fails if the window does not show within a few seconds of the next click.
    void whenSearchWindowShows(std::function<void(TForm7&)> action);
    // Sets the range and presses "Поиск" once the search window shows.
    void searchRange(const QString& first, const QString& last);

    QStringList logLines();
    QStringList shownTexts() const;
    int countShown(const QString& text) const;
};

extern const QString kNoServer; // "Не удалось найти сервер"
