#include "../support/TestEnvironment.h"
#include "WavPlayer.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

using veltrano::resources::ParsePcmWave;

namespace {

QByteArray Le16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray Le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray Chunk(const QByteArray& id, const QByteArray& body, quint32 declared = 0) {
    QByteArray chunk = id + Le32(declared ? declared : quint32(body.size())) + body;
    if (body.size() % 2)
        chunk += '\0';
    return chunk;
}

QByteArray FormatChunk(quint16 tag, quint16 channels, quint32 rate, quint16 bits) {
    const quint16 block = quint16(channels * bits / 8);
    return Chunk("fmt ", Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * block) +
                             Le16(block) + Le16(bits));
}

QByteArray Wave(const QByteArray& chunks) {
    return "RIFF" + Le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

} // namespace

class TestWave : public QObject {
    Q_OBJECT
private slots:
    void shippedPromptsAreReadable() {
        for (const char* name : {"RightSound", "WrongSound"}) {
            QFile file(TestEnvironment::RequiredFolder("VELTRANO_SOURCE_DIR") + "/assets/sounds/" +
                       name + ".wav");
            QVERIFY2(file.open(QIODevice::ReadOnly), name);
            const auto wave = ParsePcmWave(file.readAll());
            QVERIFY2(wave, name);
            QVERIFY(wave->Format.isValid());
            // Well over a second of speech.
            QVERIFY(wave->Format.durationForBytes(wave->Samples.size()) > 1000000);
        }
    }

    void chunksAreWalkedPastOddLengthsToTheSamples() {
        const QByteArray samples(400, '\x11');
        const auto wave = ParsePcmWave(
            Wave(FormatChunk(1, 2, 22050, 16) + Chunk("LIST", "odd") + Chunk("data", samples)));
        QVERIFY(wave);
        QCOMPARE(wave->Format.sampleFormat(), QAudioFormat::Int16);
        QCOMPARE(wave->Format.channelCount(), 2);
        QCOMPARE(wave->Format.sampleRate(), 22050);
        QCOMPARE(wave->Samples, samples);
    }

    void anythingButPlainSamplesIsRefused() {
        const QByteArray data = Chunk("data", QByteArray(64, '\0'));
        QVERIFY(!ParsePcmWave({}));
        QVERIFY(
            !ParsePcmWave(QByteArray("RIFF\0\0\0\0AVI ", 12) + FormatChunk(1, 1, 8000, 16) + data));
        QVERIFY(!ParsePcmWave(Wave(FormatChunk(2, 1, 8000, 4) + data))); // ADPCM
        QVERIFY(!ParsePcmWave(Wave(FormatChunk(1, 1, 8000, 12) + data)));
        QVERIFY(!ParsePcmWave(Wave(FormatChunk(1, 0, 8000, 16) + data)));
        QVERIFY(!ParsePcmWave(Wave(FormatChunk(1, 1, 8000, 16))));
        QVERIFY(!ParsePcmWave(Wave(data)));
        // A file cut short, and samples that end inside a frame.
        QVERIFY(!ParsePcmWave(
            Wave(FormatChunk(1, 1, 8000, 16) + Chunk("data", QByteArray(64, '\0'), 4096))));
        QVERIFY(
            !ParsePcmWave(Wave(FormatChunk(1, 2, 8000, 16) + Chunk("data", QByteArray(6, '\0')))));
    }
};

QTEST_GUILESS_MAIN(TestWave)
#include "tst_wave.moc"
