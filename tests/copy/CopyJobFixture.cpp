#include "CopyJobFixture.h"

#include "app/CopyJob.h"
#include "ftp/TIdFTP.h"
#include "settings/Settings.h"
#include "shell/SiblingFiles.h"
#include "tests/support/Utf8Path.h"
#include "ui/SystemText.h"
#include "util/NativePath.h"
#include "util/ProgramFolder.h"

#include "tests/support/LoopbackSockets.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

void CopyJobFixture::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    SetProgramFolder(programFolder() + "ferrylo");
    SetSettingsBase(programFolder() + "ferrylo"); // the job reads ".ftps", and a "Да" writes it
    FtpSettings = {};
    CurrentPassword.clear();
    host_ = std::make_unique<FakeCopyHost>();
    host_->RetryWaitsMs.clear(); // a failure ends the job at once; the retry tests give their own waits
}

void CopyJobFixture::TearDown() {
    host_.reset();
}

// Paths come back as the program's 8-bit text, with the system's separators, as a user's typed folder and the
// job's own joins are; the relative names the tests give are UTF-8.
std::string CopyJobFixture::programFolder() const {
    return EightBitPath((fs::path(dir_.path().toStdU16String()) / "").make_preferred());
}

std::string CopyJobFixture::makeFile(const std::string& relative, const std::string& bytes) const {
    const fs::path path = (NativePath(programFolder()) / Utf8Path(relative)).make_preferred();
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return EightBitPath(path);
}

std::string CopyJobFixture::makeFolder(const std::string& relative) const {
    const fs::path path = (NativePath(programFolder()) / Utf8Path(relative)).make_preferred();
    fs::create_directories(path);
    return EightBitPath(path);
}

std::string CopyJobFixture::readFile(const std::string& path) {
    return readFile(NativePath(path));
}

std::string CopyJobFixture::readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool CopyJobFixture::exists(const std::string& path) {
    return fs::exists(NativePath(path));
}

std::string CopyJobFixture::shown(const std::string& eightBit) {
    return ui::FromSystemText(eightBit).toStdString();
}

std::string CopyJobFixture::placePowerOffRecorder(int delayMs) const {
    const std::string marker = programFolder() + "powered-off";
    const std::string tool = PowerOffToolPath();
    EXPECT_EQ(tool.rfind(programFolder(), 0), 0u) << tool; // the sibling of the test's program folder
    fs::create_directories(NativePath(tool).parent_path());
    fs::copy_file(FERRYLO_POWER_OFF_RECORDER, NativePath(tool), fs::copy_options::overwrite_existing);
    qputenv("FERRYLO_RECORDER_MARKER", QByteArray::fromStdString(marker));
    qputenv("FERRYLO_RECORDER_DELAY_MS", QByteArray::number(delayMs));
    return marker;
}

std::string CopyJobFixture::inFolder(const std::string& folder, const std::string& name) {
    return folder + static_cast<char>(fs::path::preferred_separator) + name;
}

void CopyJobFixture::setSource(const std::string& folder, const std::string& fileName, const std::string& destination) {
    host().sourceFolder = folder;
    host().sourceFileName = fileName;
    host().destination = destination;
}

void CopyJobFixture::pointAt(const std::string& address, std::uint16_t port, const std::string& user,
                             const std::string& password) {
    host().server = address;
    host().login = user;
    host().password = password;
    host().passive = true;
    host().ftp.Passive = true;
    host().ftp.DefaultPort = port;
}

void CopyJobFixture::setOptions(bool powerOff, bool deleteSources, bool notifyDone, bool exitAfterCopy,
                                bool trayOnStart) {
    host().options = {powerOff, deleteSources, notifyDone, exitAfterCopy, trayOnStart};
}

void CopyJobFixture::startJobKeepingSources() {
    script_.answer(ui::No);
    startJob();
}

void CopyJobFixture::startJob() {
    // As a click runs it: an error the job does not catch goes to the error box.
    ui::RunHandler([this] { copyjob::Start(host()); });
}

std::vector<std::string> CopyJobFixture::logTexts() const {
    std::vector<std::string> texts;
    for (const std::string& text : host_->log) {
        const auto colon = text.find(": "); // the stamp's time may hold ':' but never ": "
        texts.push_back(colon == std::string::npos ? text : text.substr(colon));
    }
    return texts;
}

long CopyJobFixture::logged(const std::string& prefix) const {
    const auto log = logTexts();
    return std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

std::vector<QString> CopyJobFixture::errors() const {
    std::vector<QString> texts;
    for (const auto& shown : script_.shown()) {
        if (shown.kind == ui::testing::Shown::Kind::Error)
            texts.push_back(shown.text);
    }
    return texts;
}

void CopyJobFixture::onWorkBegin(std::function<void(std::int64_t)> hook) {
    auto original = host().ftp.OnWorkBegin;
    host().ftp.OnWorkBegin = [original, hook](TIdComponent* sender, TWorkMode mode, std::int64_t max) {
        if (original)
            original(sender, mode, max);
        hook(max);
    };
}

void CopyJobFixture::onWork(std::function<void(std::int64_t)> hook) {
    auto original = host().ftp.OnWork;
    host().ftp.OnWork = [original, hook](TIdComponent* sender, TWorkMode mode, std::int64_t count) {
        if (original)
            original(sender, mode, count);
        hook(count);
    };
}

void CopyJobFixture::onWorkEnd(std::function<void()> hook) {
    auto original = host().ftp.OnWorkEnd;
    host().ftp.OnWorkEnd = [original, hook](TIdComponent* sender, TWorkMode mode) {
        if (original)
            original(sender, mode);
        hook();
    };
}

std::uint16_t UnusedLoopbackPort() {
    std::uint16_t port = 0;
    ferrylo::testing::listenOn("127.0.0.1", 0, &port); // closed again at once
    return port;
}
