// The read of a whole data transfer (a listing); it lives with the data transfer, as the stream write does.
#include "ftp/IdExceptions.h"
#include "ftp/TIdTCPConnection.h"

std::optional<std::string> TIdTCPConnection::ReceiveUntilClosed(int64_t maxBytes) {
    // Each wait is bounded by ReplyTimeLimit: a peer that sends nothing for that long raises 10060.
    while (pending_.Size() <= maxBytes) {
        // Dropped on our side (a stop): what came so far is no whole transfer.
        if (!ChannelIsOpen())
            throw EIdClosedSocket();
        if (FillInputBuffer(false, NoTimeLimit, true) == 0)
            return TakeInput(pending_.Size());
    }
    // More than anyone asked for: stop reading, so a server that never ends cannot fill the memory.
    DropSocket();
    pending_.Clear();
    lineScanned_ = 0;
    return std::nullopt;
}
