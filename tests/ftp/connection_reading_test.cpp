// Line and reply reading over an in-memory channel, with the same bytes split at every offset.
#include "connection_memory_channel.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdTCPConnection.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// A connection wired to a memory channel it does not own.
struct Wired {
    MemoryChannel channel;
    TIdTCPConnection connection;
    int disconnects = 0;
    Wired() {
        connection.SetIOHandler(&channel);
        connection.OnDisconnected = [this](TIdTCPConnection*) { ++disconnects; };
    }
};

// Every way to hand `bytes` over: whole, cut once at each offset, and one byte per receive.
std::vector<std::vector<std::string>> EverySplit(const std::string& bytes) {
    std::vector<std::vector<std::string>> splits{{bytes}};
    for (size_t cut = 1; cut < bytes.size(); ++cut)
        splits.push_back({bytes.substr(0, cut), bytes.substr(cut)});
    std::vector<std::string> single;
    for (char c : bytes)
        single.emplace_back(1, c);
    splits.push_back(single);
    return splits;
}

TEST(ConnectionReadReply, SameReplyWhateverTheSplit) {
    struct Case {
        std::string bytes;
        int code;
        std::string textCode;
        Lines text;
    } cases[] = {
        {"220 Service ready\r\n", 220, "220", {"Service ready"}},
        {"230-Welcome\r\n  second line\r\n230 Done\r\n", 230, "230", {"Welcome", "nd line", "Done"}},
        {"123\r\n", 123, "123", {""}},
        {"hello\r\n", 0, "hell", {"o"}},
        {"\r\n   \r\n\n220 after blanks\r\n", 220, "220", {"after blanks"}},
        {"211-first\n\n211-middle\r\n211 end\n", 211, "211", {"first", "middle", "end"}},
        {"abc-x\r\nABC y\r\n", 0, "abc", {"x", "y"}},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& chunks : EverySplit(c.bytes)) {
            Wired w;
            for (const std::string& chunk : chunks)
                w.channel.Feed(chunk);
            SCOPED_TRACE(c.bytes + " in " + std::to_string(chunks.size()) + " chunks, first " +
                         std::to_string(chunks.front().size()));
            ASSERT_NO_THROW(w.connection.ReadReply());
            EXPECT_EQ(w.connection.LastReply.NumericCode, c.code);
            EXPECT_EQ(w.connection.LastReply.TextCode, c.textCode);
            EXPECT_EQ(w.connection.LastReply.Text, c.text);
            EXPECT_EQ(w.connection.PendingInputSize(), 0);
        }
    }
}

TEST(ConnectionReadReply, ReplyAfterReplyStaysInStep) {
    for (const std::vector<std::string>& chunks : EverySplit("150 go\r\n226-done\r\n226 ok\r\n331 next\r\n")) {
        Wired w;
        for (const std::string& chunk : chunks)
            w.channel.Feed(chunk);
        EXPECT_EQ(w.connection.ReadExpectedReply({150}), 150);
        EXPECT_EQ(w.connection.ReadExpectedReply({226}), 226);
        EXPECT_EQ(w.connection.LastReply.Text, (Lines{"done", "ok"}));
        EXPECT_EQ(w.connection.ReadExpectedReply({}), 331);
    }
}

TEST(ConnectionReadLine, TerminatorsAndEveryChunking) {
    struct Case {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"abc\n", {"abc"}},
        {"abc\r\r\n", {"abc\r"}},
        {"\r\n\n", {"", ""}},
        {"a\rb\r\nc\n", {"a\rb", "c"}},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& chunks : EverySplit(c.bytes)) {
            Wired w;
            for (const std::string& chunk : chunks)
                w.channel.Feed(chunk);
            for (const std::string& expected : c.lines)
                EXPECT_EQ(w.connection.ReadLine(), expected);
            EXPECT_EQ(w.connection.PendingInputSize(), 0);
        }
    }
}

TEST(ConnectionReadLine, LengthLimitCountsTheCarriageReturn) {
    const std::string atLimit(16384, 'a');
    struct Case {
        std::string bytes;
        bool accepted;
        std::string line;
    } cases[] = {
        {atLimit + "\n", true, atLimit},
        {atLimit.substr(1) + "\r\n", true, atLimit.substr(1)},
        {atLimit + "a\n", false, ""},
        {atLimit + "\r\n", false, ""}, // 16384 bytes and a CR are 16385 before the LF
    };
    for (const Case& c : cases) {
        Wired w;
        w.channel.Feed(c.bytes);
        if (c.accepted) {
            EXPECT_EQ(w.connection.ReadLine(), c.line);
            continue;
        }
        try {
            w.connection.ReadLine();
            ADD_FAILURE() << "an over-long line was accepted";
        } catch (const EIdReadLnMaxLineLengthExceeded& e) {
            EXPECT_STREQ(e.what(), "Max line length exceeded.");
        }
        EXPECT_EQ(w.connection.PendingInputSize(), static_cast<int64_t>(c.bytes.size())); // nothing was taken
    }
}

TEST(ConnectionReadLine, OverLongWithoutTerminatorFailsWithoutWaitingForMore) {
    Wired w;
    // Arrives in pieces; the limit is noticed as soon as the pending bytes pass it, not at the LF.
    w.channel.Feed(std::string(8192, 'x'));
    w.channel.Feed(std::string(8193, 'x'));
    w.channel.Feed("never reached\n");
    EXPECT_THROW(w.connection.ReadLine(), EIdReadLnMaxLineLengthExceeded);
    EXPECT_EQ(w.connection.PendingInputSize(), 16385);
    EXPECT_EQ(w.channel.incoming.size(), 1u);

    Wired exact; // 16384 bytes without LF are still worth waiting for
    exact.channel.Feed(std::string(16384, 'y'));
    exact.channel.Feed("\n");
    EXPECT_EQ(exact.connection.ReadLine().size(), 16384u);
}

TEST(ConnectionReadLine, PeerCloseMidLineGivesOneEmptyLineThenClosedGracefully) {
    Wired w;
    w.channel.Feed("220 ok\r\npartial");
    w.channel.peerClosesAtEnd = true;
    EXPECT_EQ(w.connection.ReadLine(), "220 ok");
    EXPECT_EQ(w.connection.ReadLine(), "");
    EXPECT_EQ(w.connection.PendingInputSize(), 7); // the remainder stays
    EXPECT_EQ(w.disconnects, 1);
    EXPECT_FALSE(w.connection.IsOpen());
    try {
        w.connection.ReadLine();
        ADD_FAILURE() << "read past a closed peer";
    } catch (const EIdConnClosedGracefully& e) {
        EXPECT_STREQ(e.what(), "Connection Closed Gracefully.");
    }
    EXPECT_EQ(w.disconnects, 1);
}

TEST(ConnectionReadLine, PeerCloseWithNothingPendingRaisesAtOnce) {
    Wired w;
    w.channel.peerClosesAtEnd = true;
    EXPECT_THROW(w.connection.ReadReply(), EIdConnClosedGracefully);
    EXPECT_EQ(w.disconnects, 1);
    EXPECT_FALSE(w.channel.open);
}

TEST(ConnectionReadLine, ReceiveFailures) {
    { // Shut down under us with bytes pending: they are still delivered, the socket is dropped.
        Wired w;
        w.channel.Feed("partial");
        w.channel.FeedError(10053);
        EXPECT_EQ(w.connection.ReadLine(), "");
        EXPECT_EQ(w.connection.PendingInputSize(), 7);
        EXPECT_FALSE(w.connection.IsOpen());
    }
    { // Same with nothing pending: the error itself.
        Wired w;
        w.channel.FeedError(10058);
        try {
            w.connection.ReadLine();
            ADD_FAILURE() << "a failed receive passed";
        } catch (const EIdSocketError& e) {
            EXPECT_EQ(e.SocketErrorCode(), 10058);
        }
        EXPECT_FALSE(w.channel.open);
    }
    { // Any other number is raised and leaves the socket as it is.
        Wired w;
        w.channel.FeedError(10054);
        w.channel.Feed("220 later\r\n");
        EXPECT_THROW(w.connection.ReadLine(), EIdSocketError);
        EXPECT_TRUE(w.connection.IsOpen());
        EXPECT_EQ(w.connection.ReadLine(), "220 later");
    }
}

TEST(ConnectionReadLine, ReadTimeoutRaisesWhenNothingArrives) {
    Wired w;
    w.connection.ReadTimeout = 50;
    EXPECT_THROW(w.connection.ReadLine(), EIdReadTimeout);
    EXPECT_EQ(w.connection.FillInputBuffer(true, 10, false), -1);
}

TEST(ConnectionReadNonEmptyLine, GivesUpAfterItsTries) {
    Wired w;
    w.channel.Feed("\r\n \r\n\t\r\n  x  \r\n");
    EXPECT_EQ(w.connection.ReadNonEmptyLine(2), "");
    EXPECT_EQ(w.connection.ReadNonEmptyLine(5), "x");
}

TEST(ConnectionPendingInput, TakenBytesAreCompactedInBatchesAndFreedWhenAllTaken) {
    TPendingInput input;
    input.Append(std::string(40000, 'z').data(), 40000);
    input.Take(32767);
    EXPECT_EQ(input.StorageSize(), 40000); // not moved yet
    EXPECT_EQ(input.Size(), 7233);
    input.Take(1);
    EXPECT_EQ(input.StorageSize(), 7232); // compacted once 32768 bytes were taken
    EXPECT_EQ(input.Find('z', 7000), 7000);
    EXPECT_EQ(input.Find('q', 0), -1);
    EXPECT_THROW(input.Take(7233), EIdNotEnoughDataInBuffer);
    EXPECT_EQ(input.Take(7232).size(), 7232u);
    EXPECT_EQ(input.StorageSize(), 0);
    EXPECT_TRUE(input.Empty());
}

} // namespace
