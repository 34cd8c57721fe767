#pragma once
// The two fixed-size record files.
//
// ".MyIni", 1025 bytes: four 256-byte text slots (a length byte, then up to 255 bytes of text)
// for Folder, Server, Login and the enciphered Password, then one byte for Passive (0 off, any
// other value on). ".option", 5 bytes, one per copy option in declaration order.
//
// Both are opened for reading and writing also when only read, so a read-only file counts as
// one that cannot be opened. A short file fills only the fields whose bytes it has; the others
// keep their values. Nothing is checked beyond that.

#include "settings/Settings.h"

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr std::size_t FtpRecordSize = 1025;
inline constexpr std::size_t TextSlotSize = 256;
inline constexpr std::size_t OptionRecordSize = 5;

// The record image of the settings; texts longer than a slot are cut to 255 bytes (on a
// character boundary, except the cipher text, which is bytes). Unused slot bytes are zero, so
// nothing of an earlier, longer value lingers in the file.
std::string EncodeFtpRecord(const TFtpSettings& settings);

// Fills `settings` from the first bytes.size() bytes of a record. A text slot cut short by the
// end of the bytes takes the text bytes that are there.
void DecodeFtpRecord(std::string_view bytes, TFtpSettings& settings);

std::string EncodeCopyOptions(const TCopyOptions& options);
void DecodeCopyOptions(std::string_view bytes, TCopyOptions& options);

// False when the file is missing or cannot be opened for reading and writing: `settings` is
// then untouched.
bool ReadFtpSettingsFile(const std::string& path, TFtpSettings& settings);

// Creates the file anew and writes the record; false when it cannot be created, written or
// closed, so the caller's advice covers a full disk as well.
bool WriteFtpSettingsFile(const std::string& path, const TFtpSettings& settings);

bool ReadCopyOptionsFile(const std::string& path, TCopyOptions& options);

// Creates the file anew; false when it cannot be created. A write or close error afterwards
// throws EInOutError.
bool WriteCopyOptionsFile(const std::string& path, const TCopyOptions& options);
