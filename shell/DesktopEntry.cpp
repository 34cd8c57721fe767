#include "shell/DesktopEntry.h"

#include "shell/ShortcutPaths.h"
#include "util/Paths.h"

namespace {

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

} // namespace

std::string LauncherText(const std::string& arguments, const std::string& target) {
    std::string exec = EscapePercents(QuoteExecArgument(target));
    if (!arguments.empty())
        exec += ' ' + EscapePercents(arguments);
    exec += " %F"; // the files or folders handed over by the file manager, as separate arguments

    const std::string folder = FolderWithSeparator(target);
    // The program's icon travels with the sibling files beside it.
    const std::string icon = ShortcutPathExists(folder + "Files/ferrylo.png") ? folder + "Files/ferrylo.png"
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
