#include "copy/ProgressDisplay.h"

#include "copy/CopyHost.h"
#include "copy/ProgressMath.h"
#include "copy/UploadTally.h"
#include "ui/SystemText.h"
#include "ui/TProgressBar.h"
#include "ui/UiLayer.h"
#include "ui/ValueLabel.h"
#include "util/TimeTexts.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <chrono>
#include <stdexcept>

namespace copyjob {
namespace {

// The loop turns inside the work events once a frame (about 60 a second): often enough that the window
// repaints and a close request is served at once, rarely enough that a fast upload does not spend its time
// on thousands of turns with nothing to do.
constexpr std::chrono::milliseconds kFrame{16};

bool FrameDue() {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point lastTurn;
    const Clock::time_point now = Clock::now();
    if (now - lastTurn < kFrame)
        return false;
    lastTurn = now;
    return true;
}

} // namespace

void WorkBegin(TCopyHost& host, TWorkMode mode, std::int64_t workCountMax) {
    if (mode != wmWrite)
        return;
    TProgressBar& fileBar = host.Progress().FileBar;
    // A resumed upload announces only the rest; the bar shows the whole file.
    fileBar.SetMax(KilobyteScale(host.CopyState().ResumedBytes + workCountMax));
    fileBar.SetPosition(0);
    host.CopyState().Tally.Begin(workCountMax);
}

void Work(TCopyHost& host, TWorkMode mode, std::int64_t workCount) {
    if (mode == wmWrite) {
        TCopyState& state = host.CopyState();
        const TProgressControls shown = host.Progress();
        const std::int64_t fileSent = state.ResumedBytes + workCount; // the resumed part counts as sent
        shown.FileBar.SetPosition(FileBarPosition(fileSent));
        state.SentBytes = state.FinishedBytes + fileSent;
        shown.JobBar.SetPosition(JobBarPosition(state.FinishedBytes, fileSent));
        host.CopyState().Tally.Work(workCount);
    }
    // The window stays live during an upload: the loop turns after a send once a frame has passed.
    if (FrameDue())
        ui::ProcessMessages();
}

void WorkEnd(TCopyHost& host, TWorkMode mode) {
    TCopyState& state = host.CopyState();
    host.Progress().FileBar.SetPosition(0);
    state.FinishedBytes += state.CurrentFileBytes;
    if (mode == wmWrite)
        host.CopyState().Tally.End();
    ui::ProcessMessages();
}

void ShowJobSize(TCopyHost& host) {
    const TCopyState& state = host.CopyState();
    const TProgressControls shown = host.Progress();
    ui::ShowValue(shown.TotalSize, ui::FromSystemText(TotalSizeText(state.TotalBytes)));
    shown.JobBar.SetMax(KilobyteScale(state.TotalBytes));
    shown.JobBar.SetPosition(0);
}

void Tick(TCopyHost& host) {
    TCopyState& state = host.CopyState();
    const TProgressControls shown = host.Progress();
    const std::int64_t elapsed = WholeSecondsBetween(state.StartTime, NowInDays());
    ui::ShowValue(shown.Elapsed, ui::FromSystemText(ElapsedClockText(elapsed)));

    const std::int64_t speed = AverageSpeedKB(state.SentBytes, elapsed > 0 ? elapsed : 1);
    ui::ShowValue(shown.Speed, QString::number(speed) + QStringLiteral(" kB/Sec"));
    ui::ShowValue(shown.Remaining,
                  ui::FromSystemText(SecondsToClock(RemainingSeconds(state.TotalBytes, state.SentBytes, speed))));

    const int stage = TrayStage(state.SentBytes, state.IconStep);
    if (stage != state.IconStage && stage >= 0 && stage <= 6)
        LoadTrayPicture(host, "ICON" + std::to_string(stage));
    state.IconStage = stage;

    ui::ProcessMessages();
}

void LoadTrayPicture(TCopyHost& host, const std::string& name) {
    const QPixmap picture(QStringLiteral(":/MYFOLDER/") + QString::fromLatin1(name.c_str()));
    if (picture.isNull())
        throw std::runtime_error("Resource " + name + " not found");
    host.ShowTrayPicture(QIcon(picture));
}

} // namespace copyjob
