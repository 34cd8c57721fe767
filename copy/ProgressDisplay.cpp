// The progress display of a copy job: the bars follow the work events of each upload, and the
// timer turns the byte counters into speed, elapsed and remaining time and the tray picture.
#include "app/TForm1.h"
#include "ui/TProgressBar.h"
#include "ui/UiLayer.h"
#include "copy/ProgressMath.h"
#include "copy/UploadTally.h"
#include "ftp/TIdComponent.h"
#include "shell/TJvTrayIcon.h"
#include "util/TimeTexts.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <stdexcept>

void TForm1::IdFTP1WorkBegin(TIdComponent*, TWorkMode mode, std::int64_t workCountMax) {
    if (mode != wmWrite)
        return;
    ProgressBar1->SetMax(KilobyteScale(workCountMax));
    ProgressBar1->SetPosition(0);
    CurrentUploadTally().Begin(workCountMax);
}

void TForm1::IdFTP1Work(TIdComponent*, TWorkMode mode, std::int64_t workCount) {
    if (mode == wmWrite) {
        ProgressBar1->SetPosition(FileBarPosition(workCount));
        SentBytes = FinishedBytes + workCount;
        ProgressBar2->SetPosition(JobBarPosition(FinishedBytes, workCount));
        CurrentUploadTally().Work(workCount);
    }
    // The window stays live during an upload: the loop turns after every send.
    ui::ProcessMessages();
}

void TForm1::IdFTP1WorkEnd(TIdComponent*, TWorkMode mode) {
    ProgressBar1->SetPosition(0);
    FinishedBytes += CurrentFileBytes;
    if (mode == wmWrite)
        CurrentUploadTally().End();
    ui::ProcessMessages();
}

void TForm1::Timer1Timer() {
    const std::int64_t elapsed = WholeSecondsBetween(StartTime, NowInDays());
    Label9->setText(QString::fromLocal8Bit(ElapsedClockText(elapsed)));

    const std::int64_t speed = AverageSpeedKB(SentBytes, elapsed > 0 ? elapsed : 1);
    Label7->setText(QString::number(speed) + QStringLiteral(" kB/Sec"));
    Label11->setText(QString::fromLocal8Bit(SecondsToClock(RemainingSeconds(TotalBytes, SentBytes, speed))));

    const int stage = TrayStage(SentBytes, IconStep);
    if (stage != IconStage && stage >= 0 && stage <= 6)
        LoadTrayPicture("ICON" + std::to_string(stage));
    IconStage = stage;

    ui::ProcessMessages();
}

void TForm1::LoadTrayPicture(const std::string& name) {
    const QPixmap picture(QStringLiteral(":/MYFOLDER/") + QString::fromLatin1(name.c_str()));
    if (picture.isNull())
        throw std::runtime_error("Resource " + name + " not found");
    JvTrayIcon1->SetIcon(QIcon(picture));
}
