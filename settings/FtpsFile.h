#pragma once
// The ".ftps" settings file: what the program keeps beyond the five files of its first form, so those keep their
// exact formats. Text lines "key=value" ending in CR LF; lines of keys this version does not know (written by a
// later one) are kept as they are when it saves. Holds the "Шифрование (FTPS)" box, the certificates the user
// accepted, one line per server, the copy options beyond the five of ".option", and where a saved password lives.

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view FtpsSuffix = ".ftps";

class TFtpsFile {
public:
    // A missing or unreadable file reads as an empty one: encryption off, no certificate accepted.
    static TFtpsFile Read(const std::string& path);
    // Writes every line beside the file, then puts it in the file's place in one step: a reader never sees half
    // of it. Without a file and with nothing but default values nothing is written. False when it cannot be
    // written.
    bool Write(const std::string& path) const;
    // Nothing but default values (encryption off, one upload, no certificate, no line of another version).
    bool AllDefault() const;

    bool Encryption() const;
    void SetEncryption(bool on);

    // "Протокол SFTP (SSH)": `sftp=1`; off without the line.
    bool Sftp() const;
    void SetSftp(bool on);

    // "Не проверять уже созданные папки": `known_folders=1`; off without the line.
    bool KnownFolders() const;
    void SetKnownFolders(bool on);

    // "Пропускать файлы, которые уже есть на сервере": `skip_existing=1`; off without the line.
    bool SkipExisting() const;
    void SetSkipExisting(bool on);

    // "Хранить пароль в системном хранилище": `password_store=keyring`; without the line the password stays where the
    // ".MyIni" record keeps it. Turning it off takes the line out.
    bool PasswordInKeyring() const;
    void SetPasswordInKeyring(bool on);

    // "Параллельных загрузок": `parallel_uploads=N`; 1 without the line, a bad number, or one out of bounds is
    // brought to the nearest bound.
    int ParallelUploads() const;
    void SetParallelUploads(int count);

    // The SHA-256 fingerprint accepted for `server` ("host:port"), or empty. A line of the host alone, as the
    // version before ports wrote it, counts for port 21.
    std::string Certificate(const std::string& server) const;
    // Remembers `fingerprint` for `server` ("host:port"), replacing an earlier one (a host-only line too, for port
    // 21); false (nothing changed) for a server or fingerprint that would break the line (empty, or holding CR, LF
    // or NUL; a fingerprint with a blank).
    bool SetCertificate(const std::string& server, const std::string& fingerprint);

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    // The first line of `key` ("name="), or nothing.
    const std::string* LineOf(std::string_view key) const;
    // Replaces the first line of `key`, or adds one.
    void SetValue(std::string_view key, const std::string& value, bool first);

    std::vector<std::string> lines_;
};
