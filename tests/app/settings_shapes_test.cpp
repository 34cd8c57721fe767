// Start-up survives settings files of any length and content: the window opens, and reading
// never changes a file (nothing is lost that the user did not ask to lose).
#include "MainWindowFixture.h"

#include <QLineEdit>
#include <random>

class SettingsShapes : public MainWindowFixture, public ::testing::WithParamInterface<const char*> {};

namespace {
std::string randomBytes(std::mt19937& random, std::size_t length) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(length, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(random));
    return bytes;
}
} // namespace

TEST_P(SettingsShapes, EveryLengthUpTo1100OfRandomBytes) {
    const char* suffix = GetParam();
    std::mt19937 random(20261207);
    const std::string path = settingsFile(suffix);
    // The bytes decide whether ".MyIni" holds a login and so whether the password box asks at all;
    // when it does, it is cancelled.
    script_.lenient();
    for (std::size_t length = 0; length <= 1100; ++length) {
        const std::string bytes = randomBytes(random, length);
        writeFile(path, bytes);
        start();
        form().show();
        ASSERT_TRUE(form().isVisible()) << suffix << " of " << length << " bytes";
        ASSERT_EQ(readFile(path), bytes) << suffix << " of " << length << " bytes changed by start-up";
        script_.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(EachFile, SettingsShapes,
                         ::testing::Values(".MyIni", ".iniInp", ".inisearch", ".path", ".option"),
                         [](const auto& info) { return std::string(info.param + 1); });
