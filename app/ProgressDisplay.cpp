#include "app/ProgressDisplay.h"

#include "app/CopyHost.h"
#include "copy/ProgressMath.h"
#include "ui/SystemText.h"
#include "ui/TProgressBar.h"
#include "ui/ValueLabel.h"
#include "util/TimeTexts.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <algorithm>
#include <stdexcept>

namespace copyjob {

void ShowJobSize(TCopyHost& host) {
    const TCopyState& state = host.CopyState();
    const TProgressControls shown = host.Progress();
    ui::ShowValue(shown.TotalSize, ui::FromSystemText(TotalSizeText(state.TotalBytes)));
    shown.JobBar.SetMax(KilobyteScale(state.TotalBytes));
    shown.JobBar.SetPosition(0);
}

void LeaveOutOfJob(TCopyHost& host, std::int64_t bytes) {
    TCopyState& state = host.CopyState();
    state.TotalBytes = std::max<std::int64_t>(state.TotalBytes - bytes, 0);
    state.IconStep = static_cast<double>(state.TotalBytes) / 6.0;
    const TProgressControls shown = host.Progress();
    ui::ShowValue(shown.TotalSize, ui::FromSystemText(TotalSizeText(state.TotalBytes)));
    shown.JobBar.SetMax(KilobyteScale(state.TotalBytes));
}

void ShowProgress(TCopyHost& host, const std::vector<std::optional<TLaneFile>>& sending, std::int64_t finished) {
    std::int64_t inFlight = 0;
    for (const std::optional<TLaneFile>& file : sending)
        inFlight += file ? file->Sent : 0;
    TCopyState& state = host.CopyState();
    state.FinishedBytes = finished;
    state.SentBytes = finished + inFlight;
    const TProgressControls shown = host.Progress();
    shown.JobBar.SetPosition(JobBarPosition(finished, inFlight));
    const std::optional<TLaneFile> followed = FileBarFile(sending);
    shown.FileBar.SetMax(followed ? KilobyteScale(followed->Bytes) : 0);
    shown.FileBar.SetPosition(followed ? FileBarPosition(followed->Sent) : 0);
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
}

void LoadTrayPicture(TCopyHost& host, const std::string& name) {
    const QPixmap picture(QStringLiteral(":/MYFOLDER/") + QString::fromLatin1(name.c_str()));
    if (picture.isNull())
        throw std::runtime_error("Resource " + name + " not found");
    host.ShowTrayPicture(QIcon(picture));
}

} // namespace copyjob
