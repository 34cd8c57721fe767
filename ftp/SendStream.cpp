// The stream write of every connection; it lives with the data transfer, which is its only user.
#include "ftp/IdExceptions.h"
#include "ftp/TIdTCPConnection.h"

#include <algorithm>
#include <vector>

namespace {

// How many reads of the file make one send.
constexpr std::size_t kReadsPerSend = 8;

} // namespace

void TIdTCPConnection::SendStream(TStream& stream, bool fromStart) {
    if (fromStart)
        stream.Seek(0);
    const int64_t end = stream.Size();
    const int64_t start = stream.Position();
    NotifyWorkBegin(wmWrite, end - start);
    try {
        // The file is read SendBufferSize (32 KiB) at a time; several reads leave in one send, so a fast line stays
        // full with fewer system calls and work events. One buffer for the whole stream: memory does not grow with
        // the file.
        const std::size_t read = static_cast<std::size_t>(std::max(SendBufferSize, 1));
        std::vector<char> buffer(read * kReadsPerSend);
        for (;;) {
            std::size_t filled = 0;
            while (filled + read <= buffer.size()) {
                const int64_t wanted = std::min<int64_t>(end - stream.Position(), static_cast<int64_t>(read));
                if (wanted <= 0)
                    break;
                const int64_t got = stream.Read(buffer.data() + filled, wanted);
                if (got <= 0)
                    throw EIdNoDataToRead();
                filled += static_cast<std::size_t>(got);
            }
            if (filled == 0)
                break;
            WriteBytes(buffer.data(), static_cast<int64_t>(filled));
        }
    } catch (...) {
        NotifyWorkEnd(wmWrite);
        throw;
    }
    NotifyWorkEnd(wmWrite);
}
