// The two exported functions of MainImage: the main pictures (JPEG) and the answer sounds.
#include "ResourceLibraryAbi.h"
#include "ResourceStore.h"
#include "SoundModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <cstring>
#include <dlfcn.h>

namespace {

using veltrano::resources::FromGbk;
using veltrano::resources::ReadOwnFile;

// The sound module beside this library, loaded once, with the first sound; null when it is
// missing, and then no sound plays.
VeltranoPlaySoundFunction SoundModule() {
    // The handle is freed at exit, but the module stays loaded for the whole run, since its
    // audio sinks belong to the application (deleting a QLibrary never unloads it).
    static QLibrary module;
    static const VeltranoPlaySoundFunction play = [] {
        Dl_info self{};
        if (!dladdr(reinterpret_cast<void*>(&SoundModule), &self) || !self.dli_fname)
            return VeltranoPlaySoundFunction(nullptr);
        module.setFileName(QFileInfo(QFile::decodeName(self.dli_fname)).absolutePath() +
                           QLatin1Char('/') + QLatin1String(kSoundModuleFile));
        return reinterpret_cast<VeltranoPlaySoundFunction>(module.resolve(kSoundModuleEntry));
    }();
    return play;
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
        const QByteArray file = ReadOwnFile(sound, QStringLiteral("wav"));
        // Unknown sounds and programs without an application object never load the back-end.
        if (file.isEmpty() || !QCoreApplication::instance())
            return;
        if (const VeltranoPlaySoundFunction play = SoundModule())
            play(sound, file);
    } catch (...) {
    }
}
