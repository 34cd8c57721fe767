// Work events: only the outermost span of a mode reports; block writes report once per send call.
#include "connection_memory_channel.h"

#include "ftp/TIdTCPConnection.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Records the events of one component as text, e.g. "begin w 100", "work w 10", "end w".
struct Recorder {
    std::vector<std::string> events;
    TIdComponent* expectedSender = nullptr;

    void Attach(TIdComponent& component) {
        expectedSender = &component;
        component.OnWorkBegin = [this](TIdComponent* sender, TWorkMode mode, int64_t max) {
            Add(sender, "begin", mode, std::to_string(max));
        };
        component.OnWork = [this](TIdComponent* sender, TWorkMode mode, int64_t count) {
            Add(sender, "work", mode, std::to_string(count));
        };
        component.OnWorkEnd = [this](TIdComponent* sender, TWorkMode mode) { Add(sender, "end", mode, ""); };
    }
    void Add(TIdComponent* sender, const char* what, TWorkMode mode, const std::string& value) {
        EXPECT_EQ(sender, expectedSender);
        std::string event = std::string(what) + (mode == wmWrite ? " w" : " r");
        events.push_back(value.empty() ? event : event + " " + value);
    }
};

using Events = std::vector<std::string>;

TEST(WorkSpan, NestingFiresOnlyTheOutermostSpan) {
    TIdTCPConnection component;
    Recorder recorder;
    recorder.Attach(component);

    component.NotifyWork(wmWrite, 7); // outside a span: ignored
    component.NotifyWorkBegin(wmWrite, 100);
    component.NotifyWorkBegin(wmWrite, 5); // nested: no event, the maximum stays
    component.NotifyWork(wmWrite, 10);
    component.NotifyWork(wmRead, 3); // the read mode has no span open
    component.NotifyWorkEnd(wmWrite);
    component.NotifyWork(wmWrite, 20);
    component.NotifyWorkEnd(wmWrite);
    component.NotifyWork(wmWrite, 1);

    EXPECT_EQ(recorder.events, (Events{"begin w 100", "work w 10", "work w 30", "end w"}));
    EXPECT_EQ(component.WorkSpan(wmWrite).Nesting, 0);
    EXPECT_EQ(component.WorkSpan(wmWrite).CountMax, 100);

    // A new span starts counting from zero.
    component.NotifyWorkBegin(wmRead, 2);
    component.NotifyWork(wmRead, 2);
    component.NotifyWorkEnd(wmRead);
    EXPECT_EQ(recorder.events.back(), "end r");
    EXPECT_EQ(recorder.events[recorder.events.size() - 2], "work r 2");
}

TEST(WorkSpan, CountsPastFourGibibytes) {
    TIdTCPConnection component;
    Recorder recorder;
    recorder.Attach(component);
    const int64_t twoGiB = int64_t{1} << 31;
    component.NotifyWorkBegin(wmWrite, 2 * twoGiB + 1);
    component.NotifyWork(wmWrite, twoGiB);
    component.NotifyWork(wmWrite, twoGiB);
    component.NotifyWork(wmWrite, 1);
    component.NotifyWorkEnd(wmWrite);
    EXPECT_EQ(recorder.events,
              (Events{"begin w 4294967297", "work w 2147483648", "work w 4294967296", "work w 4294967297", "end w"}));
}

TEST(WorkSpan, WithoutHandlersNothingBreaks) {
    TIdTCPConnection component;
    component.NotifyWorkBegin(wmWrite, 1);
    component.NotifyWork(wmWrite, 1);
    component.NotifyWorkEnd(wmWrite);
    EXPECT_EQ(component.WorkSpan(wmWrite).Count, 1);
}

TEST(WorkWrite, OneWorkEventPerSendCall) {
    MemoryChannel channel;
    channel.sendLimit = 1000;
    TIdTCPConnection connection;
    connection.SetIOHandler(&channel);
    Recorder recorder;
    recorder.Attach(connection);

    std::string block(2500, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7);
    connection.NotifyWorkBegin(wmWrite, 2500);
    connection.WriteBytes(block.data(), 2500);
    connection.NotifyWorkEnd(wmWrite);

    EXPECT_EQ(channel.sent, block); // partial sends continue where the last one stopped
    EXPECT_EQ(channel.sendCalls, 3);
    EXPECT_EQ(recorder.events, (Events{"begin w 2500", "work w 1000", "work w 2000", "work w 2500", "end w"}));

    connection.WriteBytes(block.data(), 0);
    connection.WriteText("");
    EXPECT_EQ(channel.sendCalls, 3); // nothing to send, no call
    connection.WriteLine("QUIT");
    EXPECT_EQ(channel.sent.substr(2500), "QUIT\r\n");
}

TEST(WorkRead, TakingReceivedBytesReportsReadWork) {
    MemoryChannel channel;
    channel.Feed("220 a\r\n150 b\r\n");
    TIdTCPConnection connection;
    connection.SetIOHandler(&channel);
    Recorder recorder;
    recorder.Attach(connection);
    connection.NotifyWorkBegin(wmRead, 0);
    connection.ReadReply();
    connection.ReadReply();
    connection.NotifyWorkEnd(wmRead);
    EXPECT_EQ(recorder.events, (Events{"begin r 0", "work r 7", "work r 14", "end r"}));
}

} // namespace
