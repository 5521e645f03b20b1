// Picture helpers of the pages: pictures in labels, inserting a picture into rich text,
// question texts with embedded picture tokens, and the main pictures.
#include "data/PictureFiles.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"

#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>

namespace {

// A picture with transparent parts, laid on white as it is to show in a text.
QImage OverWhite(const QImage& picture) {
    QImage canvas(picture.size(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, picture);
    return canvas;
}

// The picture types that can stand in a text; a null image for the others.
QImage ReadTextPicture(const QString& path, const QString& type) {
    if (!IsTextPictureType(type))
        return {};
    const QImage picture = ReadPictureFile(path);
    return type == QLatin1String("png") ? OverWhite(picture) : picture;
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

} // namespace

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
    // Replaced from the last token back, so the positions of the earlier ones stay valid.
    const QList<PictureToken> tokens = PictureTokens(control->toPlainText());
    for (auto token = tokens.crbegin(); token != tokens.crend(); ++token) {
        const QString path = LoadSubImage(QStringLiteral("S") + token->Name, token->Type);
        QTextCursor cursor(control->document());
        cursor.setPosition(int(token->Start));
        cursor.setPosition(int(token->Start + token->Length), QTextCursor::KeepAnchor);
        if (path.isEmpty() || !IsTextPictureType(token->Type)) {
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
