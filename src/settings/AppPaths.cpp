#include "settings/AppPaths.h"

#include "data/BankUpdate.h"
#include "data/SqlCipherConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kConfigureName = QStringLiteral("Configure.ini");
const QString kBankName = QStringLiteral("DriveDB.db");

QString& DataFolder() {
    static QString folder;
    return folder;
}

bool IsWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// The per-user folder below an XDG base folder, created when missing.
QString UserFolder(QStandardPaths::StandardLocation base) {
    const QString folder = QStandardPaths::writableLocation(base) + "/veltrano";
    QDir().mkpath(folder);
    return folder;
}

// The entry of `folder` whose name is `name` without regard to case; the exact spelling
// wins over other spellings, and `name` itself is used when there is none.
QString FindWithoutCase(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (dir.exists(name))
        return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return dir.filePath(name);
}

} // namespace

namespace AppPaths {

QString ExecutableDir() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

QString ConfigureFile() {
    if (!DataFolder().isEmpty())
        return FindWithoutCase(DataFolder(), kConfigureName);
    const QString beside = ExecutableDir();
    const QString folder =
        IsWritableFolder(beside) ? beside : UserFolder(QStandardPaths::GenericConfigLocation);
    return FindWithoutCase(folder, kConfigureName);
}

QString BankFile() {
    if (!DataFolder().isEmpty())
        return QDir(DataFolder()).filePath(kBankName);
    const QString beside = ExecutableDir();
    const QString installed = QDir(beside).filePath(kBankName);
    if (IsWritableFolder(beside))
        return installed;
    const QString target =
        QDir(UserFolder(QStandardPaths::GenericDataLocation)).filePath(kBankName);
    // A newer installed bank replaces the learner's copy, keeping the marks; when that
    // fails the copy in hand goes on serving.
    if (QFileInfo::exists(installed))
        UpdateBank(installed, target, SqlCipherConnection::BankKey);
    return target;
}

void SetDataFolder(const QString& folder) {
    DataFolder() = folder;
}

} // namespace AppPaths
