#pragma once
// The sound-device test and the end-of-copy chime.

#include <QString>

// True when the system reports at least one audio output device.
bool HasSoundOutput();

// Plays a wave file (a resource such as ":/MYWAVE1.wav", or a file path) and returns when it has
// played, pumping the message loop meanwhile. Gives up after `boundMs`: a device that never
// reports the end (headless, a stuck driver) must not hold the program. False when nothing played.
bool PlayWaveResource(const QString& source, int boundMs = 4000);

#ifndef _WIN32
// True when the sound module was found in modules/ beside the program and loaded (it is loaded on the first call of any
// of these).
bool SoundModuleFound();
#endif
