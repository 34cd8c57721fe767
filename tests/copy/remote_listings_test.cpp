// The listings a job shares between its connections: each folder listed once however many ask at the same time,
// the waiting ones listing the folders that come next; a listing that failed may be taken again; a folder the job
// made is never asked for.
#include "copy/RemoteListings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using copyjob::TRemoteListing;
using copyjob::TRemoteListings;

namespace {

const auto kNeverStopped = [] { return false; };

TEST(RemoteListings, EachFolderIsListedOnceWhileTheWaitingListTheFoldersThatComeNext) {
    TRemoteListings listings;
    listings.SetPlan({"/in/a/1", "/in/a/2", "/in/b/3", "/in/c/4", "/in/d/5"});
    EXPECT_EQ(listings.PlannedNames("/in/a"), (std::vector<std::string>{"1", "2"}));
    std::mutex guard;
    std::map<std::string, int> listed;
    const auto list = [&](const std::string& folder) {
        {
            const std::lock_guard lock(guard);
            ++listed[folder];
        }
        if (folder == "/in/a")
            std::this_thread::sleep_for(std::chrono::milliseconds(200)); // long enough for the others to ask
        TRemoteListing listing;
        listing.Add(folder, {});
        return std::optional<TRemoteListing>(listing);
    };
    std::vector<std::thread> connections;
    std::vector<std::optional<TRemoteListing>> got(4);
    for (std::size_t i = 0; i < got.size(); ++i)
        connections.emplace_back([&, i] { got[i] = listings.Get("/in/a", list, kNeverStopped, true); });
    for (std::thread& connection : connections)
        connection.join();

    EXPECT_EQ(listed, (std::map<std::string, int>{{"/in/a", 1}, {"/in/b", 1}, {"/in/c", 1}, {"/in/d", 1}}));
    for (const auto& listing : got)
        EXPECT_TRUE(listing && listing->Items.count("/in/a"));
}

TEST(RemoteListings, AFailedListingIsTakenAgainAndAMadeFolderIsNotAsked) {
    TRemoteListings listings;
    int calls = 0;
    const auto failOnce = [&calls](const std::string&) -> std::optional<TRemoteListing> {
        if (++calls == 1)
            throw std::runtime_error("line dropped");
        return std::nullopt; // could not be listed whole: remembered as such
    };
    EXPECT_THROW(listings.Get("/x", failOnce, kNeverStopped, false), std::runtime_error);
    EXPECT_FALSE(listings.Get("/x", failOnce, kNeverStopped, false));
    EXPECT_FALSE(listings.Get("/x", failOnce, kNeverStopped, false));
    EXPECT_EQ(calls, 2);

    listings.MarkMade("/made");
    const auto listing = listings.Get("/made", failOnce, kNeverStopped, false);
    EXPECT_TRUE(listing && listing->Items.empty() && !listing->Partial);
    EXPECT_EQ(calls, 2);

    for (const char* same : {"/in/", "//in", "/in"})
        EXPECT_EQ(TRemoteListings::KeyOf(same), "/in");
    EXPECT_EQ(TRemoteListings::KeyOf(""), "/");
}

} // namespace
