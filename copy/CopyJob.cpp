// The copy job behind "Старт копирования": check the input, connect, upload every source file
// under its remote path, and end as the copy options say.
#include "copy/CopyJob.h"

#include "copy/CopyConnection.h"
#include "copy/CopyHost.h"
#include "copy/LogLine.h"
#include "copy/ParallelUploads.h"
#include "copy/ProgressDisplay.h"
#include "copy/ProgressMath.h"
#include "copy/RemotePath.h"
#include "copy/RetryingUpload.h"
#include "copy/SourceFiles.h"
#include "copy/UploadTally.h"
#include "ftp/TIdFTP.h"
#include "ftps/FtpsTrust.h"
#include "settings/Settings.h"
#include "shell/RunProgram.h"
#include "shell/SiblingFiles.h"
#include "shell/Sound.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"
#include "util/ForceDeleteFile.h"
#include "util/NativePath.h"
#include "util/Paths.h"

#include <QApplication>
#include <algorithm>
#include <filesystem>

namespace copyjob {
namespace {

const char* const kWholeFolder = "*.*";
const QString kDoneSound = QStringLiteral(":/MYWAVE1.wav");

// The source fields as checked; the job lists exactly what was checked.
struct TTypedSource {
    std::string folder;
    std::string fileName;
    std::string currentFolder; // a relative source folder starts here
};

// Phase A: the first fault ends the job with its message; nothing has changed before it passes.
bool InputIsValid(TCopyHost& host, TTypedSource& source) {
    std::string destination = host.Destination();
    if (destination.empty()) {
        host.SetDestination("/");
    } else if (destination.front() != '/') {
        ui::ShowMessage(QStringLiteral("Папка назначения должна начинаться с \"/\""));
        return false;
    }
    const std::string folder = host.SourceFolder();
    if (!FolderExists(folder)) {
        ui::ShowMessage(QStringLiteral(u"Нет папки - ") + ui::FromSystemText(folder));
        return false;
    }
    const std::string fileName = host.SourceFileName();
    const std::string folderWithSeparator = WithTrailingBackslash(folder);
    if (fileName != kWholeFolder && !SomeFileMatches(folderWithSeparator, fileName)) {
        ui::ShowMessage(QStringLiteral(u"Нет  файла - ") + ui::FromSystemText(folderWithSeparator + fileName) +
                        QStringLiteral(u"Исходящий файл может быть или именем файла или \"*.*\""));
        return false;
    }
    if (host.Destination().find('\\') != std::string::npos) {
        ui::ShowMessage(QStringLiteral("В Папке назначения должны быть не \"\\\" а \"/\""));
        return false;
    }
    std::error_code error;
    source = {folder, fileName, EightBitPath(std::filesystem::current_path(error))};
    return true;
}

void AskAboutMoving(TCopyHost& host) {
    if (host.Options().DeleteSources)
        return;
    const ui::MsgButton answer = ui::MessageBox(
        host.MessageOwner(), QStringLiteral("Удалить исходные файлы после копирования (перенос файлов)?"),
        QStringLiteral("вопрос"), ui::MsgIcon::Warning, ui::Yes | ui::No, ui::No);
    if (answer != ui::No)
        host.TickDeleteSources(); // for this job and the rest of the run; not saved
}

TSourceSnapshot ListSources(TCopyHost& host, const TTypedSource& typed) {
    TCopyState& state = host.CopyState();
    state.TotalBytes = 0;
    state.FinishedBytes = 0;
    state.SentBytes = 0; // the first tick of a new job must not see the last job's bytes
    state.SourceList.clear();
    state.KnownRemoteFolders.Clear(); // what the last job saw on the server may have changed since
    state.ResumeRefused = false;      // so may the server itself
    const TSourceSnapshot source = SnapshotSource(typed.folder, typed.fileName, typed.currentFolder);
    ListSourceFiles(source, typed.fileName, state.SourceList);
    for (const std::string& item : state.SourceList) {
        if (const auto size = FileSizeOf(item))
            state.TotalBytes += *size;
    }
    ShowJobSize(host);
    return source;
}

void ReturnToIdle(TCopyHost& host) {
    host.SetStopEnabled(false);
    host.RunTimer(false);
    host.CopyState().CopyIdle = true;
    host.SetStartEnabled(true);
}

// Phase B after the connection: the destination, the first tray picture, the timer.
void BeginUploads(TCopyHost& host) {
    TCopyState& state = host.CopyState();
    host.AppendLog(StampedLine(QStringLiteral(u"+Установлена связь с сервером")));
    if (host.Options().KnownFolders)
        MakeKnownRemotePath(host.Ftp(), state.KnownRemoteFolders, host.Destination());
    else
        MakeRemotePath(host.Ftp(), host.Destination());
    LoadTrayPicture(host, "ICON0");
    state.IconStage = 0; // the picture just loaded; a stale stage from the last job would skip a change
    state.IconStep = static_cast<double>(state.TotalBytes) / 6.0;
    if (host.Options().TrayOnStart)
        host.HideToTray();
    host.SetStartEnabled(false);
    host.SetStopEnabled(true);
    state.StartTime = NowInDays();
    host.RunTimer(true);
}

// A stopped job ends like a failed one, without its message and without the end steps.
void EndStopped(TCopyHost& host) {
    host.AppendLog(StampedLine(QStringLiteral(u"Копирование остановлено")));
    // The abort leaves replies unread on the line: the next job starts on a fresh one.
    host.Ftp().LeaveServerQuietly();
    ReturnToIdle(host);
}

void EndFailed(TCopyHost& host, const std::string& item) {
    ui::ShowMessage(QStringLiteral(u"Ошибка копирования ") + ui::FromSystemText(item));
    host.AppendLog(StampedLine(QStringLiteral(u"ошибка копирования ") + ui::FromSystemText(item)));
    ReturnToIdle(host);
}

// Phase C for one file; false when its upload failed or the job was stopped, and the job has ended.
bool CopyOne(TCopyHost& host, const std::string& item, const TSourceSnapshot& source) {
    if (host.CopyState().StopRequested) {
        EndStopped(host);
        return false;
    }
    if (const auto size = FileSizeOf(item))
        host.CopyState().CurrentFileBytes = *size;
    const std::string remote = RemotePathOf(item, source, host.Destination());

    ui::ProcessMessages();
    host.AppendLog(StampedLine(QStringLiteral(u"Начал копироваться файл : ") + ui::FromSystemText(item)));
    ui::ProcessMessages();
    if (host.CopyState().StopRequested) { // before a lost line is connected again for nothing
        EndStopped(host);
        return false;
    }

    if (!host.Ftp().IsOpen())
        ConnectToServer(host);
    const bool moving = host.Options().DeleteSources;
    const TFileResult result = UploadAndVerify(host, item, remote, moving);
    const bool stored = result.Outcome == TFileOutcome::Stored;
    if (stored)
        host.AppendLog(StampedLine(QStringLiteral(u"Скопирован файл ") + ui::FromSystemText(item)));
    if (host.CopyState().StopRequested) {
        EndStopped(host); // the current source stays, stored or not
        return false;
    }
    if (!stored) {
        EndFailed(host, item);
        return false;
    }
    // A move deletes the source only when the server got every byte of it as it is now.
    if (moving && result.Confirmed)
        ForceDeleteFile(item);
    return true;
}

// Phase D: leave the server, back to Idle, then the sound and the options.
void FinishJob(TCopyHost& host) {
    host.SetStopEnabled(false); // nothing is left to stop
    // Every file is stored by now: a goodbye that fails changes nothing of that and must not keep the end
    // steps from running.
    host.Ftp().LeaveServerQuietly();
    ReturnToIdle(host);
    if (HasSoundOutput())
        PlayWaveResource(kDoneSound);
    QApplication::beep();
    if (host.Options().NotifyDone)
        ui::ShowMessage(QStringLiteral("Копирование завершено"));
    if (host.Options().PowerOff)
        RunProgram(PowerOffToolPath(), "", "");
    if (host.Options().ExitAfterCopy)
        ui::HaltProgram();
}

// Phase C over several connections at once, and the job's end as the first failure or a stop makes it.
void CopyInParallel(TCopyHost& host, const TSourceSnapshot& source, std::size_t connections) {
    // The new connections carry the files; this one would only take up a place of the server's limit meanwhile.
    host.Ftp().LeaveServerQuietly();
    const TParallelEnd end = UploadInParallel(host, source, connections);
    if (end.End == TParallelEnd::Done)
        FinishJob(host);
    else if (end.End == TParallelEnd::Stopped)
        EndStopped(host);
    else if (end.Error)
        std::rethrow_exception(end.Error); // the error box shows it, as it shows the single connection's
    else
        EndFailed(host, end.FailedItem);
}

void RunJob(TCopyHost& host, const TTypedSource& typed) {
    AskAboutMoving(host);
    host.CollectFtpSettings();
    const TSourceSnapshot source = ListSources(host, typed);
    // The window asks about a certificate; the texts of a refusal are its own boxes.
    host.CopyState().Trust =
        ftps::TCertificateTrust(ftps::TTrustMode::Ask, ftps::ReadRememberedCertificates(), host.MessageOwner());

    if (!ConnectToServer(host)) {
        if (!host.CopyState().Trust.Refused()) // the certificate's own box said why
            ui::ShowMessage(QStringLiteral("Нет связи"));
        ReturnToIdle(host);
        return;
    }
    BeginUploads(host);
    const std::size_t connections = static_cast<std::size_t>(std::max(host.Options().ParallelUploads, 1));
    if (connections > 1 && host.CopyState().SourceList.size() > 1) {
        CopyInParallel(host, source, connections);
        return;
    }
    // By index: the list belongs to the host, and the loop turns the message loop in between.
    const std::vector<std::string>& list = host.CopyState().SourceList;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string item = list[i];
        if (!CopyOne(host, item, source))
            return;
    }
    FinishJob(host);
}

} // namespace

void Stop(TCopyHost& host) {
    TCopyState& state = host.CopyState();
    if (state.CopyIdle || state.StopRequested)
        return;
    state.StopRequested = true;
    // This runs inside a wait or a work event of the client; the job ends at its next step. Parallel uploads
    // see the request on their own threads.
    AbortConnection(host.Ftp());
}

void Start(TCopyHost& host) {
    // One FTP operation at a time: the client serves either the connection check or a job. A job
    // being prepared (the question, the connection) still has the button enabled.
    if (host.IsCheckRunning()) {
        ui::ShowMessage(QStringLiteral("Идет проверка связи"));
        return;
    }
    if (!host.CopyState().CopyIdle) {
        ui::ShowMessage(QStringLiteral("Копирование уже идет"));
        return;
    }
    TTypedSource source;
    if (!InputIsValid(host, source))
        return;
    host.CopyState().CopyIdle = false;
    host.CopyState().StopRequested = false;
    try {
        RunJob(host, source);
    } catch (...) {
        // An error the job does not handle still reaches the error box, but the window is usable again.
        ReturnToIdle(host);
        throw;
    }
}

} // namespace copyjob
