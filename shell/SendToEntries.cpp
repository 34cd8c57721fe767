#include "shell/SendToEntries.h"

#include "shell/DesktopEntry.h"
#include "shell/ShellFolders.h"
#include "util/Paths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <vector>

namespace {

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

// A word of a shell script: single-quoted, each quote closed, escaped and opened again.
std::string QuoteShellWord(const std::string& word) {
    std::string result = "'";
    for (const char c : word)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + '\'';
}

std::string ThunarLauncherText(const std::string& target) {
    return LauncherText(std::string(), target);
}

std::string NautilusScriptText(const std::string& target) {
    // Nautilus names the selected local items in this variable, one a line; each becomes one argument, unglobbed.
    return "#!/bin/sh\n"
           "IFS='\n'\n"
           "set -f\n"
           "exec " +
           QuoteShellWord(target) + " $NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\n";
}

std::string NemoActionText(const std::string& target) {
    // Nemo puts each selected path in double quotes (Quote) into the line, which it splits as a shell would.
    std::string text = "[Nemo Action]\n";
    text += "Name=" + EscapeEntryValue(NameWithoutExtension(target)) + '\n';
    text += "Exec=" + EscapeEntryValue(QuoteExecArgument(target) + " %F") + '\n';
    text += "Quote=double\n"
            "Selection=notnone\n"
            "Extensions=any;\n";
    return text;
}

std::string DolphinServiceMenuText(const std::string& target) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Service\n"
                       "ServiceTypes=KonqPopupMenu/Plugin\n"
                       "MimeType=all/all;\n" // files and folders alike
                       "Actions=send;\n"
                       "\n"
                       "[Desktop Action send]\n";
    text += "Name=" + EscapeEntryValue(NameWithoutExtension(target)) + '\n';
    text += "Icon=" + EscapeEntryValue(LauncherIcon(target)) + '\n';
    text += "Exec=" + EscapeEntryValue(LauncherExec(std::string(), target)) + '\n';
    return text;
}

void WriteEntry(const std::string& path, const std::string& text, bool executable) {
    QSaveFile file(Local(path));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(text.data(), static_cast<qint64>(text.size()));
    if (!file.commit() || !executable)
        return;
    QFile::setPermissions(Local(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

bool OnPath(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

struct TFileManagerPlace {
    const char* program;    // the file manager's program, looked for on PATH
    const char* folder;     // where it reads its entries, under the user's data folder
    const char* nameSuffix; // after the program's base name
    std::string (*text)(const std::string& target);
    bool executable; // the file manager runs only entries marked so
};

// Thunar first: it takes the entry when no file manager is found.
constexpr TFileManagerPlace kPlaces[] = {
    {"thunar", "Thunar/sendto/", ".desktop", ThunarLauncherText, true},
    {"nautilus", "nautilus/scripts/", "", NautilusScriptText, true},
    {"nemo", "nemo/actions/", ".nemo_action", NemoActionText, false},
    {"dolphin", "kio/servicemenus/", ".desktop", DolphinServiceMenuText, true},
};

} // namespace

void PlaceSendToEntries(const std::string& baseName, const std::string& target) {
    std::vector<const TFileManagerPlace*> found;
    for (const TFileManagerPlace& place : kPlaces)
        if (OnPath(place.program))
            found.push_back(&place);
    if (found.empty())
        found.push_back(&kPlaces[0]);

    const std::string data = DataHomeFolder();
    for (const TFileManagerPlace* place : found) {
        // Nothing makes these folders before their first entry is added.
        QDir().mkpath(Local(data + place->folder));
        WriteEntry(data + place->folder + baseName + place->nameSuffix, place->text(target), place->executable);
    }
}
