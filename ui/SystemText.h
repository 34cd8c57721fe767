#pragma once
// The program's 8-bit text (paths, typed values, settings, server replies) is the system's encoding: the ANSI code
// page on Windows, UTF-8 on Linux. These two are the only way between it and QString. The program's own texts are
// QString from their UTF-8 literals and never pass through here: on Windows that would read them as the ANSI code
// page, and an ANSI code page without Cyrillic could not hold them at all.

#include <QString>
#include <string>
#include <string_view>

namespace ui {

// 8-bit text as shown: every byte counts, a NUL inside does not end it.
QString FromSystemText(std::string_view text);

// Shown or typed text as the 8-bit text that files, settings and the server get.
std::string ToSystemText(const QString& text);

} // namespace ui
