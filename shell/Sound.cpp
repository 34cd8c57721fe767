#include "shell/Sound.h"

#include "shell/SoundModule.h"
#include "ui/UiLayer.h"

#include <QCoreApplication>
#include <QLibrary>

namespace {

struct TSoundModule {
    sound_module::THasOutput HasOutput = nullptr;
    sound_module::TPlayWave PlayWave = nullptr;
};

// Loaded from modules/ beside the program once, on first use, and kept: the media framework starts threads of its own.
// Without the module (a build or a package that lacks it) the program has no sound, as on a machine without a
// device.
const TSoundModule& Module() {
    static const TSoundModule module = [] {
        QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/modules/libferrylo_sound.so"));
        TSoundModule found;
        if (!library.load())
            return found;
        found.HasOutput = reinterpret_cast<sound_module::THasOutput>(library.resolve(sound_module::kHasOutput));
        found.PlayWave = reinterpret_cast<sound_module::TPlayWave>(library.resolve(sound_module::kPlayWave));
        if (!found.HasOutput || !found.PlayWave)
            return TSoundModule{};
        return found;
    }();
    return module;
}

} // namespace

bool SoundModuleFound() {
    return Module().HasOutput != nullptr;
}

bool HasSoundOutput() {
    return SoundModuleFound() && Module().HasOutput();
}

bool PlayWaveResource(const QString& source, int boundMs) {
    return SoundModuleFound() && Module().PlayWave(source, boundMs, &ui::ProcessMessages);
}
