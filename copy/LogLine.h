#pragma once
// A line of the job's log: when it was written, then what happened. Built as QString, so the job's own Russian
// text never passes through the system's 8-bit encoding; paths join it through ui::FromSystemText.

#include <QString>

#include <string>

namespace copyjob {

// "dd-mm-yyyy <time>: " + text.
QString StampedLine(const QString& text);

// The stamped line that tells a file's upload begins.
QString FileStartedLine(const std::string& item);

} // namespace copyjob
