#include "tests/support/SshKeys.h"

#include "tests/support/ChildProcess.h"

#include <sstream>
#include <stdexcept>

namespace ferrylo::testing {

namespace {

// Key generation takes milliseconds; the bound only keeps a broken tool from hanging a test.
constexpr auto kToolBound = std::chrono::seconds(15);

std::string firstWords(const std::string& text, int count) {
    std::istringstream words(text);
    std::string word, joined;
    for (int i = 0; i < count && words >> word; ++i)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

} // namespace

void makeEd25519KeyPair(const std::filesystem::path& privateKey, const std::filesystem::path& toolLog) {
    if (!runTool({kSshKeygen, "-q", "-t", "ed25519", "-N", "", "-C", "", "-f", privateKey.string()}, toolLog,
                 kToolBound))
        throw std::runtime_error("ssh-keygen could not make " + privateKey.string() + ":\n" + readWholeFile(toolLog));
}

std::string publicKeyLine(const std::filesystem::path& publicKey) {
    return firstWords(readWholeFile(publicKey), 2);
}

std::string sha256Fingerprint(const std::filesystem::path& publicKey, const std::filesystem::path& toolLog) {
    const auto printed = runTool({kSshKeygen, "-l", "-E", "sha256", "-f", publicKey.string()}, toolLog, kToolBound);
    if (!printed)
        throw std::runtime_error("ssh-keygen could not read " + publicKey.string() + ":\n" + readWholeFile(toolLog));
    // "256 SHA256:… comment (ED25519)"
    std::istringstream fields(*printed);
    std::string bits, fingerprint;
    fields >> bits >> fingerprint;
    return fingerprint;
}

} // namespace ferrylo::testing
