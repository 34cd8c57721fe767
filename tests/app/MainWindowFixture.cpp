#include "MainWindowFixture.h"

#include <QDir>
#include <QFileInfo>
#include <fstream>
#include <sstream>

void MainWindowFixture::start(const QStringList& arguments) {
    forms_.reset();
    // As the program's main hands it over: with native separators.
    forms_ = std::make_unique<FormSet>(TStartup{QDir::toNativeSeparators(dir_.filePath(QStringLiteral("ferrylo"))),
                                                arguments, passwords_ ? passwords_ : keyring_});
}

std::string MainWindowFixture::folder() const {
    return dir_.path().toStdString() + "/";
}

std::string MainWindowFixture::settingsFile(const char* suffix) const {
    return folder() + "ferrylo" + suffix;
}

void MainWindowFixture::writeFile(const std::string& path, const std::string& bytes) const {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string MainWindowFixture::readFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool MainWindowFixture::exists(const std::string& path) const {
    return QFileInfo::exists(QString::fromStdString(path));
}
