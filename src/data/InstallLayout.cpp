#include "data/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// VELTRANO_RELATIVE_LIBRARY_DIR and VELTRANO_RELATIVE_DATA_DIR, the installed folders
// relative to the folder of the executables, come from the build's install layout.

namespace {

QString InstalledFolder(const char* relative) {
    return QDir::cleanPath(InstallLayout::ExecutableDir() + '/' + QLatin1String(relative));
}

} // namespace

namespace InstallLayout {

QString ExecutableDir() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

bool RunsFromOwnFolder() {
    return QFileInfo::exists(ExecutableDir() + QStringLiteral("/libEncryption.so"));
}

QString LibraryFolder() {
    return RunsFromOwnFolder() ? ExecutableDir() : InstalledFolder(VELTRANO_RELATIVE_LIBRARY_DIR);
}

QString SharedDataFolder() {
    return RunsFromOwnFolder() ? ExecutableDir() : InstalledFolder(VELTRANO_RELATIVE_DATA_DIR);
}

} // namespace InstallLayout
