#include "shell/Shortcuts.h"

#include "shell/ShellFolders.h"
#include "util/NativePath.h"
#include "util/Paths.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <objbase.h>
#include <shlobj.h>
#include <stdexcept>
#include <windows.h>
#else
#include <QDir>
#include <QFile>
#include <QSaveFile>
#endif

namespace {

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(NativePath(path), error);
}

// The target's folder with its trailing separator: the text up to and including the last one.
std::string FolderWithSeparator(const std::string& target) {
    const std::string folder = FolderPart(target);
    return folder.empty() ? folder : WithTrailingBackslash(folder);
}

#ifndef _WIN32
// A value of a desktop entry key: backslash and control characters escaped.
std::string EscapeEntryValue(const std::string& text) {
    std::string result;
    for (const char c : text) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result += c;
        }
    }
    return result;
}

// One argument of an Exec line: double-quoted with the characters that the quoting rules reserve
// escaped, so a path with blanks, quotes or "$" reaches the program as one untouched argument.
std::string QuoteExecArgument(const std::string& argument) {
    std::string result = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            result += '\\';
        result += c;
    }
    return result + '"';
}

// A literal '%' would read as a field code.
std::string EscapePercents(const std::string& text) {
    std::string result;
    for (const char c : text) {
        result += c;
        if (c == '%')
            result += '%';
    }
    return result;
}

std::string LauncherText(const std::string& arguments, const std::string& target) {
    std::string exec = EscapePercents(QuoteExecArgument(target));
    if (!arguments.empty())
        exec += ' ' + EscapePercents(arguments);
    exec += " %F"; // the files or folders handed over by the file manager, as separate arguments

    const std::string folder = FolderWithSeparator(target);
    // The program's icon travels with the sibling files beside it.
    const std::string icon = FileExists(folder + "Files/ferrylo.png") ? folder + "Files/ferrylo.png"
                                                                      : std::string("application-x-executable");
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.0\n";
    text += "Name=" + EscapeEntryValue(NameWithoutExtension(target)) + '\n';
    text += "Exec=" + EscapeEntryValue(exec) + '\n';
    text += "Path=" + EscapeEntryValue(folder) + '\n';
    text += "Icon=" + EscapeEntryValue(icon) + '\n';
    text += "Terminal=false\n";
    return text;
}
#endif

} // namespace

std::string ShortcutFileName(const std::string& baseName) {
#ifdef _WIN32
    return baseName + ".lnk";
#else
    return baseName + ".desktop";
#endif
}

#ifdef _WIN32
namespace {
// The shell link object is a COM object: the thread needs COM, which the windows of the toolkit bring up but a
// program without them (or another thread) does not have. Joined when already there, left as it was found.
class ComForThisThread {
public:
    ComForThisThread() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComForThisThread() {
        if (initialised_)
            CoUninitialize();
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    bool initialised_;
};
} // namespace

void CreateShortcut(const std::string& linkPath, const std::string& arguments, const std::string& target) {
    const ComForThisThread com;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        throw std::runtime_error("Interface not supported");
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        throw std::runtime_error("Interface not supported");
    }
    // Results of the setters and of the save are not examined: an unwritable place leaves no link.
    link->SetArguments(WideText(arguments).c_str());
    link->SetPath(NativePath(target).c_str());
    link->SetWorkingDirectory(NativePath(FolderWithSeparator(target)).c_str());
    file->Save(NativePath(linkPath).c_str(), FALSE);
    file->Release();
    link->Release();
}
#else
void CreateShortcut(const std::string& linkPath, const std::string& arguments, const std::string& target) {
    QSaveFile file(QString::fromLocal8Bit(linkPath));
    if (!file.open(QIODevice::WriteOnly))
        return;
    const std::string text = LauncherText(arguments, target);
    file.write(text.data(), static_cast<qint64>(text.size()));
    if (!file.commit())
        return;
    // File managers start only launchers that are marked executable.
    QFile::setPermissions(QString::fromLocal8Bit(linkPath), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                                QFile::ExeOther);
}
#endif

void PlaceDesktopShortcut(const std::string& name, const std::string& arguments, const std::string& target) {
    if (!FileExists(DesktopFolder() + name))
        CreateShortcut(CommonDesktopFolder() + name, arguments, target);
    if (!FileExists(CommonDesktopFolder() + name) && !FileExists(DesktopFolder() + name))
        CreateShortcut(DesktopFolder() + name, arguments, target);
}

void PlaceSendToShortcut(const std::string& name, const std::string& target) {
    const std::string folder = SendToFolder();
#ifndef _WIN32
    if (!folder.empty())
        QDir().mkpath(QString::fromLocal8Bit(folder));
#endif
    CreateShortcut(folder + name, std::string(), target);
}
