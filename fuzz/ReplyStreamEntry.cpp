// Reply reading over a hostile byte stream: the client must either read a reply or fail with one of its own
// exceptions, always by taking input, so that a caller's read loop can never spin on the same bytes.

#include "fuzz/FuzzChannel.h"
#include "fuzz/FuzzEntries.h"

#include "ftp/IdExceptions.h"
#include "ftp/PassiveReply.h"
#include "ftp/TIdTCPConnection.h"

#include <string>

namespace fuzz {

namespace {

constexpr uint8_t CloseMark = 0xFF;
constexpr uint8_t ErrorMark = 0xFE;
// The receive failures a peer can cause: reset, aborted, shut down.
constexpr int ReceiveErrors[] = {10054, 10053, 10058};

void ConfigureConnection(TIdTCPConnection& connection, FuzzChannel& channel, uint8_t lineByte, uint8_t bufferByte) {
    // Small limits (1..127) reach the too-long-line paths with short inputs; 0 keeps the default.
    if ((lineByte & 0x7F) != 0)
        connection.MaxLineLength = lineByte & 0x7F;
    connection.MaxLineAction = (lineByte & 0x80) ? maSplit : maException;
    // A small receive buffer splits one chunk over several receives as well.
    connection.RecvBufferSize = (bufferByte & 0x80) ? 32768 : (bufferByte & 0x3F) + 1;
    channel.closesAtEnd = (bufferByte & 0x40) != 0;
    // The channel is silent at once rather than after a wait: a short reply bound ends such a run in a
    // millisecond instead of a minute.
    connection.ReplyTimeLimit = 1;
}

void LoadScript(FuzzChannel& channel, const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at < size) {
        const uint8_t length = data[at++];
        if (length == CloseMark) {
            channel.script.push_back({std::string(), 0, true});
            return;
        }
        if (length == ErrorMark) {
            const uint8_t which = at < size ? data[at++] : 0;
            channel.script.push_back({std::string(), ReceiveErrors[which % 3], false});
            continue;
        }
        const size_t taken = std::min<size_t>(length, size - at);
        if (taken == 0)
            continue; // an empty receive would read as the peer's close
        channel.script.push_back({std::string(reinterpret_cast<const char*>(data + at), taken), 0, false});
        at += taken;
    }
}

void CheckReply(const TIdRFCReply& reply) {
    if (reply.Text.empty())
        throw FuzzFinding("a reply was read without any line");
    if (reply.TextCode.size() > 4 || reply.NumericCode < -999 || reply.NumericCode > 9999)
        throw FuzzFinding("a reply code longer than its four characters: " + reply.TextCode);
    // The client reads the data address out of a 227 reply in just this way.
    if (reply.NumericCode == 227) {
        try {
            ParsePassiveReply(reply.Text.front());
        } catch (const EConvertError&) {
        }
    }
}

} // namespace

void ReplyStream(const uint8_t* data, size_t size) {
    if (size < 2)
        return;
    // Declared before the connection, whose destruction still closes it.
    FuzzChannel channel;
    TIdTCPConnection connection;
    connection.SetIOHandler(&channel);
    ConfigureConnection(connection, channel, data[0], data[1]);
    LoadScript(channel, data + 2, size - 2);

    int64_t consumed = 0;
    for (;;) {
        try {
            connection.ReadReply();
        } catch (const EIdException&) {
            return; // the stream ended, failed or broke a limit: the expected ways out
        }
        const int64_t nowConsumed = channel.delivered - connection.PendingInputSize();
        if (nowConsumed <= consumed)
            throw FuzzFinding("a reply was read without taking any input");
        consumed = nowConsumed;
        CheckReply(connection.LastReply);
    }
}

} // namespace fuzz
