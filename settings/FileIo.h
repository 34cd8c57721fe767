#pragma once
// Plain file access for the settings files, with the rules they share: a folder is no file, and
// a file without any write permission counts as read-only even for a privileged user, as the
// read-only attribute does on Windows.

#include <cstddef>
#include <string>

namespace settings_io {

// Owns one open file descriptor.
class FileHandle {
public:
    explicit FileHandle(int fd = -1) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // Closes now; false (errno set) when the close reports an error.
    bool Close();

private:
    int fd_;
};

// Something that is not a folder is there.
bool FileExists(const std::string& path);

// Opens an existing file for reading only (text files).
FileHandle OpenForReading(const std::string& path);

// Opens an existing file for reading and writing (record files); a read-only file fails.
FileHandle OpenForUpdate(const std::string& path);

// Creates the file anew, replacing an existing one unless that one is read-only.
FileHandle CreateAnew(const std::string& path);

// Removes a file; one that stays, stays.
void RemoveFile(const std::string& path);

// Puts `from` in the place of `to` in one step: a reader sees the old file or the new one, never a part. A
// read-only `to` is not replaced. False (errno set) when it cannot be done; `from` is then removed.
bool MoveIntoPlace(const std::string& from, const std::string& to);

// Reads until `limit` bytes are in `out` or the file ends; false (errno set) on a read error,
// with what came before it left in `out`.
bool ReadUpTo(const FileHandle& file, std::size_t limit, std::string& out);

// Writes all of `data`; false (errno set) on a write error.
bool WriteAll(const FileHandle& file, const std::string& data);

} // namespace settings_io
