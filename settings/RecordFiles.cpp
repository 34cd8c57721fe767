#include "settings/RecordFiles.h"

#include "settings/FileIo.h"
#include "util/FileErrors.h"

#include <cerrno>

namespace {

void PutSlot(std::string& record, std::size_t offset, const std::string& text) {
    const std::size_t len = std::min<std::size_t>(text.size(), TextSlotSize - 1);
    record[offset] = static_cast<char>(len);
    record.replace(offset + 1, len, text, 0, len);
}

void GetSlot(std::string_view bytes, std::size_t offset, std::string& text) {
    if (bytes.size() <= offset)
        return;
    const std::size_t len = static_cast<unsigned char>(bytes[offset]);
    const std::size_t available = std::min(len, bytes.size() - offset - 1);
    text.assign(bytes.substr(offset + 1, available));
}

// The options in record order.
constexpr bool TCopyOptions::*OptionFields[OptionRecordSize] = {&TCopyOptions::PowerOff, &TCopyOptions::DeleteSources,
                                                                &TCopyOptions::NotifyDone, &TCopyOptions::ExitAfterCopy,
                                                                &TCopyOptions::TrayOnStart};

bool ReadRecordFile(const std::string& path, std::size_t size, std::string& bytes) {
    if (!settings_io::FileExists(path))
        return false;
    const settings_io::FileHandle file = settings_io::OpenForUpdate(path);
    if (!file.IsOpen())
        return false;
    // A read error leaves what came before it; the record takes that much, like a short file.
    settings_io::ReadUpTo(file, size, bytes);
    return true;
}

} // namespace

std::string EncodeFtpRecord(const TFtpSettings& s) {
    std::string record(FtpRecordSize, '\0');
    PutSlot(record, 0 * TextSlotSize, CutTo255(s.Folder));
    PutSlot(record, 1 * TextSlotSize, CutTo255(s.Server));
    PutSlot(record, 2 * TextSlotSize, CutTo255(s.Login));
    PutSlot(record, 3 * TextSlotSize, s.Password);
    record[4 * TextSlotSize] = s.Passive ? 1 : 0;
    return record;
}

void DecodeFtpRecord(std::string_view bytes, TFtpSettings& s) {
    GetSlot(bytes, 0 * TextSlotSize, s.Folder);
    GetSlot(bytes, 1 * TextSlotSize, s.Server);
    GetSlot(bytes, 2 * TextSlotSize, s.Login);
    GetSlot(bytes, 3 * TextSlotSize, s.Password);
    if (bytes.size() > 4 * TextSlotSize)
        s.Passive = bytes[4 * TextSlotSize] != 0;
}

std::string EncodeCopyOptions(const TCopyOptions& options) {
    std::string record(OptionRecordSize, '\0');
    for (std::size_t i = 0; i < OptionRecordSize; ++i)
        record[i] = options.*OptionFields[i] ? 1 : 0;
    return record;
}

void DecodeCopyOptions(std::string_view bytes, TCopyOptions& options) {
    for (std::size_t i = 0; i < OptionRecordSize && i < bytes.size(); ++i)
        options.*OptionFields[i] = bytes[i] != 0;
}

bool ReadFtpSettingsFile(const std::string& path, TFtpSettings& settings) {
    std::string bytes;
    if (!ReadRecordFile(path, FtpRecordSize, bytes))
        return false;
    DecodeFtpRecord(bytes, settings);
    return true;
}

bool WriteFtpSettingsFile(const std::string& path, const TFtpSettings& settings) {
    settings_io::FileHandle file = settings_io::CreateAnew(path);
    if (!file.IsOpen())
        return false;
    // A record that did not reach the disk must not be reported as saved.
    const bool written = settings_io::WriteAll(file, EncodeFtpRecord(settings));
    return file.Close() && written;
}

bool ReadCopyOptionsFile(const std::string& path, TCopyOptions& options) {
    std::string bytes;
    if (!ReadRecordFile(path, OptionRecordSize, bytes))
        return false;
    DecodeCopyOptions(bytes, options);
    return true;
}

bool WriteCopyOptionsFile(const std::string& path, const TCopyOptions& options) {
    settings_io::FileHandle file = settings_io::CreateAnew(path);
    if (!file.IsOpen())
        return false;
    if (!settings_io::WriteAll(file, EncodeCopyOptions(options)) || !file.Close())
        throw EInOutError(errno);
    return true;
}
