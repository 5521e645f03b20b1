#pragma once

#include <QByteArray>
#include <QString>

// The answer sounds' back-end. Qt Multimedia and the audio server's client library take
// longer to load and relocate than the rest of MainImage, and only the two answer sounds
// need them, so they live in a module of their own (MainImageSound.so, beside MainImage.so)
// that MainImage loads when the first sound is to be played.

// Plays the wave file `file` under `name` without waiting for it: a sound asked for again
// while it plays starts over; a file that is no plain wave, a missing audio output or a
// missing application object play nothing. May be called from any thread.
using VeltranoPlaySoundFunction = void (*)(const QString& name, const QByteArray& file);

// The module's file name and its one entry point.
inline constexpr const char* kSoundModuleFile = "MainImageSound.so";
inline constexpr const char* kSoundModuleEntry = "VeltranoPlaySound";
