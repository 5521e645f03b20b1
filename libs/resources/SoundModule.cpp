// MainImageSound.so: the answer sounds on the default audio output.
#include "SoundModule.h"
#include "WavPlayer.h"

#include <QCoreApplication>
#include <QThread>

#include <type_traits>

using veltrano::resources::ParsePcmWave;
using veltrano::resources::PcmWave;
using veltrano::resources::PlayWave;

extern "C" __attribute__((visibility("default"))) void VeltranoPlaySound(const QString& name,
                                                                         const QByteArray& file) {
    QCoreApplication* app = QCoreApplication::instance();
    const std::optional<PcmWave> wave = ParsePcmWave(file);
    if (!app || !wave)
        return;
    // Audio lives on the application's thread; a call from elsewhere is handed over
    // instead of blocking.
    if (QThread::currentThread() == app->thread())
        PlayWave(name, *wave);
    else
        QMetaObject::invokeMethod(
            app, [name, wave] { PlayWave(name, *wave); }, Qt::QueuedConnection);
}

// The entry's type is checked against the one MainImage calls.
static_assert(std::is_same_v<decltype(&VeltranoPlaySound), VeltranoPlaySoundFunction>);
