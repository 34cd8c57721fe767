#pragma once
// The program in a temporary folder whose Files/ holds only harmless stand-ins, with a private
// home, every prompt answered by the test and every program start recorded.
#include "ShellEnvironment.h"
#include "shell/RunProgram.h"
#include "ui/UiLayer.h"
#include "util/ProgramFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class MenuCommands : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(program_.path() + QStringLiteral("/Files"));
        SetProgramFolder(program());
    }

    std::string folder() const { return program_.path().toStdString() + "/"; }
    std::string program() const { return folder() + "ferrylo"; }
    QString local(const std::string& text) const { return QString::fromLocal8Bit(text); }
    // The messages shown, without the pickers that the script also records.
    std::vector<QString> messages() const {
        std::vector<QString> texts;
        for (const auto& shown : script_.shown())
            if (shown.kind == ui::testing::Shown::Kind::Information)
                texts.push_back(shown.text);
        return texts;
    }

    ShellEnvironment env_;
    QTemporaryDir program_;
    ui::testing::Script script_;
    shell::testing::RunRecorder runs_;
};
