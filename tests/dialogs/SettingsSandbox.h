#pragma once
// Each case gets its own settings folder, fresh copy options and a primed UI layer, and puts
// back what it changed.

#include "settings/Settings.h"
#include "ui/UiLayer.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

class SettingsSandbox : public ::testing::Test {
protected:
    SettingsSandbox() : savedBase_(SettingsBase()), savedOptions_(CopyOptions) {
        SetSettingsBase(dir_.filePath(QStringLiteral("ferrylo")).toStdString());
        CopyOptions = TCopyOptions{};
    }
    ~SettingsSandbox() override {
        SetSettingsBase(savedBase_);
        CopyOptions = savedOptions_;
    }

    // Settings files then go to a folder that does not exist, so none can be created.
    void makeSettingsUnwritable() { SetSettingsBase(dir_.filePath(QStringLiteral("missing/ferrylo")).toStdString()); }

    static std::string readFile(std::string_view suffix) {
        std::ifstream in(SettingsFile(suffix), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void writeFile(std::string_view suffix, const std::string& bytes) {
        std::ofstream(SettingsFile(suffix), std::ios::binary) << bytes;
    }

    QTemporaryDir dir_;
    ui::testing::Script script_;

private:
    std::string savedBase_;
    TCopyOptions savedOptions_;
};
