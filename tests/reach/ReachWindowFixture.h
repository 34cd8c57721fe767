#pragma once
// The check through the seven windows: the main window's fields filled in, "Проверка связи" clicked.
#include "ReachFixture.h"

#include "app/FormSet.h"

#include <memory>

class ReachWindowFixture : public ReachFixture {
protected:
    // Starts the windows and fills in the server, login and password; the client uses `port`.
    void startWith(const QString& server, std::uint16_t port, const std::string& user, const std::string& password);
    TForm1& form() { return forms_->main(); }

    TReachHost& reachHost() override { return form(); }
    void runCheck() override;
    QStringList logLines() override;

private:
    std::unique_ptr<FormSet> forms_;
};
