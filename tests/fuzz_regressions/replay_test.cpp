// Replays saved and hand-made hostile inputs through the fuzz entry functions. An entry raises when a property
// breaks or an unexpected exception escapes; a crash or sanitizer report ends the test binary.

#include "fuzz/FuzzEntries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Entry = void (*)(const uint8_t*, size_t);

struct Target {
    const char* name;
    Entry entry;
};

const Target Targets[] = {
    {"reply_stream", fuzz::ReplyStream},     {"passive_reply", fuzz::PassiveReply}, {"mask_match", fuzz::MaskMatch},
    {"myini_file", fuzz::MyIniFile},         {"option_file", fuzz::OptionFile},     {"iniinp_file", fuzz::IniInpFile},
    {"inisearch_file", fuzz::IniSearchFile}, {"path_file", fuzz::PathFile},
};

void Replay(Entry entry, const std::string& bytes) {
    entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const auto& item : fs::directory_iterator(folder))
            if (item.is_regular_file())
                files.push_back(item.path());
    }
    return files;
}

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SavedInputs : public testing::TestWithParam<Target> {};

// The seeds are valid examples; the findings are inputs that once crashed, hung or broke a property.
TEST_P(SavedInputs, ReplayWithoutAFinding) {
    const Target& target = GetParam();
    const auto seeds = FilesIn(fs::path(FERRYLO_FUZZ_SEEDS) / target.name);
    EXPECT_FALSE(seeds.empty()) << "no seeds for " << target.name;
    auto inputs = seeds;
    const auto findings = FilesIn(fs::path(FERRYLO_FUZZ_FINDINGS) / target.name);
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    for (const fs::path& input : inputs)
        EXPECT_NO_THROW(Replay(target.entry, Contents(input))) << input.filename();
}

INSTANTIATE_TEST_SUITE_P(FuzzTargets, SavedInputs, testing::ValuesIn(Targets),
                         [](const testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

// A reply-stream input: the line-limit byte, the buffer byte, then the receives.
struct Stream {
    std::string bytes;
    Stream(uint8_t lineByte, uint8_t bufferByte) : bytes{char(lineByte), char(bufferByte)} {}
    Stream& Chunk(const std::string& text) {
        bytes += char(text.size());
        bytes += text;
        return *this;
    }
    Stream& Close() {
        bytes += char(0xFF);
        return *this;
    }
    Stream& Fail(uint8_t which) {
        bytes += char(0xFE);
        bytes += char(which);
        return *this;
    }
};

constexpr uint8_t SplitLongLines = 0x80;
constexpr uint8_t ClosesAtEnd = 0x40;
constexpr uint8_t FullBuffer = 0x80;

TEST(HostileReplyStreams, EndInTheClientsOwnFailureOrAReply) {
    const std::string longLine = "550 " + std::string(120, 'x') + "\r\n";
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"a line over the limit raises", Stream(16, FullBuffer).Chunk(longLine).bytes},
        {"a line over the limit is split", Stream(16 | SplitLongLines, FullBuffer).Chunk(longLine).bytes},
        {"split at a limit of one byte", Stream(1 | SplitLongLines, 3).Chunk("220 ok\r\n").Chunk("2\n").bytes},
        {"the peer closes in the middle of a line", Stream(0, 0).Chunk("220 hal").Close().bytes},
        {"the peer closes between CR and LF", Stream(0, 0).Chunk("220 ok\r").Close().Chunk("\n").bytes},
        {"no LF and the peer stays silent", Stream(0, 0).Chunk("220 never ends").bytes},
        {"no LF and the peer closes", Stream(0, ClosesAtEnd).Chunk("220 never ends").bytes},
        {"a multi-line reply that never ends", Stream(0, ClosesAtEnd).Chunk("230-a\r\n230-b\r\n231 c\r\n").bytes},
        {"only empty and blank lines", Stream(0, ClosesAtEnd).Chunk("\r\n\n \t\r\n\n").bytes},
        {"a reset with a reply pending", Stream(0, 0).Chunk("220 ok\r\n221 b").Fail(0).Chunk("ye\r\n").bytes},
        {"a shut-down socket after a whole reply", Stream(0, 0).Chunk("220 ok\r\n").Fail(2).bytes},
        {"an aborted connection first", Stream(0, 0).Fail(1).Chunk("220 ok\r\n").bytes},
        {"NUL and high bytes in the code", Stream(0, 1).Chunk(std::string("\0\xff\x80-x\r\n", 7)).Close().bytes},
        {"a minus-sign code", Stream(0, ClosesAtEnd).Chunk("-99 x\r\n-9-y\r\n-9 z\n").bytes},
        {"a 227 reply with absurd fields", Stream(0, 0).Chunk("227 (1,2,3,4,99999999999,-5)\r\n").bytes},
        {"a 227 reply without any field", Stream(0, 0).Chunk("227\r\n").bytes},
        {"a truncated length byte", std::string("\x00\x00\x40"
                                                "220",
                                                6)},
    };
    for (const auto& c : cases)
        EXPECT_NO_THROW(Replay(fuzz::ReplyStream, c.bytes)) << c.what;
}

// Settings files at the sizes where their readers change course: the record slots, the record end, and the
// 256-byte steps in which the first line is read.
TEST(SettingsFilesOfAnyShape, ReadAsTheirBytesSayAndSaveBackUnchanged) {
    std::vector<std::string> contents = {"", "\n", "\r", "\r\n", std::string(1, '\0'), "|", "||", "a|b|c"};
    for (size_t size : {1u, 255u, 256u, 257u, 511u, 512u, 768u, 1024u, 1025u, 1026u, 1100u}) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 131 + 7) % 256); // every byte value, LF and CR among them
        contents.push_back(bytes);
        contents.push_back(std::string(size, '\xff'));
    }
    // A CR LF straddling the first 256-byte read, and a first line longer than one read.
    contents.push_back(std::string(255, 'a') + "\r\n|second");
    contents.push_back(std::string(256, 'a') + "\r\n");
    contents.push_back(std::string(600, 'b') + "|" + std::string(300, 'c'));
    // A UTF-8 character split by the end of a record slot.
    contents.push_back(std::string(1, char(255)) + std::string(254, 'x') + "\xd0");

    const Entry settingsEntries[] = {fuzz::MyIniFile, fuzz::OptionFile, fuzz::IniInpFile, fuzz::IniSearchFile,
                                     fuzz::PathFile};
    for (Entry entry : settingsEntries)
        for (const std::string& content : contents)
            EXPECT_NO_THROW(Replay(entry, content)) << content.size() << " bytes";
}

TEST(HostileParserInputs, RaiseOnlyTheirOwnErrors) {
    const std::string passive[] = {"",
                                   "(",
                                   ")",
                                   ")(",
                                   "(,,,,,)",
                                   "(1,2,3,4,5)",
                                   "(1,2,3,4,5,6,7)",
                                   "1,2,3,4,2147483647,2147483647",
                                   "(1,2,3,4,-2147483648,-1)",
                                   "a b c"};
    for (const std::string& text : passive)
        EXPECT_NO_THROW(Replay(fuzz::PassiveReply, text)) << text;

    const std::string mask[] = {"",
                                "\x01[",
                                "\x02[]",
                                "\x03[!]",
                                "\x03[-]",
                                "\x04[a-]a-",
                                "\x05[z-a]z",
                                std::string("\x3f") + std::string(63, '*') + "name",
                                std::string("\x40") + std::string(32, '*') + std::string(32, '?') + "n",
                                "\x05[\xd0\xb0-" + std::string("\xd1\x8f]\xd0\xaf", 5)};
    for (const std::string& input : mask)
        EXPECT_NO_THROW(Replay(fuzz::MaskMatch, input)) << input;
}

} // namespace
