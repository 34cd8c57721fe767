#include "settings/TextFiles.h"
#include "util/FileErrors.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

// A file-system entry that exists but that no one can open, not even a privileged user: a
// local socket's name.
class UnopenableEntry {
public:
    explicit UnopenableEntry(const std::string& path) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        bound_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~UnopenableEntry() {
        if (fd_ >= 0)
            close(fd_);
    }
    bool Ready() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

// A file that opens but whose first read fails: this process's memory read at address 0.
constexpr const char* FailingRead = "/proc/self/mem";

TEST(TextLines, SplitTakesCrLfAndLfKeepingEveryByte) {
    const struct {
        std::string content;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"  padded  \r\n", {"  padded  "}},
        {"a\rb\n", {"a\rb"}}, // a lone CR is part of the line
        {"a\r\r\n", {"a\r"}},
        {"/incoming/daily\r\n/Входящие\r\n", {"/incoming/daily", "/Входящие"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitLines(c.content), c.lines) << testing::PrintToString(c.content);
}

TEST(TextLines, WrittenWithCrLfAndReadBack) {
    TempFolder dir;
    const std::string path = dir.File("x.path");
    const Lines lines = {"/a", "", "/a", " /b ", "/в"};
    WriteTextLines(path, lines);
    EXPECT_EQ(TempFolder::Get(path), "/a\r\n\r\n/a\r\n /b \r\n/в\r\n");
    EXPECT_EQ(ReadTextLines(path), lines);

    WriteTextLines(path, {});
    EXPECT_EQ(TempFolder::Get(path), "");
    EXPECT_EQ(ReadTextLines(dir.File("missing.path")), Lines{});
}

TEST(TextLines, ReadFailuresRaiseTheirReports) {
    TempFolder dir;
    const std::string socketPath = dir.File("sock.path");
    UnopenableEntry entry(socketPath);
    ASSERT_TRUE(entry.Ready());
    try {
        ReadTextLines(socketPath);
        FAIL() << "an unopenable file was read";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + socketPath + "\". ", 0), 0u) << e.what();
    }
    if (std::filesystem::exists(FailingRead)) {
        EXPECT_THROW(ReadTextLines(FailingRead), EInOutError);
    }
}

TEST(TextLines, CreateFailuresRaiseTheirReport) {
    TempFolder dir;
    const std::string readOnly = dir.File("ro.path");
    TempFolder::Put(readOnly, "kept\r\n");
    chmod(readOnly.c_str(), 0444);
    for (const std::string& path : {dir.File("no/such/x.path"), readOnly}) {
        try {
            WriteTextLines(path, {"/new"});
            FAIL() << path << " was written";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + path + "\". ", 0), 0u) << e.what();
        }
    }
    EXPECT_EQ(TempFolder::Get(readOnly), "kept\r\n");
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_THROW(WriteTextLines("/dev/full", {"/new"}), EInOutError);
    }
}

TEST(SingleLine, FirstLineOnly) {
    TempFolder dir;
    const std::string path = dir.File("x.iniInp");
    const struct {
        std::string content;
        std::string first;
    } cases[] = {
        {"", ""},
        {"C:\\Data|*.*", "C:\\Data|*.*"},
        {"/srv/data|*.*\r\nsecond\r\n", "/srv/data|*.*"},
        {"1|10\nignored", "1|10"},
        {"\r\nsecond", ""},
        {std::string(1000, 'x') + "\nsecond", std::string(1000, 'x')},
    };
    for (const auto& c : cases) {
        TempFolder::Put(path, c.content);
        EXPECT_EQ(ReadFirstLine(path), c.first) << testing::PrintToString(c.content);
    }
}

TEST(SingleLine, MissingOrUnopenableIsNotThere) {
    TempFolder dir;
    const std::string socketPath = dir.File("sock.iniInp");
    UnopenableEntry entry(socketPath);
    ASSERT_TRUE(entry.Ready());
    EXPECT_EQ(ReadFirstLine(dir.File("missing.iniInp")), std::nullopt);
    EXPECT_EQ(ReadFirstLine(socketPath), std::nullopt);
    if (std::filesystem::exists(FailingRead)) {
        EXPECT_THROW(ReadFirstLine(FailingRead), EInOutError);
    }
}

TEST(SingleLine, WriteCreatesAnewOrSaysItCouldNot) {
    TempFolder dir;
    const std::string path = dir.File("x.inisearch");
    TempFolder::Put(path, "old\r\nlines\r\n");
    ASSERT_TRUE(WriteSingleLine(path, "1|10"));
    EXPECT_EQ(TempFolder::Get(path), "1|10\r\n");
    EXPECT_FALSE(WriteSingleLine(dir.File("no/such/x.inisearch"), "1|10"));
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteSingleLine("/dev/full", "1|10"));
    }
}

} // namespace
