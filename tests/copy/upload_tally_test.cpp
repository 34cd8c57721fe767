#include "copy/UploadTally.h"

#include <gtest/gtest.h>

namespace {

TEST(UploadTally, ConfirmsOnlyACompleteSpanOfAnUnchangedFile) {
    TUploadTally whole;
    whole.Begin(100000);
    for (std::int64_t sent : {32768, 65536, 98304, 100000})
        whole.Work(sent);
    whole.End();
    EXPECT_TRUE(whole.Confirms(100000));
    EXPECT_FALSE(whole.Confirms(100001));       // the file grew while it was sent
    EXPECT_FALSE(whole.Confirms(std::nullopt)); // it is gone

    TUploadTally shortRead;
    shortRead.Begin(100000);
    shortRead.Work(65536);
    shortRead.End();
    EXPECT_FALSE(shortRead.Confirms(100000));

    TUploadTally unfinished;
    unfinished.Begin(10);
    unfinished.Work(10);
    EXPECT_FALSE(unfinished.Confirms(10));

    TUploadTally none; // no work span at all
    EXPECT_FALSE(none.Confirms(0));

    TUploadTally empty; // an empty file sends nothing and is still complete
    empty.Begin(0);
    empty.End();
    EXPECT_TRUE(empty.Confirms(0));

    // Counts after the end belong to no upload; a new begin starts afresh.
    whole.Work(5);
    EXPECT_TRUE(whole.Confirms(100000));
    whole.Begin(7);
    EXPECT_EQ(whole.Sent(), 0);
    EXPECT_FALSE(whole.Ended());
}

} // namespace
