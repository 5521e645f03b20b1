#include "WavPlayer.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QMediaDevices>
#include <QPointer>

namespace veltrano::resources {

namespace {

// A little-endian whole number of `width` bytes at `at`; the caller has checked the bounds.
// Read byte by byte, so the compiler never sees a wide read of an empty array's storage.
quint32 ReadLe(const QByteArray& bytes, qsizetype at, int width) {
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

quint32 ReadLe32(const QByteArray& bytes, qsizetype at) {
    return ReadLe(bytes, at, 4);
}

quint16 ReadLe16(const QByteArray& bytes, qsizetype at) {
    return quint16(ReadLe(bytes, at, 2));
}

std::optional<QAudioFormat::SampleFormat> SampleFormatOf(quint16 tag, quint16 bits) {
    constexpr quint16 kPcm = 1;
    constexpr quint16 kFloat = 3;
    if (tag == kPcm && bits == 8)
        return QAudioFormat::UInt8;
    if (tag == kPcm && bits == 16)
        return QAudioFormat::Int16;
    if (tag == kPcm && bits == 32)
        return QAudioFormat::Int32;
    if (tag == kFloat && bits == 32)
        return QAudioFormat::Float;
    return std::nullopt;
}

// One sink per sound, owned by the application object. The sounds are played through an
// audio sink rather than a sound effect: the sound-effect cache can deadlock the end of the
// process when a sound is still being loaded then.
struct SoundPlayer {
    QPointer<QBuffer> Buffer;
    QPointer<QAudioSink> Sink;
};

} // namespace

std::optional<PcmWave> ParsePcmWave(const QByteArray& file) {
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<QAudioFormat::SampleFormat> sampleFormat;
    int channels = 0;
    int rate = 0;
    QByteArray samples;
    for (qsizetype at = 12; at + 8 <= file.size();) {
        const QByteArray id = file.mid(at, 4);
        const qsizetype length = ReadLe32(file, at + 4);
        const qsizetype body = at + 8;
        if (length > file.size() - body)
            return std::nullopt;
        if (id == "fmt " && length >= 16) {
            sampleFormat = SampleFormatOf(ReadLe16(file, body), ReadLe16(file, body + 14));
            channels = ReadLe16(file, body + 2);
            rate = int(ReadLe32(file, body + 4));
        } else if (id == "data") {
            samples = file.mid(body, length);
        }
        at = body + length + (length & 1);
    }
    if (!sampleFormat || channels < 1 || channels > 8 || rate < 1000 || rate > 192000 ||
        samples.isEmpty())
        return std::nullopt;
    PcmWave wave;
    wave.Format.setSampleFormat(*sampleFormat);
    wave.Format.setChannelCount(channels);
    wave.Format.setSampleRate(rate);
    if (samples.size() % wave.Format.bytesPerFrame() != 0)
        return std::nullopt;
    wave.Samples = samples;
    return wave;
}

void PlayWave(const QString& name, const PcmWave& wave) {
    static QHash<QString, SoundPlayer> players;
    QCoreApplication* app = QCoreApplication::instance();
    SoundPlayer& player = players[name];
    if (!player.Sink || !player.Buffer) {
        const QAudioDevice output = QMediaDevices::defaultAudioOutput();
        if (!app || output.isNull() || !output.isFormatSupported(wave.Format))
            return;
        player.Buffer = new QBuffer(app);
        player.Buffer->setData(wave.Samples);
        player.Sink = new QAudioSink(output, wave.Format, app);
    }
    player.Sink->stop();
    player.Buffer->close();
    player.Buffer->open(QIODevice::ReadOnly);
    player.Sink->start(player.Buffer);
}

} // namespace veltrano::resources
