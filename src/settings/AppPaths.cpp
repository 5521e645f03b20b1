#include "settings/AppPaths.h"

#include "data/BankUpdate.h"
#include "data/InstallLayout.h"
#include "data/SqlCipherConnection.h"

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

// The executable's folder when the program runs from a writable folder of its own (a
// build tree, a portable copy); empty for an installed or read-only copy.
QString WritableOwnFolder() {
    const QString folder = InstallLayout::ExecutableDir();
    return InstallLayout::RunsFromOwnFolder() && QFileInfo(folder).isWritable() ? folder
                                                                                : QString();
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

QString ConfigureFile() {
    if (!DataFolder().isEmpty())
        return FindWithoutCase(DataFolder(), kConfigureName);
    const QString beside = WritableOwnFolder();
    const QString folder =
        beside.isEmpty() ? UserFolder(QStandardPaths::GenericConfigLocation) : beside;
    return FindWithoutCase(folder, kConfigureName);
}

QString BankFile() {
    if (!DataFolder().isEmpty())
        return QDir(DataFolder()).filePath(kBankName);
    const QString beside = WritableOwnFolder();
    if (!beside.isEmpty())
        return QDir(beside).filePath(kBankName);
    const QString installed = QDir(InstallLayout::SharedDataFolder()).filePath(kBankName);
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
