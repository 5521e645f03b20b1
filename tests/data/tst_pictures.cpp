// Picture helpers on the real resource libraries: the decoding rule, inserting pictures
// into rich text, question texts with picture tokens and the main pictures.
#include "data/PictureFiles.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>
#include <QTextImageFormat>

#include <stdexcept>

namespace {

// The names of the pictures in a document, in reading order.
QStringList PictureNames(const QTextEdit& control) {
    QStringList names;
    for (QTextBlock block = control.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                names.append(format.toImageFormat().name());
        }
    }
    return names;
}

QImage FirstPicture(const QTextEdit& control) {
    const QStringList names = PictureNames(control);
    if (names.isEmpty())
        return {};
    return control.document()
        ->resource(QTextDocument::ImageResource, QUrl(names.first()))
        .value<QImage>();
}

// An image whose left half is transparent and whose right half is opaque red.
QImage HalfTransparent() {
    QImage image(20, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(10, 0, 10, 10, Qt::red);
    return image;
}

// The smallest GIF: one transparent pixel (Qt reads GIF but cannot write it).
const QByteArray OnePixelGif =
    QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7");

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void decodesByExtension_data();
    void decodesByExtension();
    void refusesUnknownExtensions_data();
    void refusesUnknownExtensions();
    void undecodableFileIsAnErrorAndKeepsTheLabel();
    void insertPictureKeepsClipboardText();
    void insertPictureLeavesControlReadOnly();
    void transparentPngShowsOverWhite();
    void textsWithoutTokensStayAsTheyAre_data();
    void textsWithoutTokensStayAsTheyAre();
    void tokensAreReplacedFromTheLeft();
    void unusableTokensAreRemoved_data();
    void unusableTokensAreRemoved();
    void tokenScannerFindsEveryPairOfAmpersands_data();
    void tokenScannerFindsEveryPairOfAmpersands();
    void mainPicturesShowOrLeaveTheLabelEmpty();
    void libraryBindingsPassNamesSafely();

private:
    QTemporaryDir Folder;
    QString WritePicture(const QString& fileName, const QImage& image, const char* format);
};

QString TestPictures::WritePicture(const QString& fileName, const QImage& image,
                                   const char* format) {
    const QString path = Folder.filePath(fileName);
    if (!image.save(path, format))
        qFatal("cannot write the test picture %s", qPrintable(path));
    return path;
}

void TestPictures::initTestCase() {
    TestSupport::UseFreshDataFolder(false);
    LoadLibraries();
}

void TestPictures::decodesByExtension_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("jpg") << "a.jpg" << QByteArray("JPEG");
    QTest::newRow("jpeg, upper case") << "b.JPEG" << QByteArray("JPEG");
    QTest::newRow("png") << "c.png" << QByteArray("PNG");
    QTest::newRow("bmp") << "d.Bmp" << QByteArray("BMP");
    QTest::newRow("ico") << "e.ico" << QByteArray("ICO");
    QTest::newRow("gif") << "f.gif" << QByteArray();
}

void TestPictures::decodesByExtension() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, format);
    QString path = Folder.filePath(fileName);
    if (format.isEmpty()) {
        QFile gif(path);
        QVERIFY(gif.open(QIODevice::WriteOnly) && gif.write(OnePixelGif) > 0);
    } else {
        path = WritePicture(fileName, HalfTransparent(), format.constData());
    }
    QLabel label;
    LoadPictureFile(&label, path);
    QVERIFY(!label.pixmap().isNull());
    LoadPictureFile(&label, QString());
    QVERIFY2(label.pixmap().isNull(), "an empty path clears the picture");
}

void TestPictures::refusesUnknownExtensions_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("message");
    QTest::newRow("tiff") << "x.tiff"
                          << "Unknown picture file extension (.tiff)";
    QTest::newRow("metafile") << "x.wmf"
                              << "Unknown picture file extension (.wmf)";
    QTest::newRow("none") << "noextension"
                          << "Unknown picture file extension (.)";
}

void TestPictures::refusesUnknownExtensions() {
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    // A real PNG under a name the rule does not know: the name decides, not the content.
    const QString path = WritePicture(fileName, HalfTransparent(), "PNG");
    QLabel label;
    try {
        LoadPictureFile(&label, path);
        QFAIL("an unknown extension must be an error");
    } catch (const std::runtime_error& error) {
        QCOMPARE(QString::fromUtf8(error.what()), message);
    }
}

void TestPictures::undecodableFileIsAnErrorAndKeepsTheLabel() {
    const QString shown = WritePicture("shown.png", HalfTransparent(), "PNG");
    const QString broken = Folder.filePath("broken.jpg");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
    file.close();
    const QString pngCalledJpg = WritePicture("png-inside.jpg", HalfTransparent(), "PNG");

    QLabel label;
    LoadPictureFile(&label, shown);
    for (const QString& path : {broken, pngCalledJpg, Folder.filePath("missing.png")}) {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, LoadPictureFile(&label, path));
        QCOMPARE(label.pixmap().size(), QSize(20, 10));
    }
}

void TestPictures::insertPictureKeepsClipboardText() {
    QApplication::clipboard()->setText(QStringLiteral("剪贴板上的文字"));
    QTextEdit control;
    InsertPicture(&control, WritePicture("keep.png", HalfTransparent(), "PNG"));
    InsertPicture(&control, WritePicture("keep.jpg", HalfTransparent(), "JPEG"));
    QCOMPARE(PictureNames(control).size(), 2);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("剪贴板上的文字"));
}

void TestPictures::insertPictureLeavesControlReadOnly() {
    const QString broken = Folder.filePath("broken.png");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("garbage") > 0);
    file.close();

    QTextEdit control;
    control.setReadOnly(false);
    InsertPicture(&control, WritePicture("ro.png", HalfTransparent(), "PNG"));
    QVERIFY(control.isReadOnly());

    control.setReadOnly(false);
    InsertPicture(&control, WritePicture("ro.bmp", HalfTransparent(), "BMP"));
    QVERIFY2(control.isReadOnly(), "a type other than jpg or png inserts nothing");
    QCOMPARE(PictureNames(control).size(), 1);

    control.setReadOnly(false);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, InsertPicture(&control, broken));
    QVERIFY2(control.isReadOnly(), "read-only also when the picture cannot be read");
    QCOMPARE(PictureNames(control).size(), 1);
}

void TestPictures::transparentPngShowsOverWhite() {
    QTextEdit control;
    InsertPicture(&control, WritePicture("half.png", HalfTransparent(), "PNG"));
    const QImage shown = FirstPicture(control);
    QCOMPARE(shown.size(), QSize(20, 10));
    QCOMPARE(shown.pixelColor(2, 5), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(15, 5), QColor(Qt::red));
}

void TestPictures::textsWithoutTokensStayAsTheyAre_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("no ampersand") << QStringLiteral("驾驶机动车应当遵守交通信号。");
    QTest::newRow("one ampersand") << QStringLiteral("甲&12.jpg乙");
    QTest::newRow("empty") << QString();
}

void TestPictures::textsWithoutTokensStayAsTheyAre() {
    QFETCH(QString, text);
    QTextEdit control;
    control.setReadOnly(true);
    LoadRichText(&control, text);
    QCOMPARE(control.toPlainText(), text);
    QVERIFY(PictureNames(control).isEmpty());
}

void TestPictures::tokensAreReplacedFromTheLeft() {
    QTextEdit control;
    LoadRichText(&control, QStringLiteral("甲&12.jpg&乙&7.png&丙"));
    const QChar picture = QChar::ObjectReplacementCharacter;
    QCOMPARE(control.toPlainText(), QStringLiteral("甲") + picture + QStringLiteral("乙") +
                                        picture + QStringLiteral("丙"));
    const QStringList names = PictureNames(control);
    QCOMPARE(names.size(), 2);
    QVERIFY2(names[0].contains("S12.jpg"), qPrintable(names[0]));
    QVERIFY2(names[1].contains("S7.png"), qPrintable(names[1]));
    QVERIFY(!FirstPicture(control).isNull());
    QVERIFY(control.isReadOnly());
}

void TestPictures::tokenScannerFindsEveryPairOfAmpersands_data() {
    QTest::addColumn<QString>("text");
    // Each token as "start+length:name/type".
    QTest::addColumn<QStringList>("tokens");
    QTest::newRow("none") << "no pictures" << QStringList{};
    QTest::newRow("lone ampersand") << "A & B" << QStringList{};
    QTest::newRow("two tokens") << "1&a.jpg&2&b.png&3" << QStringList{"1+7:a/jpg", "9+7:b/png"};
    QTest::newRow("scan goes on after the closing one") << "&a&b.png&" << QStringList{"0+3:a/"};
    QTest::newRow("split at the first dot") << "&x.y.png&" << QStringList{"0+9:x/y.png"};
    QTest::newRow("empty token") << "&&" << QStringList{"0+2:/"};
}

void TestPictures::tokenScannerFindsEveryPairOfAmpersands() {
    QFETCH(QString, text);
    QFETCH(QStringList, tokens);
    QStringList found;
    for (const PictureToken& token : PictureTokens(text))
        found << QStringLiteral("%1+%2:%3/%4")
                     .arg(token.Start)
                     .arg(token.Length)
                     .arg(token.Name, token.Type);
    QCOMPARE(found, tokens);
    QVERIFY(IsTextPictureType("JPG") && IsTextPictureType("png"));
    QVERIFY(!IsTextPictureType("jpeg") && !IsTextPictureType("gif"));
}

void TestPictures::unusableTokensAreRemoved_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("pictures");
    QTest::newRow("type neither jpg nor png") << "前&7.gif&后"
                                              << "前后" << 0;
    QTest::newRow("missing picture") << "前&nosuch.png&后"
                                     << "前后" << 0;
    QTest::newRow("no type") << "前&7&后"
                             << "前后" << 0;
    QTest::newRow("ampersands in prose") << "甲 & 乙 & 丙"
                                         << "甲  丙" << 0;
    QTest::newRow("hostile name") << "前&../../etc/passwd.png&后"
                                  << "前后" << 0;
    QTest::newRow("odd ampersand left over")
        << "&7.png&后&" << QString(QChar::ObjectReplacementCharacter) + "后&" << 1;
}

void TestPictures::unusableTokensAreRemoved() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, pictures);
    QTextEdit control;
    LoadRichText(&control, text);
    QCOMPARE(control.toPlainText(), shown);
    QCOMPARE(PictureNames(control).size(), pictures);
}

void TestPictures::mainPicturesShowOrLeaveTheLabelEmpty() {
    QLabel label;
    LoadResImage(&label, QStringLiteral("Head"));
    QCOMPARE(label.pixmap().size(), QSize(1012, 100));
    for (const QString& name :
         {QStringLiteral("NoSuchPicture"), QStringLiteral("../Head"), QString()}) {
        LoadResImage(&label, name);
        QVERIFY(label.pixmap().isNull());
    }
}

void TestPictures::libraryBindingsPassNamesSafely() {
    QCOMPARE(LoadLibraries(), QStringList());
    const QString path = LoadSubImage(QStringLiteral("sign_stop"), QStringLiteral("png"));
    QCOMPARE(ReadPictureFile(path).size(), QSize(200, 200));
    // A text without a GBK form is no picture name; it must not reach a library mangled.
    QVERIFY(LoadSubImage(QStringLiteral("sign_stop\U0001F6A6"), QStringLiteral("png")).isEmpty());
    QVERIFY(LoadSubImage(QString(), QString()).isEmpty());
    QVERIFY(LoadLibraryImage(TeachLibrary::TrafficRule, QStringLiteral("sign_stop"),
                             QStringLiteral("png"))
                .isEmpty());
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
