// Picture helpers: the decoding rule for picture files, inserting a picture into rich
// text, question texts with embedded picture tokens, and the main pictures.
#include "data/uLoadDll.h"
#include "data/uProc.h"

#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>

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

// Decodes `path` with the named decoder only: a file whose content does not match its
// extension is an error, as the extension alone decides.
QImage Decode(const QString& path, const char* decoder) {
    QImageReader reader(path, decoder);
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error(QStringLiteral("Cannot read picture file %1 (%2)")
                                     .arg(path, reader.errorString())
                                     .toStdString());
    return image;
}

// A picture with transparent parts, laid on white as it is to show in a text.
QImage OverWhite(const QImage& picture) {
    QImage canvas(picture.size(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, picture);
    return canvas;
}

// The picture types that can stand in a text.
QImage ReadTextPicture(const QString& path, const QString& type) {
    if (type == QLatin1String("jpg"))
        return Decode(path, "jpeg");
    if (type == QLatin1String("png"))
        return OverWhite(Decode(path, "png"));
    return {};
}

bool IsTextPictureType(const QString& type) {
    const QString lower = type.toLower();
    return lower == QLatin1String("jpg") || lower == QLatin1String("png");
}

// Puts `image` into the document of `control` in place of the current selection.
void InsertImage(QTextEdit* control, const QImage& image, const QString& path) {
    static int serial = 0;
    // Each insertion gets a name of its own, so a file rewritten under the same path
    // never shows an older picture kept by the document.
    QUrl name = QUrl::fromLocalFile(path);
    name.setQuery(QString::number(++serial));
    control->document()->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    format.setWidth(image.width());
    format.setHeight(image.height());
    QTextCursor cursor = control->textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertImage(format);
    cursor.endEditBlock();
    control->setTextCursor(cursor);
}

// Sets a text control read-only when the scope ends, however it ends.
class ReadOnlyWhenDone {
public:
    explicit ReadOnlyWhenDone(QTextEdit* control) : Control(control) {}
    ~ReadOnlyWhenDone() { Control->setReadOnly(true); }
    ReadOnlyWhenDone(const ReadOnlyWhenDone&) = delete;
    ReadOnlyWhenDone& operator=(const ReadOnlyWhenDone&) = delete;

private:
    QTextEdit* Control;
};

struct PictureToken {
    qsizetype Start = -1; // position of the opening "&"
    qsizetype Length = 0; // with both "&"
    QString Name;
    QString Type;
};

// The first "&name.type&" of `text`: the text between the first "&" and the next one,
// split at its first ".". None (Start -1) when fewer than two "&" are left.
PictureToken FirstPictureToken(const QString& text) {
    PictureToken token;
    const qsizetype first = text.indexOf(u'&');
    const qsizetype second = first < 0 ? -1 : text.indexOf(u'&', first + 1);
    if (second < 0)
        return token;
    const QString inner = text.mid(first + 1, second - first - 1);
    const qsizetype dot = inner.indexOf(u'.');
    token.Start = first;
    token.Length = second - first + 1;
    token.Name = dot < 0 ? inner : inner.left(dot);
    token.Type = dot < 0 ? QString() : inner.mid(dot + 1);
    return token;
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
    return Decode(path, decoder);
}

void LoadPictureFile(QLabel* control, const QString& path) {
    const QImage image = ReadPictureFile(path);
    if (image.isNull())
        control->clear();
    else
        control->setPixmap(QPixmap::fromImage(image));
}

void InsertPicture(QTextEdit* control, const QString& path) {
    const ReadOnlyWhenDone readOnly(control);
    control->setReadOnly(false);
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString type = dot < 0 ? QString() : path.mid(dot + 1).toLower();
    const QImage image = ReadTextPicture(path, type);
    if (!image.isNull())
        InsertImage(control, image, path);
}

void LoadRichText(QTextEdit* control, const QString& text) {
    control->clear();
    control->setPlainText(text);
    // Every pass replaces the leftmost token by one picture character or nothing, so the
    // number of "&" falls each time and the loop ends.
    for (PictureToken token = FirstPictureToken(control->toPlainText()); token.Start >= 0;
         token = FirstPictureToken(control->toPlainText())) {
        const QString path = LoadSubImage(QStringLiteral("S") + token.Name, token.Type);
        QTextCursor cursor(control->document());
        cursor.setPosition(int(token.Start));
        cursor.setPosition(int(token.Start + token.Length), QTextCursor::KeepAnchor);
        if (path.isEmpty() || !IsTextPictureType(token.Type)) {
            cursor.removeSelectedText();
            continue;
        }
        control->setTextCursor(cursor);
        InsertPicture(control, path);
    }
}

void LoadResImage(QLabel* control, const QString& name) {
    // Decoded once per name: the list rows change pictures on every pointer move.
    static QHash<QString, QPixmap> decoded;
    QPixmap picture = decoded.value(name);
    if (picture.isNull()) {
        QImage image;
        if (image.loadFromData(LoadJpgRes(name), "JPEG"))
            picture = QPixmap::fromImage(image);
        if (!picture.isNull())
            decoded.insert(name, picture);
    }
    if (picture.isNull())
        control->clear();
    else
        control->setPixmap(picture);
}
