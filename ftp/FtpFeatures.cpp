#include "ftp/FtpFeatures.h"

#include "ftp/TIdRFCReply.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// "REST  STREAM" and "REST STREAM" alike: the words, one blank apart.
std::string Words(const std::string& line) {
    std::string words;
    bool blank = false;
    for (char c : TrimBlanks(line)) {
        if (static_cast<unsigned char>(c) <= 32) {
            blank = true;
            continue;
        }
        if (blank)
            words += ' ';
        blank = false;
        words += c;
    }
    return Upper(words);
}

} // namespace

TFtpFeatures ParseFeatures(int replyCode, const std::vector<std::string>& lines) {
    TFtpFeatures features;
    if (replyCode != 211 || lines.size() < 3)
        return features;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string feature = Words(lines[i]);
        features.RestStream |= feature == "REST STREAM";
        features.Size |= feature == "SIZE";
        features.Utf8 |= feature == "UTF8";
        // Servers announce MLST with the facts they give ("MLST type*;size*;modify*;"); MLSD goes with it.
        features.Mlsd |= feature == "MLST" || feature.rfind("MLST ", 0) == 0;
        features.Mdtm |= feature == "MDTM";
    }
    return features;
}
