#include "data/uProc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void ClearEntries(const QString& folder) {
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        // A link is removed as a link: what it points to, inside or outside, is kept.
        if (entry.isDir() && !entry.isSymLink())
            ClearEntries(entry.filePath());
        else
            QFile::remove(entry.filePath());
    }
}

} // namespace

bool ClearFolder(const QString& path) {
    // A folder that is itself a link is left alone, so the clean-up never leaves the tree.
    const QFileInfo folder(QDir::cleanPath(path));
    if (folder.isDir() && !folder.isSymLink())
        ClearEntries(folder.absoluteFilePath());
    return true;
}
