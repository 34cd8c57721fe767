#pragma once
// What a server says it can do in its FEAT answer, as far as resuming and checking an upload, the encoding of
// names and reading a folder need.

#include <string>
#include <vector>

struct TFtpFeatures {
    bool RestStream = false; // REST STREAM: a STOR may start at an offset
    bool Size = false;       // SIZE: the size of a stored file
    bool Utf8 = false;       // UTF8: names are read as UTF-8
    bool Mlsd = false;       // MLST (with its facts): MLSD lists a folder in machine-readable lines
    bool Mdtm = false;       // MDTM: the modification time of a stored file
};

// From the lines of a FEAT reply as received (the code lines first and last, one feature a line
// between them). Case does not matter; anything but a 211 reply lists nothing.
TFtpFeatures ParseFeatures(int replyCode, const std::vector<std::string>& lines);
