// The two exported functions of MainImage: the main pictures (JPEG) and the answer sounds.
#include "ResourceLibraryAbi.h"
#include "ResourceStore.h"

#include <QCoreApplication>
#include <QHash>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

#include <cstring>

namespace {

using veltrano::resources::FromGbk;
using veltrano::resources::LibraryName;
using veltrano::resources::ReadOwnFile;

// One effect per sound, made on first use and owned by the application object, so that a
// sound asked for again while it plays restarts instead of piling up players.
void PlaySound(const QString& name) {
    static QHash<QString, QSoundEffect*> effects;
    QSoundEffect*& effect = effects[name];
    if (!effect) {
        effect = new QSoundEffect(QCoreApplication::instance());
        effect->setSource(QUrl(QStringLiteral("qrc:/%1/%2.wav").arg(LibraryName(), name)));
    }
    effect->play();
}

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
        if (!app || ReadOwnFile(sound, QStringLiteral("wav")).isEmpty())
            return;
        // Sound effects live on the application's thread; a call from elsewhere is handed
        // over instead of blocking.
        if (QThread::currentThread() == app->thread())
            PlaySound(sound);
        else
            QMetaObject::invokeMethod(
                app, [sound] { PlaySound(sound); }, Qt::QueuedConnection);
    } catch (...) {
    }
}
