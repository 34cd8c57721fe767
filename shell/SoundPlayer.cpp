// The module ferrylo_sound: the chime through the media framework (see shell/SoundModule.h).
#include "shell/SoundModule.h"

#include <QAudioDevice>
#include <QDeadlineTimer>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>
#include <type_traits>

namespace {

QUrl SourceUrl(const QString& source) {
    if (source.startsWith(QStringLiteral(":/")))
        return QUrl(QStringLiteral("qrc") + source);
    return QUrl::fromLocalFile(source);
}

// Pumps until `done` holds or the deadline passes; a short sleep keeps the wait from spinning.
template <typename Done> bool PumpUntil(Done done, void (*pump)(), const QDeadlineTimer& deadline) {
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        pump();
        QThread::msleep(5);
    }
    return true;
}

} // namespace

extern "C" Q_DECL_EXPORT bool FerryloHasSoundOutput() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

extern "C" Q_DECL_EXPORT bool FerryloPlayWave(const QString& source, int boundMs, void (*pump)()) {
    if (!FerryloHasSoundOutput())
        return false;
    const QDeadlineTimer deadline(boundMs);
    QSoundEffect effect;
    effect.setSource(SourceUrl(source));
    const bool loaded =
        PumpUntil([&] { return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error; },
                  pump, deadline);
    if (!loaded || effect.status() != QSoundEffect::Ready)
        return false;
    // isPlaying() turns true asynchronously and a short sound may be over before a check sees it:
    // remember the start from the signal.
    bool started = false;
    QObject::connect(&effect, &QSoundEffect::playingChanged, [&] { started = started || effect.isPlaying(); });
    effect.play();
    if (!PumpUntil([&] { return started; }, pump, deadline))
        return false;
    PumpUntil([&] { return !effect.isPlaying(); }, pump, deadline);
    return true;
}

// Both entry points keep the type the program expects of them.
static_assert(std::is_same_v<decltype(&FerryloHasSoundOutput), sound_module::THasOutput>);
static_assert(std::is_same_v<decltype(&FerryloPlayWave), sound_module::TPlayWave>);
