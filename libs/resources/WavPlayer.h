#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QString>

#include <optional>

namespace veltrano::resources {

struct PcmWave {
    QAudioFormat Format;
    QByteArray Samples;
};

// Reads a RIFF/WAVE file of uncompressed samples (8-bit unsigned, 16- or 32-bit signed, or
// 32-bit float); anything else, or a file cut short, gives nothing.
std::optional<PcmWave> ParsePcmWave(const QByteArray& file);

// Plays the wave on the default audio output without waiting for it; a sound asked for
// again while it plays starts over. Without an audio output nothing happens. Must be
// called on the application's thread.
void PlayWave(const QString& name, const PcmWave& wave);

} // namespace veltrano::resources
