#include "keyring/SystemKeyring.h"

#include <QEventLoop>
#include <QTimer>
#include <optional>
#include <qt6keychain/keychain.h>

namespace {

struct TJobEnd {
    QKeychain::Error Error = QKeychain::NoError;
    QString Text; // what a read found
};

// Starts `job` and turns a local event loop until it ends or `bound` runs out (nothing then). User input waits
// meanwhile, so no click reaches the window in the middle of a save. The job deletes itself when it ends, also after
// we stopped waiting for it.
std::optional<TJobEnd> RunJob(QKeychain::Job* job, std::chrono::milliseconds bound) {
    QEventLoop loop;
    std::optional<TJobEnd> end;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&end, &loop](QKeychain::Job* done) {
        end = TJobEnd{done->error(), {}};
        if (const auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            end->Text = read->textData();
        loop.quit();
    });
    QTimer::singleShot(bound, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    if (!end)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return end;
}

} // namespace

TKeyringRead TSystemKeyring::Read(const TKeyringEntry& entry) {
    auto* job = new QKeychain::ReadPasswordJob(Service());
    job->setKey(Account(entry));
    const auto end = RunJob(job, answerBound_);
    if (!end)
        return {TKeyringAnswer::Unreachable, {}};
    switch (end->Error) {
    case QKeychain::NoError:
        return {TKeyringAnswer::Found, end->Text};
    case QKeychain::EntryNotFound:
        return {TKeyringAnswer::Missing, {}};
    default:
        return {TKeyringAnswer::Unreachable, {}};
    }
}

bool TSystemKeyring::Write(const TKeyringEntry& entry, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(Service());
    job->setKey(Account(entry));
    job->setTextData(password);
    const auto end = RunJob(job, answerBound_);
    return end && end->Error == QKeychain::NoError;
}

bool TSystemKeyring::Erase(const TKeyringEntry& entry) {
    auto* job = new QKeychain::DeletePasswordJob(Service());
    job->setKey(Account(entry));
    const auto end = RunJob(job, answerBound_);
    return end && (end->Error == QKeychain::NoError || end->Error == QKeychain::EntryNotFound);
}
