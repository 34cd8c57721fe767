// The five settings files as start-up reads them. A settings file may hold anything (a crash, another program,
// a user's editor): reading it must never fail, must give what the bytes say, and saving what was read must
// write back the same record or lines, so nothing is lost that the user did not change.

#include "fuzz/FuzzEntries.h"
#include "fuzz/ScratchFile.h"

#include "ftp/PassiveReply.h"
#include "settings/PasswordCipher.h"
#include "settings/RecordFiles.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"
#include "util/TextFields.h"
#include "util/Utf8Text.h"

#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

namespace {

std::string_view Bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

bool Same(const TFtpSettings& a, const TFtpSettings& b) {
    return a.Folder == b.Folder && a.Server == b.Server && a.Login == b.Login && a.Password == b.Password &&
           a.Passive == b.Passive;
}

bool Same(const TCopyOptions& a, const TCopyOptions& b) {
    return EncodeCopyOptions(a) == EncodeCopyOptions(b);
}

// Values no record decodes to by chance, so a field the bytes do not reach shows that it kept its value.
TFtpSettings Earlier() {
    return {"earlier folder", "earlier server", "earlier login", "earlier password", false};
}

void CheckShortRecordKeepsTheRest(size_t size, const TFtpSettings& read) {
    const TFtpSettings earlier = Earlier();
    const std::string TFtpSettings::*slots[] = {&TFtpSettings::Folder, &TFtpSettings::Server, &TFtpSettings::Login,
                                                &TFtpSettings::Password};
    for (size_t i = 0; i < 4; ++i) {
        if (size <= i * TextSlotSize && read.*slots[i] != earlier.*slots[i])
            throw FuzzFinding("a record too short for slot " + std::to_string(i) + " changed it");
    }
    if (size <= 4 * TextSlotSize && read.Passive != earlier.Passive)
        throw FuzzFinding("a record too short for the passive byte changed it");
}

// What a line reads as when start-up takes the first line of a whole file.
std::string ExpectedFirstLine(std::string_view content) {
    const std::vector<std::string> lines = SplitLines(content);
    return lines.empty() ? std::string() : lines.front();
}

// ".iniInp" and ".inisearch": the first line, cut into two fields at '|'.
std::string ReadPipeLineFile(std::string_view suffix, const uint8_t* data, size_t size) {
    const std::string path = WriteScratchFile(suffix, data, size);
    const std::optional<std::string> line = ReadFirstLine(path);
    if (!line)
        throw FuzzFinding("an existing readable file gave no first line");
    if (*line != ExpectedFirstLine(Bytes(data, size)))
        throw FuzzFinding("the first line read from the file differs from the first line of its content");
    // A line of at most two fields is saved back as field 1 "|" field 2: both must be exactly what was read.
    const std::string first = PipeField(1, *line);
    const std::string second = PipeField(2, *line);
    const int fields = FieldCount(*line, '|');
    if (fields == 2 && first + "|" + second != *line)
        throw FuzzFinding("the two fields of a line do not make up the line");
    if (fields == 1 && (first != *line || !second.empty()))
        throw FuzzFinding("a line without '|' is not its own first field");
    return *line;
}

} // namespace

void MyIniFile(const uint8_t* data, size_t size) {
    TFtpSettings fromBytes = Earlier();
    DecodeFtpRecord(Bytes(data, size), fromBytes);
    CheckShortRecordKeepsTheRest(size, fromBytes);

    TFtpSettings fromFile = Earlier();
    if (!ReadFtpSettingsFile(WriteScratchFile(MyIniSuffix, data, size), fromFile))
        throw FuzzFinding("an existing writable record file could not be read");
    if (!Same(fromFile, fromBytes))
        throw FuzzFinding("the record file read differently from its bytes");

    // Start-up from defaults, then a save without any change by the user.
    TFtpSettings read;
    DecodeFtpRecord(Bytes(data, size), read);
    const std::string password = read.Password.empty() ? std::string() : DecryptPassword(read.Password);
    if (PasswordMask(password).size() != CharCount(password))
        throw FuzzFinding("the password mask does not have one '*' per character");
    TFtpSettings saved;
    FillFtpSettings(saved, read.Folder, read.Server, read.Login, password, read.Passive);
    if (!Same(saved, read))
        throw FuzzFinding("saving the settings just read changes them");
    TFtpSettings reread;
    DecodeFtpRecord(EncodeFtpRecord(saved), reread);
    if (!Same(reread, read))
        throw FuzzFinding("a record written from the settings read does not read back the same");
}

void OptionFile(const uint8_t* data, size_t size) {
    const TCopyOptions earlier{true, false, true, false, true};
    TCopyOptions fromBytes = earlier;
    DecodeCopyOptions(Bytes(data, size), fromBytes);
    TCopyOptions fromFile = earlier;
    if (!ReadCopyOptionsFile(WriteScratchFile(OptionSuffix, data, size), fromFile))
        throw FuzzFinding("an existing writable options file could not be read");
    if (!Same(fromFile, fromBytes))
        throw FuzzFinding("the options file read differently from its bytes");
    TCopyOptions reread;
    DecodeCopyOptions(EncodeCopyOptions(fromBytes), reread);
    if (!Same(reread, fromBytes))
        throw FuzzFinding("options written from the options read do not read back the same");
}

void IniInpFile(const uint8_t* data, size_t size) {
    ReadPipeLineFile(IniInpSuffix, data, size);
}

void IniSearchFile(const uint8_t* data, size_t size) {
    const std::string line = ReadPipeLineFile(IniSearchSuffix, data, size);
    // The search turns both fields into numbers; a field that is none is reported as such.
    for (int field = 1; field <= 2; ++field) {
        try {
            ParseDecimalInteger(PipeField(field, line));
        } catch (const EConvertError&) {
        }
    }
}

void PathFile(const uint8_t* data, size_t size) {
    const std::vector<std::string> lines = ReadTextLines(WriteScratchFile(PathSuffix, data, size));
    if (lines != SplitLines(Bytes(data, size)))
        throw FuzzFinding("the lines read from the file differ from the lines of its content");
    // Saving the list unchanged writes lines that read back as the same list.
    if (SplitLines(JoinLines(lines)) != lines)
        throw FuzzFinding("the destination list does not survive being saved and read again");
}

} // namespace fuzz
