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

#ifdef _WIN32
inline constexpr const char* kSeparator = "\\";
inline constexpr const char* kProgramSuffix = ".exe";
inline constexpr const char* kShortcutSuffix = ".lnk";
inline constexpr const char* kHelpName = "ferrylo.chm";

// True when the shortcut at `link` starts `program`.
inline bool StartsProgram(const std::string& link, const std::string& program) {
    const auto facts = ReadShellLink(link);
    return facts && facts->target == program;
}
#else
inline constexpr const char* kSeparator = "/";
inline constexpr const char* kProgramSuffix = "";
inline constexpr const char* kShortcutSuffix = ".desktop";
inline constexpr const char* kHelpName = "ferrylo.html";

inline bool StartsProgram(const std::string& link, const std::string& program) {
    return ReadWholeFile(link).find("Exec=\"" + program + "\" %F") != std::string::npos;
}
#endif

class MenuCommands : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(program_.path() + QStringLiteral("/Files"));
        SetProgramFolder(program());
    }

    // 8-bit texts with native separators, as the program has them.
    std::string folder() const { return QDir::toNativeSeparators(program_.path()).toStdString() + kSeparator; }
    std::string program() const { return folder() + "ferrylo" + kProgramSuffix; }
    std::string sibling(const std::string& name) const { return folder() + "Files" + kSeparator + name; }
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
