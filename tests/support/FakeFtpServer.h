// A scripted FTP server for tests: one control session at a time on its own thread, loopback only.
//
// Without a script it answers by rule (greeting, log-in, TYPE, SYST, CWD/MKD over a folder set, PASV with a
// real data listener, PORT with a real outgoing data connection, STOR/APPE/STOU that count the bytes, MLSD/LIST
// of the folders given a listing, FEAT when features are set). A
// script of (expected line -> reply) pairs is played first; per-verb overrides, drops and stalls bend the
// rules to produce replies a real server would not. Every command line received is recorded.
#pragma once

#include "tests/support/LoopbackSockets.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ferrylo::testing {

class FakeFtpServer {
public:
    struct Options {
        std::string bindIp = "127.0.0.1"; // any 127.x.y.z address
        std::string greeting = "220 Fake FTP server ready.";
        std::string user = "tester";
        std::string password = "secret";
        bool userNeedsPassword = true; // false: USER is answered 230 at once
        bool keepStoredBytes = true;   // false: count and discard (for multi-GiB streams)
        std::vector<std::string> storeFinalReplies = {"226 Transfer complete."};
        std::string passiveAdvertisedIp;          // non-empty: the 227 names this address instead of bindIp,
                                                  // and a decoy listener there counts whatever reaches it
        std::string activeIntruderIp;             // non-empty: before the real data connection, a peer from
                                                  // this address connects to the PORT target first
        std::uint64_t dataDropAfterBytes = 0;     // > 0: the server closes the data connection after this many
        bool dataDropOnce = false;                // the drop above cuts only the first store
        std::chrono::milliseconds ioBound{10000}; // longest wait for any single peer action
        std::chrono::milliseconds replyDrip{0};   // > 0: every reply goes out one byte at a time, this far apart
        bool dataNeverRead = false;               // STOR takes the data connection and never reads from it
        std::size_t closeAfterStores = 0;         // > 0: the control connection is closed after this many stores
        bool storeNeedsFolder = false;            // STOR into a folder the server does not have gets 553
        std::vector<std::string> features;        // non-empty: FEAT lists these ("MLST type*;size*;", "MDTM")

        // The default rules on another loopback address (tests that play several hosts).
        static Options ListeningOn(std::string ip) {
            Options options;
            options.bindIp = std::move(ip);
            return options;
        }
    };

    struct StoredFile {
        std::string verb;     // STOR, APPE or STOU
        std::string argument; // exactly as received
        std::string cwd;      // the session's directory when the command came
        std::uint64_t size = 0;
        std::string content;    // empty unless keepStoredBytes
        std::string dataPeerIp; // the client's address as the data connection showed it
    };

    FakeFtpServer();
    explicit FakeFtpServer(Options options);
    ~FakeFtpServer();
    FakeFtpServer(const FakeFtpServer&) = delete;
    FakeFtpServer& operator=(const FakeFtpServer&) = delete;

    const std::string& host() const { return options_.bindIp; }
    std::uint16_t port() const { return port_; }
    const Options& options() const { return options_; }

    // Played in order before any rule: the received line must equal `line`; `reply` may hold several
    // CRLF-separated lines, or be empty for no reply. A mismatch is recorded and answered with 500.
    void expect(std::string line, std::string reply);
    // From now on, `verb` (upper case) gets `reply` instead of its rule; the transfer verbs then open no
    // data connection. Empty reply: nothing is answered.
    void setReply(const std::string& verb, std::string reply);
    void dropOn(const std::string& verb);  // close the control connection instead of answering
    void stallOn(const std::string& verb); // never answer (until the server stops)
    // Answers `verb` with `reply`, then reads and answers nothing more (until the server stops): a server that
    // agrees to TLS and then stops in the middle of the handshake.
    void stallAfter(const std::string& verb, std::string reply);
    // Answers `verb` with `firstLine` (none when empty), then `repeatedLine` over and over until the client
    // goes away or the server stops; reports how many bytes went out.
    void floodOn(const std::string& verb, std::string firstLine, std::string repeatedLine);
    std::uint64_t floodedBytes() const; // also of flooded listings
    // How a listing's data connection ends: with all of it and 226, cut halfway and 426, never (its text over
    // and over until the client closes, then 426), or not at all (half of it, then silence until the client
    // sends a command or the server stops).
    enum class ListingEnd { Whole, Cut, Flood, Stall };
    // MLSD and LIST of `absolutePath` send `text` over the data connection; any other folder gets 550.
    void setListing(const std::string& absolutePath, std::string text, ListingEnd end = ListingEnd::Whole);
    void addFolder(const std::string& absolutePath);
    void removeFolder(const std::string& absolutePath); // with everything under it

    std::vector<std::string> commands() const;
    std::vector<StoredFile> stored() const;
    std::vector<std::string> scriptMismatches() const;
    std::size_t sessionCount() const;
    std::uint64_t decoyReceivedBytes() const;
    bool intruderWasRefused() const; // the intruder saw its connection closed with no byte
    std::uint64_t intruderReceivedBytes() const;
    // Bounded wait until `n` commands were recorded (for commands the client sends without a reply).
    bool waitForCommands(std::size_t n, std::chrono::milliseconds bound) const;
    // Bounded wait until the current control session has ended.
    bool waitForSessionEnd(std::chrono::milliseconds bound) const;

private:
    class Session;
    friend class Session;

    void run();
    bool stopping() const;

    Options options_;
    SocketFd listenFd_ = shim::kNoSocket;
    std::uint16_t port_ = 0;
    std::thread thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stop_ = false;
    bool inSession_ = false;
    std::size_t sessions_ = 0;
    std::vector<std::pair<std::string, std::string>> script_;
    std::map<std::string, std::string> replies_;
    std::set<std::string> drops_, stalls_;
    std::map<std::string, std::string> stallsAfter_;
    std::map<std::string, std::pair<std::string, std::string>> floods_;
    std::uint64_t floodedBytes_ = 0;
    std::map<std::string, std::pair<std::string, ListingEnd>> listings_;
    std::set<std::string> folders_{"/"};
    std::vector<std::string> commands_;
    std::vector<StoredFile> stored_;
    std::vector<std::string> mismatches_;
    std::uint64_t decoyBytes_ = 0;
    bool intruderRefused_ = false;
    std::uint64_t intruderBytes_ = 0;
    std::atomic<bool> dropped_{false};
};

} // namespace ferrylo::testing
