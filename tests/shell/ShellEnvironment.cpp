#include "ShellEnvironment.h"

#include <QDir>
#include <fstream>
#include <sstream>

ShellEnvironment::ShellEnvironment()
    : savedHome_(qgetenv("HOME")), savedData_(qgetenv("XDG_DATA_HOME")), savedConfig_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("HOME", dir_.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
    QDir().mkpath(dir_.path() + QStringLiteral("/Desktop"));
}

ShellEnvironment::~ShellEnvironment() {
    qputenv("HOME", savedHome_);
    qputenv("XDG_DATA_HOME", savedData_);
    qputenv("XDG_CONFIG_HOME", savedConfig_);
}

std::string ShellEnvironment::home() const {
    return dir_.path().toStdString() + "/";
}
std::string ShellEnvironment::desktop() const {
    return home() + "Desktop/";
}
std::string ShellEnvironment::sendTo() const {
    return home() + "data/Thunar/sendto/";
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
