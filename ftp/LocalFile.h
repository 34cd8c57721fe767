#pragma once
// The few system calls behind TFileStream: one source file per system implements them (LocalFilePosix.cpp,
// LocalFileWindows.cpp), so the stream itself reads the same everywhere.

#include <cstdint>
#include <string>

namespace ftp::local_file {

using Handle = std::intptr_t;
inline constexpr Handle kNoFile = -1;

// Opens a regular file read-only while other programs may still read and write it. kNoFile when it cannot be
// opened; LastError() then says why.
Handle OpenForReading(const std::string& path);
void Close(Handle file);
// The file's size in bytes; 0 when the system cannot tell.
int64_t SizeOf(Handle file);
// Reads up to `count` bytes from `position` on without moving a shared file position. The count read (0 at the
// end), or -1 with LastError() saying why.
int64_t ReadAt(Handle file, void* buffer, int64_t count, int64_t position);

// The system error of the last call that failed on this thread (errno; on Windows a system error code).
int LastError();
// The system's own text for an error number, without a trailing line break.
std::string ErrorText(int error);

} // namespace ftp::local_file
