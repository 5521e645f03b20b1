#include "data/PictureFiles.h"

#include <QFileInfo>
#include <QHash>
#include <QImageReader>

#include <stdexcept>

namespace {

// The decoder each picture file extension names; null for an extension without one.
const char* DecoderFor(const QString& extension) {
    static const QHash<QString, const char*> decoders = {
        {QStringLiteral("jpg"), "jpeg"}, {QStringLiteral("jpeg"), "jpeg"},
        {QStringLiteral("png"), "png"},  {QStringLiteral("gif"), "gif"},
        {QStringLiteral("bmp"), "bmp"},  {QStringLiteral("ico"), "ico"}};
    return decoders.value(extension.toLower(), nullptr);
}

} // namespace

QImage ReadPictureFile(const QString& path) {
    if (path.isEmpty())
        return {};
    const QString extension = QFileInfo(path).suffix();
    const char* decoder = DecoderFor(extension);
    if (!decoder)
        throw std::runtime_error(
            QStringLiteral("Unknown picture file extension (.%1)").arg(extension).toStdString());
    // The named decoder only: a file whose content does not match its extension is an
    // error, as the extension alone decides.
    QImageReader reader(path, decoder);
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error(QStringLiteral("Cannot read picture file %1 (%2)")
                                     .arg(path, reader.errorString())
                                     .toStdString());
    return image;
}

QList<PictureToken> PictureTokens(const QString& text) {
    QList<PictureToken> tokens;
    for (qsizetype first = text.indexOf(u'&'); first >= 0;) {
        const qsizetype second = text.indexOf(u'&', first + 1);
        if (second < 0)
            break;
        const QString inner = text.mid(first + 1, second - first - 1);
        const qsizetype dot = inner.indexOf(u'.');
        tokens.append({first, second - first + 1, dot < 0 ? inner : inner.left(dot),
                       dot < 0 ? QString() : inner.mid(dot + 1)});
        first = text.indexOf(u'&', second + 1);
    }
    return tokens;
}

bool IsTextPictureType(const QString& type) {
    const QString lower = type.toLower();
    return lower == QLatin1String("jpg") || lower == QLatin1String("png");
}
