// The copy job behind "Старт копирования": check the input, connect, upload every source file
// under its remote path, and end as the copy options say.
#include "app/CopyJob.h"

#include "app/CopyHost.h"
#include "app/ProgressDisplay.h"
#include "app/UploadView.h"
#include "copy/LogLine.h"
#include "copy/ProgressMath.h"
#include "copy/SourceFiles.h"
#include "copy/UploadEngine.h"
#include "ftps/CertificateTrust.h"
#include "ftps/FtpsTrust.h"
#include "ftps/HostKeyTrust.h"
#include "settings/Settings.h"
#include "shell/RunProgram.h"
#include "shell/SiblingFiles.h"
#include "shell/Sound.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"
#include "util/FreeMemory.h"
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

// The files of the job as they are now, and their size shown.
void ListSources(TCopyHost& host, const TTypedSource& typed, TUploadJob& job) {
    TCopyState& state = host.CopyState();
    state.TotalBytes = 0;
    state.FinishedBytes = 0;
    state.SentBytes = 0; // the first tick of a new job must not see the last job's bytes
    state.SourceList.clear();
    job.Source = SnapshotSource(typed.folder, typed.fileName, typed.currentFolder);
    ListSourceFiles(job.Source, typed.fileName, state.SourceList);
    for (const std::string& item : state.SourceList) {
        if (const auto size = FileSizeOf(item))
            state.TotalBytes += *size;
    }
    job.Files = state.SourceList;
    ShowJobSize(host);
}

// The job as one value: what the window shows when it starts.
TUploadJob TakeJob(TCopyHost& host, const TTypedSource& typed) {
    TUploadJob job;
    ListSources(host, typed, job);
    job.Destination = host.Destination();
    job.Login = host.ServerLogin();
    job.Client = ClientSettingsOf(host.Ftp());
    job.Sftp = host.UsesSftp();
    job.Options = host.Options();
    job.Connections = static_cast<std::size_t>(std::max(job.Options.ParallelUploads, 1));
    job.RetryWaitsMs = host.CopyState().RetryWaitsMs;
    return job;
}

void ReturnToIdle(TCopyHost& host) {
    host.SetStopEnabled(false);
    host.RunTimer(false);
    host.CopyState().CopyIdle = true;
    host.SetStartEnabled(true);
    // The job's connections and their threads are gone: what they held goes back to the system before the end's
    // sound and boxes take their own, and while the window waits for the next job.
    ReturnFreeMemory();
}

// The first connection made the destination: the first tray picture, the tray, the timer.
void BeginUploads(TCopyHost& host) {
    TCopyState& state = host.CopyState();
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
    ReturnToIdle(host);
}

void EndFailed(TCopyHost& host, const std::string& item) {
    ui::ShowMessage(QStringLiteral(u"Ошибка копирования ") + ui::FromSystemText(item));
    host.AppendLog(StampedLine(QStringLiteral(u"ошибка копирования ") + ui::FromSystemText(item)));
    ReturnToIdle(host);
}

// Back to Idle, then the sound and the options.
void FinishJob(TCopyHost& host) {
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

// While it lives, "Остановить копирование" reaches the engine.
class TRunningEngine {
public:
    TRunningEngine(TCopyState& state, TUploadEngine& engine) : state_(state) { state_.Running = &engine; }
    ~TRunningEngine() { state_.Running = nullptr; }
    TRunningEngine(const TRunningEngine&) = delete;
    TRunningEngine& operator=(const TRunningEngine&) = delete;

private:
    TCopyState& state_;
};

void RunJob(TCopyHost& host, const TTypedSource& typed) {
    AskAboutMoving(host);
    host.CollectFtpSettings();
    TJobEnd end;
    {
        // The first connection asks about an unknown certificate or host key, as the window; the certificates
        // remembered are read once a job.
        TUploadEngine engine(
            TakeJob(host, typed),
            ftps::TCertificateTrust(ftps::TTrustMode::Ask, ftps::ReadRememberedCertificates(), host.MessageOwner()),
            ftps::THostKeyTrust(ftps::TTrustMode::Ask, host.MessageOwner()));
        const TRunningEngine running(host.CopyState(), engine);
        end = ShowUploads(host, engine, &BeginUploads);
    } // the job's lists and its connections' leftovers go before the end steps (the chime's player loads then)
    if (host.Options().SkipExisting && (end.End == TJobEnd::Done || end.End == TJobEnd::Stopped))
        host.AppendLog(StampedLine(QStringLiteral(u"Отправлено файлов : ") + QString::number(end.Sent) +
                                   QStringLiteral(u", пропущено (уже на сервере) : ") + QString::number(end.Skipped)));
    switch (end.End) {
    case TJobEnd::Done:
        FinishJob(host);
        break;
    case TJobEnd::NotConnected:
        if (!end.Refused) // the certificate's own box said why
            ui::ShowMessage(QStringLiteral("Нет связи"));
        ReturnToIdle(host);
        break;
    case TJobEnd::Stopped:
        EndStopped(host);
        break;
    case TJobEnd::Failed:
        if (end.Error)
            std::rethrow_exception(end.Error); // the error box shows it
        EndFailed(host, end.FailedItem);
        break;
    }
}

} // namespace

void Stop(TCopyHost& host) {
    // The connections see it on their own threads and cut what they wait for; the job ends once they left.
    if (TUploadEngine* engine = host.CopyState().Running)
        engine->Board().RequestStop();
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
    try {
        RunJob(host, source);
    } catch (...) {
        // An error the job does not handle still reaches the error box, but the window is usable again.
        ReturnToIdle(host);
        throw;
    }
}

} // namespace copyjob
