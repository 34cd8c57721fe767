#include "shell/RunProgram.h"

#include "util/NativePath.h"
#include "util/Paths.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace {

#ifdef _WIN32
// The shell starts a program or opens a document with its handler alike; the texts are in the ANSI code page and
// go to the shell as UTF-16.
bool StartForReal(const TRunRequest& request) {
    if (GetFileAttributesW(NativePath(request.file).c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    const std::wstring folder = NativePath(request.workingFolder).native();
    const HINSTANCE started =
        ShellExecuteW(nullptr, L"open", NativePath(request.file).c_str(), WideText(request.parameters).c_str(),
                      folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32; // the shell's documented success threshold
}
#else
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
#endif

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
