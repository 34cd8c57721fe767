#include "CopyJobFixture.h"

#include "ui/TProgressBar.h"
#include "dialogs/TForm2.h"
#include "ftp/TIdFTP.h"

#include "ui/TLogView.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

void CopyJobFixture::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    forms_ = std::make_unique<FormSet>(TStartup{dir_.filePath(QStringLiteral("ferrylo")), {}});
    setOptions(false, false, false, false, false);
}

void CopyJobFixture::TearDown() {
    // A case that failed half-way must not leave a job that outlives its windows.
    form().Timer1->stop();
    forms_.reset();
}

std::string CopyJobFixture::programFolder() const {
    return dir_.path().toStdString() + "/";
}

std::string CopyJobFixture::makeFile(const std::string& relative, const std::string& bytes) const {
    const fs::path path = fs::path(programFolder()) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::string CopyJobFixture::makeFolder(const std::string& relative) const {
    const fs::path path = fs::path(programFolder()) / relative;
    fs::create_directories(path);
    return path.string();
}

std::string CopyJobFixture::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool CopyJobFixture::exists(const std::string& path) {
    return fs::exists(fs::path(path));
}

void CopyJobFixture::setSource(const std::string& folder, const std::string& fileName, const std::string& destination) {
    form().Edit1->setText(QString::fromStdString(folder));
    form().Edit2->setText(QString::fromStdString(fileName));
    form().ComboBox1->setEditText(QString::fromStdString(destination));
}

void CopyJobFixture::pointAt(const std::string& host, std::uint16_t port, const std::string& user,
                             const std::string& password) {
    form().Edit4->setText(QString::fromStdString(host));
    form().Edit5->setText(QString::fromStdString(user));
    form().Edit6->setText(QString::fromStdString(password));
    form().CheckBox2->setChecked(true);
    form().IdFTP1->Passive = true;
    form().IdFTP1->SetPort(port);
}

void CopyJobFixture::setOptions(bool powerOff, bool deleteSources, bool notifyDone, bool exitAfterCopy,
                                bool trayOnStart) {
    Form2->CheckBox1->setChecked(powerOff);
    Form2->CheckBox2->setChecked(deleteSources);
    Form2->CheckBox3->setChecked(notifyDone);
    Form2->CheckBox4->setChecked(exitAfterCopy);
    Form2->CheckBox5->setChecked(trayOnStart);
}

void CopyJobFixture::startJob() {
    form().Button2->click();
}

std::vector<std::string> CopyJobFixture::logTexts() const {
    std::vector<std::string> texts;
    const QStringList lines = forms_->main().Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const std::string text = line.toStdString();
        const auto colon = text.find(": "); // the stamp's time may hold ':' but never ": "
        texts.push_back(colon == std::string::npos ? text : text.substr(colon));
    }
    return texts;
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
    auto original = form().IdFTP1->OnWorkBegin;
    form().IdFTP1->OnWorkBegin = [original, hook](TIdComponent* sender, TWorkMode mode, std::int64_t max) {
        original(sender, mode, max);
        hook(max);
    };
}

void CopyJobFixture::onWork(std::function<void(std::int64_t)> hook) {
    auto original = form().IdFTP1->OnWork;
    form().IdFTP1->OnWork = [original, hook](TIdComponent* sender, TWorkMode mode, std::int64_t count) {
        original(sender, mode, count);
        hook(count);
    };
}

void CopyJobFixture::onWorkEnd(std::function<void()> hook) {
    auto original = form().IdFTP1->OnWorkEnd;
    form().IdFTP1->OnWorkEnd = [original, hook](TIdComponent* sender, TWorkMode mode) {
        original(sender, mode);
        hook();
    };
}

std::uint16_t UnusedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}
