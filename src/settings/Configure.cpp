#include "settings/Configure.h"

#include "settings/AppPaths.h"
#include "settings/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <optional>

namespace {

// The file as it is now: an empty document when it does not exist, nothing when it exists
// but cannot be read (a write must then leave it alone rather than replace it).
std::optional<IniDocument> ReadDocument(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return IniDocument();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniDocument::Parse(file.readAll());
}

// A write cut off by a kill leaves its new file ("Configure.ini.AbC123") beside the old
// one; the program runs once per learner, so any such file is an unfinished write.
void RemoveUnfinishedWrites(const QString& path) {
    const QFileInfo target(path);
    const QRegularExpression unfinished(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(target.fileName())));
    QDir folder = target.dir();
    for (const QString& name : folder.entryList({target.fileName() + ".*"}, QDir::Files))
        if (unfinished.match(name).hasMatch())
            folder.remove(name);
}

// Writes a complete new file beside the old one, flushes it to disk and renames it over
// the old one, so that a crash or a full disk leaves either the old or the new file.
// Failures (a read-only folder, for instance) are not reported. The file is unbuffered so
// that a failed write (a full disk) is seen here and the old file kept: a buffered write
// would only fail in commit's flush, after which the short file would still be renamed.
void ReplaceDocument(const QString& path, const IniDocument& document) {
    RemoveUnfinishedWrites(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray bytes = document.ToBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

} // namespace

namespace Configure {

QString ReadString(const QString& section, const QString& key, const QString& fallback) {
    const std::optional<IniDocument> document = ReadDocument(AppPaths::ConfigureFile());
    if (!document)
        return fallback;
    return document->Value(section, key).value_or(fallback);
}

int ReadInteger(const QString& section, const QString& key, int fallback) {
    bool ok = false;
    const int value = ReadString(section, key).toInt(&ok, 10);
    return ok ? value : fallback;
}

void WriteString(const QString& section, const QString& key, const QString& value) {
    WriteStrings(section, {{key, value}});
}

void WriteStrings(const QString& section, const QList<QPair<QString, QString>>& values) {
    const QString path = AppPaths::ConfigureFile();
    std::optional<IniDocument> document = ReadDocument(path);
    if (!document)
        return;
    for (const auto& [key, value] : values)
        document->SetValue(section, key, value);
    ReplaceDocument(path, *document);
}

void WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

} // namespace Configure

TDriverInfo LoadDriverInfo() {
    const QString section = QStringLiteral("DriverInfo");
    TDriverInfo info;
    info.Name = Configure::ReadString(section, "Name");
    info.ID = Configure::ReadString(section, "ID");
    info.SubAreaID = Configure::ReadInteger(section, "SubAreaID", 1);
    info.SubAreaName = Configure::ReadString(section, "SubAreaName");
    info.SubCarTypeID = Configure::ReadInteger(section, "SubCarTypeID", 1);
    info.SubCarTypeName = Configure::ReadString(section, "SubCarTypeName");
    info.SubCarTypeDesc = Configure::ReadString(section, "SubCarTypeDesc");
    return info;
}

namespace {

// The eight keyboard fields with their key names, in the order they are read and written.
struct KeyField {
    const char* name;
    int TKeyMap::*field;
};
constexpr KeyField kKeyFields[] = {
    {"A", &TKeyMap::A},       {"B", &TKeyMap::B},         {"C", &TKeyMap::C},
    {"D", &TKeyMap::D},       {"Right", &TKeyMap::Right}, {"Wrong", &TKeyMap::Wrong},
    {"Last", &TKeyMap::Last}, {"Next", &TKeyMap::Next},
};
const QString kKeyboardSection = QStringLiteral("Keyboard");

} // namespace

TKeyMap LoadKeyMap() {
    TKeyMap map;
    for (const KeyField& key : kKeyFields)
        map.*key.field = Configure::ReadInteger(kKeyboardSection, key.name, -1);
    return map;
}

void SaveKeyMap(const TKeyMap& map) {
    for (const KeyField& key : kKeyFields)
        Configure::WriteInteger(kKeyboardSection, key.name, map.*key.field);
}
