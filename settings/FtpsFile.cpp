#include "settings/FtpsFile.h"

#include "settings/FileIo.h"
#include "settings/Settings.h"
#include "settings/TextFiles.h"

#include <algorithm>
#include <charconv>
#include <exception>

namespace {

constexpr std::string_view kEncryptionKey = "ftps=";
constexpr std::string_view kKnownFoldersKey = "known_folders=";
constexpr std::string_view kSftpKey = "sftp=";
constexpr std::string_view kSkipExistingKey = "skip_existing=";
constexpr std::string_view kParallelUploadsKey = "parallel_uploads=";
constexpr std::string_view kPasswordStoreKey = "password_store=";
constexpr std::string_view kKeyringStore = "keyring";
// "certificate=<fingerprint> <server>": the fingerprint has no blank, so the server may hold anything but a line
// break, '=' and blanks included.
constexpr std::string_view kCertificateKey = "certificate=";

bool StartsWith(const std::string& line, std::string_view prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

bool BreaksLine(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// The server of a certificate line, or nothing when the line is not one.
bool SplitCertificate(const std::string& line, std::string& fingerprint, std::string& server) {
    if (!StartsWith(line, kCertificateKey))
        return false;
    const std::string value = line.substr(kCertificateKey.size());
    const auto blank = value.find(' ');
    if (blank == std::string::npos || blank == 0)
        return false;
    fingerprint = value.substr(0, blank);
    server = value.substr(blank + 1);
    return true;
}

// Whether a certificate line for `named` is one for `server` ("host:port"): the line names it, or the line names
// the host alone (as the version before ports wrote it) and the port is 21.
bool NamesServer(const std::string& named, const std::string& server) {
    if (named == server)
        return true;
    constexpr std::string_view kDefaultPort = ":21";
    return server.size() > kDefaultPort.size() && server.ends_with(kDefaultPort) &&
           server.compare(0, server.size() - kDefaultPort.size(), named) == 0;
}

} // namespace

TFtpsFile TFtpsFile::Read(const std::string& path) {
    TFtpsFile file;
    try {
        file.lines_ = ReadTextLines(path);
    } catch (const std::exception&) {
        file.lines_.clear(); // unreadable: the defaults, as for the other settings files
    }
    return file;
}

bool TFtpsFile::AllDefault() const {
    return std::all_of(lines_.begin(), lines_.end(), [](const std::string& line) {
        return line == "ftps=0" || line == "known_folders=0" || line == "parallel_uploads=1" || line == "sftp=0" ||
               line == "skip_existing=0";
    });
}

bool TFtpsFile::Write(const std::string& path) const {
    // Without the file every value reads as its default: a program that never went beyond its first form keeps
    // its five files only.
    if (AllDefault() && !settings_io::FileExists(path))
        return true;
    try {
        ReplaceTextLines(path, lines_);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

const std::string* TFtpsFile::LineOf(std::string_view key) const {
    const auto line =
        std::find_if(lines_.begin(), lines_.end(), [key](const std::string& text) { return StartsWith(text, key); });
    return line == lines_.end() ? nullptr : &*line;
}

void TFtpsFile::SetValue(std::string_view key, const std::string& value, bool first) {
    const std::string line = std::string(key) + value;
    const auto found =
        std::find_if(lines_.begin(), lines_.end(), [key](const std::string& text) { return StartsWith(text, key); });
    if (found != lines_.end())
        *found = line;
    else
        lines_.insert(first ? lines_.begin() : lines_.end(), line);
}

bool TFtpsFile::Encryption() const {
    const std::string* line = LineOf(kEncryptionKey);
    return line && line->substr(kEncryptionKey.size()) == "1";
}

void TFtpsFile::SetEncryption(bool on) {
    SetValue(kEncryptionKey, on ? "1" : "0", true);
}

bool TFtpsFile::Sftp() const {
    const std::string* line = LineOf(kSftpKey);
    return line && line->substr(kSftpKey.size()) == "1";
}

void TFtpsFile::SetSftp(bool on) {
    if (on || LineOf(kSftpKey)) // a file that never had it stays as it was
        SetValue(kSftpKey, on ? "1" : "0", false);
}

bool TFtpsFile::KnownFolders() const {
    const std::string* line = LineOf(kKnownFoldersKey);
    return line && line->substr(kKnownFoldersKey.size()) == "1";
}

void TFtpsFile::SetKnownFolders(bool on) {
    SetValue(kKnownFoldersKey, on ? "1" : "0", false);
}

bool TFtpsFile::SkipExisting() const {
    const std::string* line = LineOf(kSkipExistingKey);
    return line && line->substr(kSkipExistingKey.size()) == "1";
}

void TFtpsFile::SetSkipExisting(bool on) {
    SetValue(kSkipExistingKey, on ? "1" : "0", false);
}

bool TFtpsFile::PasswordInKeyring() const {
    const std::string* line = LineOf(kPasswordStoreKey);
    return line && line->substr(kPasswordStoreKey.size()) == kKeyringStore;
}

void TFtpsFile::SetPasswordInKeyring(bool on) {
    if (on)
        SetValue(kPasswordStoreKey, std::string(kKeyringStore), false);
    else // no line is the settings file, as in versions before the option
        std::erase_if(lines_, [](const std::string& line) { return StartsWith(line, kPasswordStoreKey); });
}

int TFtpsFile::ParallelUploads() const {
    const std::string* line = LineOf(kParallelUploadsKey);
    if (!line)
        return kMinParallelUploads;
    const std::string_view text = std::string_view(*line).substr(kParallelUploadsKey.size());
    int count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error == std::errc::result_out_of_range)
        return text.front() == '-' ? kMinParallelUploads : kMaxParallelUploads;
    if (error != std::errc() || end != text.data() + text.size())
        return kMinParallelUploads;
    return std::clamp(count, kMinParallelUploads, kMaxParallelUploads);
}

void TFtpsFile::SetParallelUploads(int count) {
    SetValue(kParallelUploadsKey, std::to_string(std::clamp(count, kMinParallelUploads, kMaxParallelUploads)), false);
}

std::string TFtpsFile::Certificate(const std::string& server) const {
    std::string hostOnly;
    for (const std::string& line : lines_) {
        std::string fingerprint, named;
        if (!SplitCertificate(line, fingerprint, named) || !NamesServer(named, server))
            continue;
        if (named == server)
            return fingerprint;
        if (hostOnly.empty())
            hostOnly = fingerprint;
    }
    return hostOnly;
}

bool TFtpsFile::SetCertificate(const std::string& server, const std::string& fingerprint) {
    if (server.empty() || fingerprint.empty() || BreaksLine(server) || BreaksLine(fingerprint) ||
        fingerprint.find(' ') != std::string::npos)
        return false;
    std::erase_if(lines_, [&server](const std::string& line) {
        std::string known, named;
        return SplitCertificate(line, known, named) && NamesServer(named, server);
    });
    lines_.push_back(std::string(kCertificateKey) + fingerprint + " " + server);
    return true;
}
