#pragma once
// The chime's player is a module of its own (ferrylo_sound), loaded from modules/ beside the program when a sound is
// first asked for: the media framework and the sound system's libraries then cost memory only from that moment,
// not for the whole run. These are the names the program resolves in it.

#include <QString>

namespace sound_module {

// True when the system reports at least one audio output device.
using THasOutput = bool (*)();
// Plays the wave at `source` (a resource path or a file), calling `pump` while it waits, for at most `boundMs`.
using TPlayWave = bool (*)(const QString& source, int boundMs, void (*pump)());

inline constexpr char kHasOutput[] = "FerryloHasSoundOutput";
inline constexpr char kPlayWave[] = "FerryloPlayWave";

} // namespace sound_module
