#pragma once
// The seven windows around one test case, started from a program file in a fresh temporary
// folder, with every prompt answered by the test.
#include "FakePasswordStore.h"
#include "app/FormSet.h"
#include "ui/UiLayer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

class MainWindowFixture : public ::testing::Test {
protected:
    void start(const QStringList& arguments = {});
    TForm1& form() { return forms_->main(); }

    std::string folder() const; // the program folder, with its trailing "/"
    std::string settingsFile(const char* suffix) const;
    void writeFile(const std::string& path, const std::string& bytes) const;
    std::string readFile(const std::string& path) const; // empty when missing
    bool exists(const std::string& path) const;

    QTemporaryDir dir_;
    ui::testing::Script script_;
    // The keyring the window is given: the fake unless a test hands it another (never the user's own).
    std::shared_ptr<FakePasswordStore> keyring_ = std::make_shared<FakePasswordStore>();
    std::shared_ptr<TPasswordStore> passwords_;

private:
    std::unique_ptr<FormSet> forms_;
};
