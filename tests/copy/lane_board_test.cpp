// The board that parallel connections share with the window's thread: files start in the list's order and stop
// starting once it is closed, and a file that ends is never seen both as sending and as done.
#include "copy/LaneBoard.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(LaneBoard, FilesStartInOrderUntilTheListEndsOrTheBoardCloses) {
    TLaneBoard board(3, 2);
    EXPECT_EQ(board.Take(), 0u);
    EXPECT_EQ(board.Take(), 1u);
    EXPECT_FALSE(board.AllTaken());
    board.Close();
    EXPECT_EQ(board.Take(), std::nullopt);
    EXPECT_TRUE(board.AllTaken());

    TLaneBoard stopped(3, 2);
    stopped.RequestStop(); // a stop closes it too
    EXPECT_EQ(stopped.Take(), std::nullopt);
    EXPECT_TRUE(stopped.StopRequested());
}

TEST(LaneBoard, AnEndedFileIsEitherSendingOrDoneInEveryPicture) {
    TLaneBoard board(1, 1);
    board.BeginFile(0, 0, 1000);
    std::thread lane([&board] {
        for (std::int64_t sent = 0; sent <= 1000; sent += 10)
            board.Progress(0, sent);
        TLaneMessage done;
        done.Note = TLaneNote::FileDone;
        done.Bytes = 1000;
        board.EndFile(0, done);
    });
    std::int64_t counted = 0;
    for (bool ended = false; !ended;) {
        const TLaneBoard::TPicture picture = board.Look(5);
        ended = !picture.Messages.empty();
        const std::int64_t shown = picture.Sending[0] ? picture.Sending[0]->Sent : 0;
        const std::int64_t total = (ended ? picture.Messages[0].Bytes : 0) + shown;
        EXPECT_GE(total, counted); // never backwards, never counted twice
        EXPECT_LE(total, 1000);
        counted = total;
    }
    lane.join();
    EXPECT_EQ(counted, 1000);
}

TEST(LaneBoard, TheFileBarFollowsTheFileWithTheLeastLeftToSend) {
    using Sending = std::vector<std::optional<TLaneFile>>;
    const TLaneFile early{0, 1000, 1000}; // every byte out: waits for the server's word
    const TLaneFile big{1, 90000, 50000}; // 40000 left
    const TLaneFile small{2, 5000, 1000}; // 4000 left
    const TLaneFile tied{3, 8000, 4000};  // 4000 left, later in the list
    const struct {
        const char* name;
        Sending sending;
        std::optional<std::size_t> followed;
    } cases[] = {
        {"least left, not the earliest", {early, big, small, std::nullopt}, 2},
        {"a tie goes to the earlier file", {tied, small}, 2},
        {"only files waiting for the server", {early, std::nullopt}, std::nullopt},
        {"nothing under way", {std::nullopt, std::nullopt}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<TLaneFile> file = FileBarFile(c.sending);
        EXPECT_EQ(file ? std::optional(file->Index) : std::nullopt, c.followed);
    }
}

} // namespace
