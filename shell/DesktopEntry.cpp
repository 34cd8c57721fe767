#include "shell/DesktopEntry.h"

#include "shell/ShortcutPaths.h"
#include "util/Paths.h"

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

std::string QuoteExecArgument(const std::string& argument) {
    std::string result = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            result += '\\';
        result += c;
    }
    return result + '"';
}

namespace {

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

} // namespace

std::string LauncherExec(const std::string& arguments, const std::string& target) {
    std::string exec = EscapePercents(QuoteExecArgument(target));
    if (!arguments.empty())
        exec += ' ' + EscapePercents(arguments);
    return exec + " %F"; // the files or folders handed over by the file manager, as separate arguments
}

std::string LauncherIcon(const std::string& target) {
    // The program's icon travels with the sibling files beside it.
    const std::string icon = FolderWithSeparator(target) + "Files/ferrylo.png";
    return ShortcutPathExists(icon) ? icon : std::string("application-x-executable");
}

std::string LauncherText(const std::string& arguments, const std::string& target) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.0\n";
    text += "Name=" + EscapeEntryValue(NameWithoutExtension(target)) + '\n';
    text += "Exec=" + EscapeEntryValue(LauncherExec(arguments, target)) + '\n';
    text += "Path=" + EscapeEntryValue(FolderWithSeparator(target)) + '\n';
    text += "Icon=" + EscapeEntryValue(LauncherIcon(target)) + '\n';
    text += "Terminal=false\n";
    return text;
}
