// The sound-device test and the chime on Windows: the system's wave player, no media framework.
#include "shell/Sound.h"

#include "ui/UiLayer.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <cstring>

bool HasSoundOutput() {
    return waveOutGetNumDevs() > 0;
}

namespace {

std::uint32_t Little32(const char* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value); // RIFF is little-endian, as is every Windows machine
    return value;
}

// How long a RIFF wave plays: its "data" chunk over the byte rate of its "fmt " chunk; 0 when unreadable.
int WaveMilliseconds(const QByteArray& wave) {
    if (wave.size() < 12 || !wave.startsWith("RIFF") || wave.mid(8, 4) != "WAVE")
        return 0;
    std::uint32_t byteRate = 0;
    for (qsizetype at = 12; at + 8 <= wave.size();) {
        const QByteArray id = wave.mid(at, 4);
        const std::uint32_t size = Little32(wave.constData() + at + 4);
        if (id == "fmt " && size >= 12 && at + 20 <= wave.size())
            byteRate = Little32(wave.constData() + at + 16);
        if (id == "data")
            return byteRate == 0 ? 0 : static_cast<int>(std::uint64_t(size) * 1000 / byteRate);
        at += 8 + qsizetype(size) + (size & 1);
    }
    return 0;
}

} // namespace

// The chime ":/MYWAVE1.wav" is also the program's own Windows resource "MYWAVE1" (resources/ferrylo.rc).
bool PlayWaveResource(const QString& source, int boundMs) {
    if (!HasSoundOutput())
        return false;
    const bool chime = source == QStringLiteral(":/MYWAVE1.wav");
    QByteArray wave; // lives until the sound is stopped below
    if (chime) {
        HRSRC found = FindResourceA(nullptr, "MYWAVE1", "WAVE");
        HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
        if (loaded == nullptr)
            return false;
        wave = QByteArray::fromRawData(static_cast<const char*>(LockResource(loaded)),
                                       static_cast<qsizetype>(SizeofResource(nullptr, found)));
    } else {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        wave = file.readAll();
    }
    // Played without waiting, so the window is pumped meanwhile; the wave's own length says when it is over,
    // and `boundMs` caps that for a wave that claims to last for ever.
    const BOOL started =
        chime ? PlaySoundA("MYWAVE1", GetModuleHandleA(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT)
              : PlaySoundA(wave.constData(), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
    if (!started)
        return false;
    const QDeadlineTimer deadline(qMin(WaveMilliseconds(wave), boundMs));
    while (!deadline.hasExpired()) {
        ui::ProcessMessages();
        QThread::msleep(5);
    }
    PlaySoundA(nullptr, nullptr, 0);
    return true;
}
