#include "shell/RunProgram.h"

#include "util/Paths.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace {

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

bool StartForReal(const TRunRequest& request) {
    const QFileInfo info(FromLocal(request.file));
    if (!info.exists())
        return false;
    if (info.isFile() && info.isExecutable()) {
        const QStringList arguments = QProcess::splitCommand(FromLocal(request.parameters));
        return QProcess::startDetached(info.absoluteFilePath(), arguments, FromLocal(request.workingFolder));
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

std::function<bool(const TRunRequest&)>& Starter() {
    static std::function<bool(const TRunRequest&)> starter = StartForReal;
    return starter;
}

} // namespace

bool RunProgram(const std::string& file, const std::string& parameters, const std::string& workingFolder) {
    TRunRequest request{file, parameters, workingFolder};
    if (request.workingFolder.empty()) {
        const std::string folder = FolderPart(file);
        request.workingFolder = folder.empty() ? folder : WithTrailingBackslash(folder);
    }
    return Starter()(request);
}

namespace shell::testing {

RunRecorder::RunRecorder(bool accept) : previous_(Starter()) {
    Starter() = [this, accept](const TRunRequest& request) {
        requests_.push_back(request);
        return accept;
    };
}

RunRecorder::~RunRecorder() {
    Starter() = previous_;
}

} // namespace shell::testing
