#include "ResourceStore.h"

#include "PrivateTempFolder.h"
#include "ResourceLibraryAbi.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace veltrano::resources {

namespace {

constexpr int MaxNameLength = 100;
constexpr int MaxTypeLength = 10;
constexpr int MaxPathBytes = VELTRANO_PICTURE_PATH_CAPACITY - 1;

bool IsPlainAscii(QChar c) {
    return c.unicode() < 128 && c.isLetterOrNumber();
}

} // namespace

QString LibraryName() {
    return QStringLiteral(VELTRANO_LIBRARY_NAME);
}

QString FromGbk(const char* text) {
    if (!text)
        return {};
    QStringDecoder decoder("GBK");
    QString decoded = decoder.decode(QByteArrayView(text, qsizetype(std::strlen(text))));
    return decoder.hasError() ? QString() : decoded;
}

bool IsPlainName(const QString& name) {
    if (name.isEmpty() || name.size() > MaxNameLength)
        return false;
    for (QChar c : name) {
        if (!c.isLetterOrNumber() && c != u'_' && c != u'-')
            return false;
    }
    return true;
}

bool IsPlainType(const QString& type) {
    if (type.isEmpty() || type.size() > MaxTypeLength)
        return false;
    return std::all_of(type.begin(), type.end(), IsPlainAscii);
}

QByteArray ReadOwnFile(const QString& name, const QString& type) {
    if (!IsPlainName(name) || !IsPlainType(type))
        return {};
    QFile file(QStringLiteral(":/%1/%2.%3").arg(LibraryName(), name, type.toLower()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray WritePictureFile(const QString& name, const QString& type, const QByteArray& bytes) {
    const std::string folder = veltrano::PrivateTempFolder();
    if (folder.empty())
        return {};
    const QString path =
        QString::fromStdString(folder) + QStringLiteral("%1_%2.%3").arg(LibraryName(), name, type);
    QStringEncoder encoder("GBK");
    const QByteArray encoded = encoder.encode(path);
    if (encoder.hasError() || encoded.size() > MaxPathBytes)
        return {};
    // Written aside and renamed into place, so a reader never sees half a picture.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {};
    return encoded;
}

int ProvidePicture(char* result, const char* name, const char* type) {
    if (!result)
        return 0;
    result[0] = '\0';
    try {
        const QString pictureName = FromGbk(name);
        const QString pictureType = FromGbk(type);
        const QByteArray bytes = ReadOwnFile(pictureName, pictureType);
        if (bytes.isEmpty())
            return 0;
        const QByteArray path = WritePictureFile(pictureName, pictureType, bytes);
        std::memcpy(result, path.constData(), size_t(path.size()));
        result[path.size()] = '\0';
        return int(path.size());
    } catch (...) {
        result[0] = '\0';
        return 0;
    }
}

} // namespace veltrano::resources
