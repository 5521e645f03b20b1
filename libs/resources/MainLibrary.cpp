// The two exported functions of MainImage: the main pictures (JPEG) and the answer sounds.
#include "ResourceLibraryAbi.h"
#include "ResourceStore.h"
#include "WavPlayer.h"

#include <QCoreApplication>
#include <QThread>

#include <cstring>

namespace {

using veltrano::resources::FromGbk;
using veltrano::resources::ParsePcmWave;
using veltrano::resources::PcmWave;
using veltrano::resources::PlayWave;
using veltrano::resources::ReadOwnFile;

} // namespace

extern "C" __attribute__((visibility("default"))) int
LoadJpgRes(const char* name, unsigned char* buffer, int capacity) {
    try {
        const QByteArray bytes = ReadOwnFile(FromGbk(name), QStringLiteral("jpg"));
        if (buffer && capacity >= bytes.size())
            std::memcpy(buffer, bytes.constData(), size_t(bytes.size()));
        return int(bytes.size());
    } catch (...) {
        return 0;
    }
}

extern "C" __attribute__((visibility("default"))) void LoadWaveRes(const char* name) {
    try {
        const QString sound = FromGbk(name);
        QCoreApplication* app = QCoreApplication::instance();
        const std::optional<PcmWave> wave = ParsePcmWave(ReadOwnFile(sound, QStringLiteral("wav")));
        if (!app || !wave)
            return;
        // Audio lives on the application's thread; a call from elsewhere is handed over
        // instead of blocking.
        if (QThread::currentThread() == app->thread())
            PlayWave(sound, *wave);
        else
            QMetaObject::invokeMethod(
                app, [sound, wave] { PlayWave(sound, *wave); }, Qt::QueuedConnection);
    } catch (...) {
    }
}
