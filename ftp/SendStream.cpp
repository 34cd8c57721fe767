// The stream write of every connection; it lives with the data transfer, which is its only user.
#include "ftp/IdExceptions.h"
#include "ftp/SocketApi.h"
#include "ftp/TIdTCPConnection.h"

#include <algorithm>
#include <vector>

void TIdTCPConnection::SendStream(TStream& stream, bool fromStart) {
    if (fromStart)
        stream.Seek(0);
    const int64_t end = stream.Size();
    const int64_t start = stream.Position();
    NotifyWorkBegin(wmWrite, end - start);
    try {
        const std::intptr_t file = stream.PlatformFile();
        if (file >= 0 && IOHandler() && IOHandler()->CanSendFiles())
            SendFileChunks(stream, file, end);
        else
            SendReadChunks(stream, end);
    } catch (...) {
        NotifyWorkEnd(wmWrite);
        throw;
    }
    NotifyWorkEnd(wmWrite);
}

void TIdTCPConnection::SendReadChunks(TStream& stream, int64_t end) {
    // One buffer for the whole stream, so memory does not grow with the file.
    std::vector<char> buffer(static_cast<std::size_t>(std::max(SendBufferSize, 1)));
    for (;;) {
        const int64_t wanted = std::min<int64_t>(end - stream.Position(), static_cast<int64_t>(buffer.size()));
        if (wanted <= 0)
            break;
        const int64_t got = stream.Read(buffer.data(), wanted);
        if (got <= 0)
            throw EIdNoDataToRead();
        WriteBytes(buffer.data(), got);
    }
}

// The same chunks, sent straight from the file: the bytes never pass through the program, which on a fast
// line is most of what an upload costs it.
void TIdTCPConnection::SendFileChunks(TStream& stream, std::intptr_t file, int64_t end) {
    const ftp::platform::SigpipeHeldBack heldBack;
    const int64_t chunk = std::max(SendBufferSize, 1);
    for (;;) {
        const int64_t position = stream.Position();
        const int64_t wanted = std::min<int64_t>(end - position, chunk);
        if (wanted <= 0)
            break;
        WriteFileRange(file, position, wanted);
        stream.Seek(position + wanted);
    }
}
