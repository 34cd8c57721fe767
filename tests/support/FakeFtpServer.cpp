#include "tests/support/FakeFtpServer.h"

#include "tests/support/LoopbackSockets.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace ferrylo::testing {

namespace {

constexpr std::chrono::milliseconds kStopCheck{10};

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string joinPath(const std::string& cwd, const std::string& argument) {
    if (!argument.empty() && argument.front() == '/')
        return argument;
    return cwd == "/" ? "/" + argument : cwd + "/" + argument;
}

// "h1,h2,h3,h4,p1,p2" -> ip and port; false when it is not six numbers of 0..255.
bool parseHostPort(const std::string& text, std::string& ip, std::uint16_t& port) {
    unsigned v[6];
    char tail;
    if (std::sscanf(text.c_str(), "%u,%u,%u,%u,%u,%u%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6)
        return false;
    if (std::any_of(std::begin(v), std::end(v), [](unsigned x) { return x > 255; }))
        return false;
    ip = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
    port = static_cast<std::uint16_t>(v[4] * 256 + v[5]);
    return true;
}

std::string hostPortText(const std::string& ip, std::uint16_t port) {
    std::string text = ip;
    std::replace(text.begin(), text.end(), '.', ',');
    return text + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

} // namespace

// One control connection: reads command lines and answers them from the script, the overrides or the rules.
class FakeFtpServer::Session {
public:
    Session(FakeFtpServer& server, UniqueFd control)
        : server_(server), options_(server.options_), control_(std::move(control)) {}

    void serve() {
        reply(options_.greeting);
        std::string line;
        while (!closed_ && readLine(line))
            dispatch(line);
    }

private:
    using Handler = void (Session::*)(const std::string& argument);

    static const std::map<std::string, Handler>& rules() {
        static const std::map<std::string, Handler> table = {
            {"USER", &Session::onUser},  {"PASS", &Session::onPass},  {"TYPE", &Session::onOk},
            {"NOOP", &Session::onOk},    {"SYST", &Session::onSyst},  {"CWD", &Session::onCwd},
            {"MKD", &Session::onMkd},    {"PASV", &Session::onPasv},  {"PORT", &Session::onPort},
            {"STOR", &Session::onStore}, {"APPE", &Session::onStore}, {"STOU", &Session::onStore},
            {"ABOR", &Session::onAbor},  {"QUIT", &Session::onQuit},  {"FEAT", &Session::onFeat},
            {"MLSD", &Session::onList},  {"LIST", &Session::onList},
        };
        return table;
    }

    void dispatch(const std::string& line) {
        const auto space = line.find(' ');
        verb_ = upper(line.substr(0, space));
        const std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);

        std::unique_lock lock(server_.mutex_);
        server_.commands_.push_back(line);
        server_.changed_.notify_all();
        if (!server_.script_.empty()) {
            auto [expected, answer] = server_.script_.front();
            server_.script_.erase(server_.script_.begin());
            if (expected != line) {
                server_.mismatches_.push_back("expected '" + expected + "', got '" + line + "'");
                answer = "500 Unexpected command.";
            }
            lock.unlock();
            reply(answer);
            return;
        }
        if (server_.drops_.count(verb_)) {
            closed_ = true;
            return;
        }
        if (auto flood = server_.floods_.find(verb_); flood != server_.floods_.end()) {
            const auto [first, repeated] = flood->second;
            lock.unlock();
            floodWith(control_.get(), first, repeated);
            closed_ = true;
            return;
        }
        if (auto after = server_.stallsAfter_.find(verb_); after != server_.stallsAfter_.end()) {
            const std::string answer = after->second;
            lock.unlock();
            reply(answer);
            lock.lock();
            server_.changed_.wait(lock, [this] { return server_.stop_; });
            closed_ = true;
            return;
        }
        if (server_.stalls_.count(verb_)) {
            server_.changed_.wait(lock, [this] { return server_.stop_; });
            closed_ = true;
            return;
        }
        if (auto fixed = server_.replies_.find(verb_); fixed != server_.replies_.end()) {
            const std::string answer = fixed->second;
            lock.unlock();
            reply(answer);
            return;
        }
        lock.unlock();
        const auto rule = rules().find(verb_);
        if (rule == rules().end())
            reply("502 Command not implemented.");
        else
            (this->*rule->second)(argument);
    }

    bool readLine(std::string& line) {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return true;
            }
            if (server_.stopping())
                return false;
            if (!waitReadable(control_.get(), kStopCheck))
                continue;
            char chunk[4096];
            const std::int64_t got = receiveSome(control_.get(), chunk, sizeof chunk);
            if (got <= 0)
                return false;
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
    }

    void reply(const std::string& text) {
        if (text.empty())
            return;
        const std::string line = text + "\r\n";
        if (options_.replyDrip.count() == 0) {
            sendAll(control_.get(), line);
            return;
        }
        for (char byte : line) {
            if (server_.stopping() || !sendAll(control_.get(), std::string(1, byte)))
                return;
            std::this_thread::sleep_for(options_.replyDrip);
        }
    }

    void floodWith(SocketFd fd, const std::string& first, const std::string& repeated) {
        std::uint64_t sent = 0;
        std::string burst;
        while (burst.size() < 64 * 1024)
            burst += repeated + "\r\n";
        if (!first.empty() && sendAll(fd, first + "\r\n"))
            sent += first.size() + 2;
        // Waits for room in slices, so a client that stops reading or leaves never holds the server.
        while (!server_.stopping()) {
            const int room = waitWritable(fd, kStopCheck);
            if (room < 0)
                break;
            if (room == 0)
                continue;
            const std::int64_t n = sendWhatFits(fd, burst);
            if (n < 0)
                break;
            sent += static_cast<std::uint64_t>(n);
        }
        std::lock_guard lock(server_.mutex_);
        server_.floodedBytes_ += sent;
    }

    void onOk(const std::string&) { reply("200 Command okay."); }
    void onSyst(const std::string&) { reply("215 UNIX Type: L8"); }
    void onAbor(const std::string&) { reply("226 ABOR command successful."); }

    void onFeat(const std::string&) {
        if (options_.features.empty())
            return reply("502 Command not implemented.");
        std::string answer = "211-Features:";
        for (const auto& feature : options_.features)
            answer += "\r\n " + feature;
        reply(answer + "\r\n211 End");
    }

    void onList(const std::string& argument) {
        std::unique_lock lock(server_.mutex_);
        const auto listing = server_.listings_.find(joinPath(cwd_, argument));
        if (listing == server_.listings_.end()) {
            lock.unlock();
            return reply("550 " + argument + ": No such file or directory.");
        }
        const auto [text, end] = listing->second;
        lock.unlock();
        reply("150 Here comes the listing.");
        UniqueFd data = passiveListener_.valid() ? acceptPassive() : connectActive();
        passiveListener_.reset();
        decoyListener_.reset();
        if (!data.valid())
            return reply("425 Cannot open data connection.");
        if (end == ListingEnd::Flood)
            floodWith(data.get(), {}, text);
        else
            sendAll(data.get(), end == ListingEnd::Whole ? text : text.substr(0, text.size() / 2));
        while (end == ListingEnd::Stall && !server_.stopping() && !waitReadable(control_.get(), kStopCheck)) {
        }
        data.reset();
        reply(end == ListingEnd::Whole ? "226 Transfer complete." : "426 Connection closed; transfer aborted.");
    }

    void onUser(const std::string& name) {
        user_ = name;
        reply(options_.userNeedsPassword ? "331 Password required for " + name + "." : "230 User logged in.");
    }

    void onPass(const std::string& password) {
        const bool good = user_ == options_.user && password == options_.password;
        reply(good ? "230 User logged in." : "530 Login incorrect.");
    }

    void onCwd(const std::string& path) {
        if (path.empty()) // widely used servers refuse an empty path instead of going home
            return reply("501 Syntax error in parameters or arguments.");
        const std::string target = joinPath(cwd_, path);
        std::lock_guard lock(server_.mutex_);
        if (!server_.folders_.count(target))
            return reply("550 " + path + ": No such file or directory.");
        cwd_ = target;
        reply("250 Directory successfully changed.");
    }

    void onMkd(const std::string& path) {
        if (path.empty())
            return reply("501 Syntax error in parameters or arguments.");
        const std::string target = joinPath(cwd_, path);
        std::lock_guard lock(server_.mutex_);
        if (!server_.folders_.insert(target).second)
            return reply("550 " + path + ": File exists.");
        reply("257 \"" + target + "\" created.");
    }

    void onPasv(const std::string&) {
        std::uint16_t port = 0;
        passiveListener_ = listenOn(options_.bindIp, 0, &port);
        activePort_ = 0;
        if (!passiveListener_.valid())
            return reply("425 Cannot open passive connection.");
        std::string advertised = options_.bindIp;
        if (!options_.passiveAdvertisedIp.empty()) {
            advertised = options_.passiveAdvertisedIp;
            decoyListener_ = listenOn(advertised, port);
        }
        reply("227 Entering Passive Mode (" + hostPortText(advertised, port) + ").");
    }

    void onPort(const std::string& argument) {
        passiveListener_.reset();
        decoyListener_.reset();
        if (!parseHostPort(argument, activeIp_, activePort_) || !isLoopbackAddress(activeIp_)) {
            activePort_ = 0;
            return reply("501 Illegal PORT command.");
        }
        reply("200 PORT command successful.");
    }

    void onStore(const std::string& argument) {
        // The passive listener stays, as with real servers: the client may connect before it reads the refusal.
        if (options_.storeNeedsFolder && !folderExists(joinPath(cwd_, argument)))
            return reply("553 Could not create file.");
        reply("150 Opening BINARY mode data connection.");
        UniqueFd data = passiveListener_.valid() ? acceptPassive() : connectActive();
        passiveListener_.reset();
        decoyListener_.reset();
        if (!data.valid())
            return reply("425 Cannot open data connection.");

        StoredFile file{verb_, argument, cwd_, 0, {}, peerIpOf(data.get())};
        if (options_.dataNeverRead) {
            // The client's sends fill the buffers and stall; wait until it gives up on the control connection.
            waitReadable(control_.get(), options_.ioBound);
            return reply("426 Connection closed; transfer aborted.");
        }
        const bool dropped = receiveInto(data.get(), file);
        data.reset();
        {
            std::lock_guard lock(server_.mutex_);
            server_.stored_.push_back(std::move(file));
        }
        if (dropped)
            return reply("426 Connection closed; transfer aborted.");
        for (const auto& answer : options_.storeFinalReplies)
            reply(answer);
        if (options_.closeAfterStores && ++stores_ == options_.closeAfterStores)
            closed_ = true;
    }

    bool folderExists(const std::string& filePath) {
        const auto slash = filePath.rfind('/');
        std::lock_guard lock(server_.mutex_);
        return server_.folders_.count(slash == 0 ? "/" : filePath.substr(0, slash)) > 0;
    }

    // Returns true when the server cut the transfer short on purpose.
    bool receiveInto(SocketFd fd, StoredFile& file) {
        std::vector<char> chunk(1 << 16);
        while (waitReadable(fd, options_.ioBound) && !server_.stopping()) {
            const std::int64_t got = receiveSome(fd, chunk.data(), chunk.size());
            if (got <= 0)
                break;
            file.size += static_cast<std::uint64_t>(got);
            if (options_.keepStoredBytes)
                file.content.append(chunk.data(), static_cast<std::size_t>(got));
            if (options_.dataDropAfterBytes && file.size >= options_.dataDropAfterBytes &&
                !(options_.dataDropOnce && server_.dropped_.exchange(true)))
                return true;
        }
        return false;
    }

    UniqueFd acceptPassive() {
        // The control connection is watched too: a client that gives up closes it, and must not leave the
        // session waiting out the whole bound.
        // Waited in short slices, so that stopping the server never waits out the bound either.
        std::vector<SocketFd> watched = {passiveListener_.get(), control_.get()};
        if (decoyListener_.valid())
            watched.push_back(decoyListener_.get());
        const auto deadline = std::chrono::steady_clock::now() + options_.ioBound;
        std::vector<bool> ready(watched.size(), false);
        while (std::find(ready.begin(), ready.end(), true) == ready.end() && !server_.stopping() &&
               std::chrono::steady_clock::now() < deadline)
            ready = readableAmong(watched, kStopCheck);
        if (ready[0])
            return acceptWithin(passiveListener_.get(), kStopCheck);
        if (ready.size() < 3 || !ready[2])
            return {};
        // The client went where the 227 pointed instead of to us: count what it poured there.
        UniqueFd decoy = acceptWithin(decoyListener_.get(), kStopCheck);
        StoredFile lost;
        if (decoy.valid())
            receiveInto(decoy.get(), lost);
        std::lock_guard lock(server_.mutex_);
        server_.decoyBytes_ += lost.size;
        return {};
    }

    UniqueFd connectActive() {
        if (activePort_ == 0)
            return {};
        if (!options_.activeIntruderIp.empty())
            raceAsIntruder();
        return connectTo(activeIp_, activePort_, options_.bindIp);
    }

    // A third party that reaches the client's listener first; a careful client closes it unread.
    void raceAsIntruder() {
        UniqueFd intruder = connectTo(activeIp_, activePort_, options_.activeIntruderIp);
        StoredFile taken;
        bool closedByClient = false;
        if (intruder.valid() && waitReadable(intruder.get(), options_.ioBound)) {
            receiveInto(intruder.get(), taken);
            closedByClient = true;
        }
        std::lock_guard lock(server_.mutex_);
        server_.intruderRefused_ = closedByClient && taken.size == 0;
        server_.intruderBytes_ += taken.size;
    }

    void onQuit(const std::string&) {
        reply("221 Goodbye.");
        closed_ = true;
    }

    FakeFtpServer& server_;
    const Options& options_;
    UniqueFd control_;
    std::string buffer_;
    std::string verb_;
    std::string user_;
    std::string cwd_ = "/";
    UniqueFd passiveListener_, decoyListener_;
    std::string activeIp_;
    std::uint16_t activePort_ = 0;
    std::size_t stores_ = 0;
    bool closed_ = false;
};

FakeFtpServer::FakeFtpServer() : FakeFtpServer(Options{}) {}

FakeFtpServer::FakeFtpServer(Options options) : options_(std::move(options)) {
    UniqueFd listener = listenOn(options_.bindIp, 0, &port_);
    if (!listener.valid())
        throw std::runtime_error("fake FTP server cannot listen on " + options_.bindIp);
    listenFd_ = listener.release();
    thread_ = std::thread([this] { run(); });
}

FakeFtpServer::~FakeFtpServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
    UniqueFd(listenFd_).reset();
}

void FakeFtpServer::run() {
    while (!stopping()) {
        UniqueFd control = acceptWithin(listenFd_, kStopCheck);
        if (!control.valid())
            continue;
        {
            std::lock_guard lock(mutex_);
            inSession_ = true;
            ++sessions_;
        }
        Session(*this, std::move(control)).serve();
        std::lock_guard lock(mutex_);
        inSession_ = false;
        changed_.notify_all();
    }
}

bool FakeFtpServer::stopping() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

void FakeFtpServer::expect(std::string line, std::string reply) {
    std::lock_guard lock(mutex_);
    script_.emplace_back(std::move(line), std::move(reply));
}

void FakeFtpServer::setReply(const std::string& verb, std::string reply) {
    std::lock_guard lock(mutex_);
    replies_[upper(verb)] = std::move(reply);
}

void FakeFtpServer::dropOn(const std::string& verb) {
    std::lock_guard lock(mutex_);
    drops_.insert(upper(verb));
}

void FakeFtpServer::stallAfter(const std::string& verb, std::string reply) {
    std::lock_guard lock(mutex_);
    stallsAfter_[upper(verb)] = std::move(reply);
}

void FakeFtpServer::stallOn(const std::string& verb) {
    std::lock_guard lock(mutex_);
    stalls_.insert(upper(verb));
}

void FakeFtpServer::floodOn(const std::string& verb, std::string firstLine, std::string repeatedLine) {
    std::lock_guard lock(mutex_);
    floods_[upper(verb)] = {std::move(firstLine), std::move(repeatedLine)};
}

std::uint64_t FakeFtpServer::floodedBytes() const {
    std::lock_guard lock(mutex_);
    return floodedBytes_;
}

void FakeFtpServer::setListing(const std::string& absolutePath, std::string text, ListingEnd end) {
    std::lock_guard lock(mutex_);
    listings_[absolutePath] = {std::move(text), end};
}

void FakeFtpServer::addFolder(const std::string& absolutePath) {
    std::lock_guard lock(mutex_);
    folders_.insert(absolutePath);
}

void FakeFtpServer::removeFolder(const std::string& absolutePath) {
    std::lock_guard lock(mutex_);
    std::erase_if(folders_, [&absolutePath](const std::string& folder) {
        return folder == absolutePath || folder.rfind(absolutePath + "/", 0) == 0;
    });
}

std::vector<std::string> FakeFtpServer::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<FakeFtpServer::StoredFile> FakeFtpServer::stored() const {
    std::lock_guard lock(mutex_);
    return stored_;
}

std::vector<std::string> FakeFtpServer::scriptMismatches() const {
    std::lock_guard lock(mutex_);
    return mismatches_;
}

std::size_t FakeFtpServer::sessionCount() const {
    std::lock_guard lock(mutex_);
    return sessions_;
}

std::uint64_t FakeFtpServer::decoyReceivedBytes() const {
    std::lock_guard lock(mutex_);
    return decoyBytes_;
}

bool FakeFtpServer::intruderWasRefused() const {
    std::lock_guard lock(mutex_);
    return intruderRefused_;
}

std::uint64_t FakeFtpServer::intruderReceivedBytes() const {
    std::lock_guard lock(mutex_);
    return intruderBytes_;
}

bool FakeFtpServer::waitForCommands(std::size_t n, std::chrono::milliseconds bound) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [&] { return commands_.size() >= n; });
}

bool FakeFtpServer::waitForSessionEnd(std::chrono::milliseconds bound) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [&] { return sessions_ > 0 && !inSession_; });
}

} // namespace ferrylo::testing
