#include "app/UploadView.h"

#include "app/CopyHost.h"
#include "app/ProgressDisplay.h"
#include "copy/LogLine.h"
#include "copy/UploadEngine.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"
#include "util/ForceDeleteFile.h"

#include <set>
#include <vector>

namespace copyjob {
namespace {

// How long the window's thread waits for news of the connections before it turns its event loop: a frame.
constexpr int kFrameMs = 16;

class TReportReader {
public:
    TReportReader(TCopyHost& host, TUploadEngine& engine, void (*beginUploads)(TCopyHost&))
        : host_(host), engine_(engine), beginUploads_(beginUploads) {}

    TJobEnd Run() {
        TLaneBoard& board = engine_.Board();
        engine_.Start();
        for (std::size_t ended = 0; ended < engine_.Started();) {
            board.SetMoving(host_.Options().DeleteSources); // a change made during a job applies from then on
            const TLaneBoard::TPicture picture = board.Look(kFrameMs);
            for (const TLaneMessage& message : picture.Messages)
                ended += Read(message) ? 1 : 0;
            ShowProgress(host_, picture.Sending, finished_);
            ui::ProcessMessages();
        }
        engine_.Join();
        if (board.StopRequested())
            end_ = {TJobEnd::Stopped, false, {}, nullptr};
        end_.Sent = sent_;
        end_.Skipped = skipped_;
        return end_;
    }

private:
    // True when the message is a connection's last.
    bool Read(const TLaneMessage& message) {
        switch (message.Note) {
        case TLaneNote::Connected:
            host_.AppendLog(StampedLine(QStringLiteral(u"+Установлена связь с сервером")));
            break;
        case TLaneNote::Ready:
            beginUploads_(host_);
            engine_.StartOthers();
            break;
        case TLaneNote::NotConnected:
            end_ = {TJobEnd::NotConnected, message.Refused, {}, nullptr};
            break;
        case TLaneNote::Log:
            host_.AppendLog(QString::fromStdU16String(message.Text));
            break;
        case TLaneNote::Message:
            if (told_.insert(message.Text).second) // one box per text, not one per connection
                host_.ShowMessageBox(QString::fromStdU16String(message.Text));
            break;
        case TLaneNote::FileDone:
            Settle(message);
            break;
        case TLaneNote::Failed:
            Fail({}, message.Error);
            break;
        case TLaneNote::LaneEnded:
            return true;
        }
        return false;
    }

    // One file's end as its connection reported it.
    void Settle(const TLaneMessage& done) {
        const std::string& item = engine_.Job().Files[done.Index];
        if (done.Skipped) {
            Skip(item, done.Bytes);
            return;
        }
        if (!done.Stored) {
            Fail(item, done.Error);
            return;
        }
        host_.AppendLog(StampedLine(QStringLiteral(u"Скопирован файл ") + ui::FromSystemText(item)));
        finished_ += done.Bytes;
        ++sent_;
        // A stop keeps the sources still to be settled, as it keeps the one being sent.
        if (host_.Options().DeleteSources && done.Confirmed && !engine_.Board().StopRequested())
            ForceDeleteFile(item);
    }

    // A match of size and time is no proof of the same bytes: a moved source stays where it is.
    void Skip(const std::string& item, std::int64_t bytes) {
        host_.AppendLog(
            StampedLine(QStringLiteral(u"Пропущен файл : ") + ui::FromSystemText(item) +
                        (host_.Options().DeleteSources ? QStringLiteral(u" (уже на сервере, исходный файл оставлен)")
                                                       : QStringLiteral(u" (уже на сервере)"))));
        ++skipped_;
        LeaveOutOfJob(host_, bytes);
    }

    // The first failure of the job is the one shown.
    void Fail(const std::string& item, const std::exception_ptr& error) {
        if (end_.End == TJobEnd::Done && !engine_.Board().StopRequested())
            end_ = {TJobEnd::Failed, false, item, error};
    }

    TCopyHost& host_;
    TUploadEngine& engine_;
    void (*beginUploads_)(TCopyHost&);
    TJobEnd end_;
    std::int64_t finished_ = 0;
    std::size_t sent_ = 0;
    std::size_t skipped_ = 0;
    std::set<std::u16string> told_;
};

} // namespace

TJobEnd ShowUploads(TCopyHost& host, TUploadEngine& engine, void (*beginUploads)(TCopyHost&)) {
    return TReportReader(host, engine, beginUploads).Run();
}

} // namespace copyjob
