// Send To on Linux: an entry for each file manager whose program is on PATH, of the kind it reads, that starts the
// program with the selected folders or files whole; Thunar's launcher alone when no file manager is found.
#include "LauncherReading.h"
#include "ShellEnvironment.h"
#include "shell/SendToEntries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>

namespace {

struct Entry {
    std::string path; // under the data folder
    bool executable;
};

std::vector<Entry> EntriesUnder(const std::string& folder) {
    std::vector<Entry> entries;
    QDirIterator files(QString::fromStdString(folder), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        entries.push_back({file.filePath().mid(qsizetype(folder.size())).toStdString(), file.isExecutable()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.path < b.path; });
    return entries;
}

bool operator==(const Entry& a, const Entry& b) {
    return a.path == b.path && a.executable == b.executable;
}

void PrintTo(const Entry& entry, std::ostream* out) {
    *out << entry.path << (entry.executable ? " (executable)" : "");
}

const Entry kThunar{"Thunar/sendto/ferrylo.desktop", true};
const Entry kNautilus{"nautilus/scripts/ferrylo", true};
const Entry kNemo{"nemo/actions/ferrylo.nemo_action", false};
const Entry kDolphin{"kio/servicemenus/ferrylo.desktop", true};

TEST(SendToEntries, EachFileManagerOnPathGetsItsOwnEntryAndNoneMeansThunar) {
    const struct {
        std::vector<std::string> onPath;
        std::vector<Entry> entries; // sorted by path
    } cases[] = {
        {{}, {kThunar}},
        {{"pcmanfm"}, {kThunar}}, // a file manager of no known kind counts as none
        {{"thunar"}, {kThunar}},
        {{"nautilus"}, {kNautilus}},
        {{"nemo", "dolphin"}, {kDolphin, kNemo}},
        {{"dolphin", "nemo", "nautilus", "thunar"}, {kThunar, kDolphin, kNautilus, kNemo}},
    };
    for (const auto& c : cases) {
        ShellEnvironment env;
        for (const std::string& program : c.onPath)
            env.putOnPath(program);
        SCOPED_TRACE(c.onPath.empty() ? std::string("none") : c.onPath.front());
        PlaceSendToEntries("ferrylo", "/opt/ferrylo/ferrylo");
        PlaceSendToEntries("ferrylo", "/opt/ferrylo/ferrylo"); // replaced, never doubled
        EXPECT_EQ(EntriesUnder(env.home() + "data/"), c.entries);
    }
}

TEST(SendToEntries, EveryEntryHandsTheSelectionToTheWholeTarget) {
    ShellEnvironment env;
    for (const char* program : {"nautilus", "nemo", "dolphin"})
        env.putOnPath(program);
    // Blanks, Cyrillic, quotes of both kinds, a dollar and a backslash must all reach the program unchanged.
    const std::string folder = env.home() + "Мои программы/a 'b' \"c\" $HOME \\d/";
    const std::string target = folder + "ferrylo";
    QDir().mkpath(QString::fromStdString(folder));
    const std::string recorded = env.home() + "arguments";
    WriteWholeFile(target, "#!/bin/sh\nfor a; do echo \"$a\"; done > '" + recorded + "'\n");
    QFile::setPermissions(QString::fromStdString(target), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    PlaceSendToEntries("ferrylo", target);
    const std::string data = env.home() + "data/";

    // Nautilus runs the script with the selected items' paths in a variable, one a line.
    QProcess script;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS"),
                       QStringLiteral("/srv/Выгрузка/a b\n/srv/*.txt\n"));
    script.setProcessEnvironment(environment);
    script.start(QString::fromStdString(data + kNautilus.path), {});
    ASSERT_TRUE(script.waitForFinished(10000));
    EXPECT_EQ(script.exitCode(), 0);
    EXPECT_EQ(ReadWholeFile(recorded), "/srv/Выгрузка/a b\n/srv/*.txt\n");

    for (const Entry& entry : {kNemo, kDolphin}) {
        SCOPED_TRACE(entry.path);
        auto keys = LauncherKeys(ReadWholeFile(data + entry.path));
        EXPECT_EQ(ExecArguments(keys["Exec"]), (std::vector<std::string>{target, "%F"}));
        EXPECT_EQ(keys["Name"], "ferrylo");
    }
    // Nemo quotes each path it puts for %F; Dolphin offers the entry for files and folders alike.
    EXPECT_EQ(LauncherKeys(ReadWholeFile(data + kNemo.path))["Quote"], "double");
    EXPECT_EQ(LauncherKeys(ReadWholeFile(data + kDolphin.path))["MimeType"], "all/all;");
}

} // namespace
