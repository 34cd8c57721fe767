#include "shell/Sound.h"

#include "ui/UiLayer.h"

#include <QAudioDevice>
#include <QDeadlineTimer>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

bool HasSoundOutput() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

namespace {

QUrl SourceUrl(const QString& source) {
    if (source.startsWith(QStringLiteral(":/")))
        return QUrl(QStringLiteral("qrc") + source);
    return QUrl::fromLocalFile(source);
}

// Pumps until `done` holds or the deadline passes; a short sleep keeps the wait from spinning.
template <typename Done> bool PumpUntil(Done done, const QDeadlineTimer& deadline) {
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        ui::ProcessMessages();
        QThread::msleep(5);
    }
    return true;
}

} // namespace

bool PlayWaveResource(const QString& source, int boundMs) {
    if (!HasSoundOutput())
        return false;
    const QDeadlineTimer deadline(boundMs);
    QSoundEffect effect;
    effect.setSource(SourceUrl(source));
    const bool loaded = PumpUntil(
        [&] { return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error; }, deadline);
    if (!loaded || effect.status() != QSoundEffect::Ready)
        return false;
    // isPlaying() turns true asynchronously and a short sound may be over before a check sees it:
    // remember the start from the signal.
    bool started = false;
    QObject::connect(&effect, &QSoundEffect::playingChanged, [&] { started = started || effect.isPlaying(); });
    effect.play();
    if (!PumpUntil([&] { return started; }, deadline))
        return false;
    PumpUntil([&] { return !effect.isPlaying(); }, deadline);
    return true;
}
