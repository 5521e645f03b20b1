// The build-time writers of animated GIFs, keyed SVG frames and Flash films.
#include "GifFrames.h"
#include "GifWriter.h"
#include "SvgFrames.h"
#include "SwfWriter.h"

#include <QTest>

using namespace veltrano;

namespace {

// Colours survive the 15-bit palette within one step of 8 per channel.
bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
           std::abs(qBlue(a) - qBlue(b)) <= 8;
}

const char* const Stage = "stage 100 80 10 20\n";

// A little-endian whole number of `width` bytes of `file` at `at`.
quint32 LittleEndianAt(const QByteArray& file, int at, int width) {
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | quint8(file[at + i]);
    return value;
}

} // namespace

class TestPictureWriters : public QObject {
    Q_OBJECT
private slots:
    void gifFramesReadBackAsDrawn();
    void gifOfManyColoursDecodes();
    void keyedValuesMoveBetweenKeys();
    void animatedDrawingsNeedFramesAndReadableKeys();
    void filmDescriptionsAreCheckedLineByLine_data();
    void filmDescriptionsAreCheckedLineByLine();
    void placesMoveAlongTheirKeys();
    void filmFileHasHeaderFramesAndShapes();
};

void TestPictureWriters::gifFramesReadBackAsDrawn() {
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(qRgb(200, 30, 30));
    QImage split = red;
    for (int y = 0; y < 30; ++y)
        for (int x = 20; x < 40; ++x)
            split.setPixel(x, y, qRgb(20, 60, 220));
    int loops = 0;
    const QList<QImage> frames = GifFrames(gif::WriteAnimation({red, split, red}, 7), &loops);
    QCOMPARE(frames.size(), 3);
    QCOMPARE(loops, -1); // for ever
    QCOMPARE(frames[0].size(), QSize(40, 30));
    QVERIFY(Near(frames[0].pixel(30, 10), qRgb(200, 30, 30)));
    QVERIFY(Near(frames[1].pixel(30, 10), qRgb(20, 60, 220)));
    QVERIFY(Near(frames[1].pixel(5, 10), qRgb(200, 30, 30)));
    QVERIFY(Near(frames[2].pixel(30, 10), qRgb(200, 30, 30)));
    QVERIFY(gif::WriteAnimation({}, 5).isEmpty());
    // A still frame adds one pixel, not a picture: later frames hold only what changed.
    const QByteArray once = gif::WriteAnimation({split}, 7);
    QVERIFY(gif::WriteAnimation({split, split, split}, 7).size() < once.size() + 100);
    QCOMPARE(GifFrames(gif::WriteAnimation({split, split}, 7)).value(1), GifFrames(once).value(0));
}

void TestPictureWriters::gifOfManyColoursDecodes() {
    // Enough varied pixels to fill the 4096-code table several times over: every pixel must
    // still come back in its own colour, so widths and table resets match the decoder's.
    QImage noisy(300, 200, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noisy.height(); ++y) {
        for (int x = 0; x < noisy.width(); ++x) {
            seed = seed * 1103515245U + 12345U;
            const int shade = int((seed >> 16) % 200);
            noisy.setPixel(x, y, x < 150 ? qRgb(shade, 255 - shade, 40) : qRgb(90, 90, 90));
        }
    }
    const QList<QImage> frames = GifFrames(gif::WriteAnimation({noisy}, 10));
    QCOMPARE(frames.size(), 1);
    int far = 0;
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            far += Near(frames[0].pixel(x, y), noisy.pixel(x, y)) ? 0 : 1;
    QCOMPARE(far, 0);
}

void TestPictureWriters::keyedValuesMoveBetweenKeys() {
    const QString arm = "0: rotate(90) scale(1 1); 10: rotate(0) scale(0.5 1); 20: rotate(0)";
    QCOMPARE(*svgframes::ValueAt(arm, 0), QString("rotate(90) scale(1 1)"));
    QCOMPARE(*svgframes::ValueAt(arm, 5), QString("rotate(45.000) scale(0.750 1.000)"));
    QCOMPARE(*svgframes::ValueAt(arm, 10), QString("rotate(0) scale(0.5 1)"));
    // Different forms do not blend: the earlier value holds until the next key.
    QCOMPARE(*svgframes::ValueAt(arm, 15), QString("rotate(0) scale(0.5 1)"));
    QCOMPARE(*svgframes::ValueAt(arm, 99), QString("rotate(0)"));
    QCOMPARE(*svgframes::ValueAt("4: #ff0000; 8: #00ff00", 6), QString("#ff0000"));
    QCOMPARE(*svgframes::ValueAt("4: -10; 8: 10", 1), QString("-10"));
    QCOMPARE(*svgframes::ValueAt("4: -10; 8: 10", 7), QString("5.000"));
    QVERIFY(!svgframes::ValueAt("5: 1; 5: 2", 5));
    QVERIFY(!svgframes::ValueAt("x: 1", 0));
    QVERIFY(!svgframes::ValueAt("", 0));
}

void TestPictureWriters::animatedDrawingsNeedFramesAndReadableKeys() {
    const QByteArray good = R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10"
        vt-frames="3" vt-delay="8"><rect vt-x="0: 0; 2: 4" y="0" width="2" height="2"/></svg>)";
    QString error;
    const auto animation = svgframes::ReadAnimation(good, &error);
    QVERIFY2(animation, qPrintable(error));
    QCOMPARE(animation->frames, 3);
    QCOMPARE(animation->delay, 8);
    const QByteArray middle = svgframes::Frame(*animation, 1);
    QVERIFY(middle.contains(R"(x="2.000")"));
    QVERIFY(!middle.contains("vt-"));

    QByteArray noFrames = good;
    noFrames.replace(R"(vt-frames="3")", "");
    QVERIFY(!svgframes::ReadAnimation(noFrames, &error));
    QVERIFY(error.contains("vt-frames"));
    QByteArray tooFast = good;
    tooFast.replace(R"(vt-delay="8")", R"(vt-delay="1")");
    QVERIFY(!svgframes::ReadAnimation(tooFast, &error));
    QByteArray badKeys = good;
    badKeys.replace("0: 0; 2: 4", "2: 0; 1: 4");
    QVERIFY(!svgframes::ReadAnimation(badKeys, &error));
    QVERIFY(error.contains("vt-x"));
}

void TestPictureWriters::filmDescriptionsAreCheckedLineByLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    const QString stage = Stage;
    const QString car = "shape car\nrect ff0000 1 000000 0 0 10 10\n";
    QTest::newRow("no stage") << car + "place car at 0 0 0 0"
                              << "no stage";
    QTest::newRow("huge stage") << "stage 99999 80 10 20"
                                << "line 1: stage";
    QTest::newRow("nothing placed") << stage + car << "nothing placed";
    QTest::newRow("outline first") << stage + "rect ff0000 1 000000 0 0 1 1"
                                   << "line 2: an outline";
    QTest::newRow("bad colour") << stage + "shape a\nrect red 0 - 0 0 1 1"
                                << "line 3: bad fill";
    QTest::newRow("filled line") << stage + "shape a\nline ff0000 1 000000 0,0 1,1"
                                 << "line 3: bad fill";
    QTest::newRow("invisible") << stage + "shape a\nrect - 0 - 0 0 1 1"
                               << "line 3: an outline";
    QTest::newRow("short poly") << stage + "shape a\npoly ff0000 0 - 0,0 1,1"
                                << "line 3: too few";
    QTest::newRow("empty shape") << stage + "shape a\n" + car + "place car at 0 0 0 0"
                                 << "shape a has no outline";
    QTest::newRow("twice the name") << stage + car + car << "line 4: shape needs one new name";
    QTest::newRow("unknown shape") << stage + car + "place bus at 0 0 0 0"
                                   << "line 4: unknown shape bus";
    QTest::newRow("falling keys") << stage + car + "place car at 5 0 0 0 5 1 1 0"
                                  << "line 4: key frames must rise";
    QTest::newRow("half a key") << stage + car + "place car at 0 0 0"
                                << "line 4: place needs";
    QTest::newRow("not a number") << stage + car + "place car at 0 0 nan 0"
                                  << "line 4: bad key";
    QTest::newRow("unknown") << stage + "# a comment\ncircle 1"
                             << "line 3: unknown statement";
}

void TestPictureWriters::filmDescriptionsAreCheckedLineByLine() {
    QFETCH(QString, text);
    QFETCH(QString, error);
    QString reason;
    QVERIFY(!swf::ParseMovie(text, &reason));
    QVERIFY2(reason.startsWith(error), qPrintable(reason));
}

void TestPictureWriters::placesMoveAlongTheirKeys() {
    swf::Placement placement;
    placement.keys = {{10, {0, 0}, 0}, {20, {100, 50}, 90}, {30, {100, 50}, 90}};
    QCOMPARE(swf::PlaceAt(placement, 0).position, QPointF(0, 0));
    QCOMPARE(swf::PlaceAt(placement, 15).position, QPointF(50, 25));
    QCOMPARE(swf::PlaceAt(placement, 15).angle, 45.0);
    QCOMPARE(swf::PlaceAt(placement, 25).position, QPointF(100, 50));
    QCOMPARE(swf::PlaceAt(placement, 99).angle, 90.0);
}

void TestPictureWriters::filmFileHasHeaderFramesAndShapes() {
    QString error;
    const auto movie = swf::ParseMovie(QString(Stage) + "background 336699\n"
                                                        "shape road\nrect 666666 0 - 0 0 100 80\n"
                                                        "shape car\npoly ff0000 2 000000 0,0 "
                                                        "-10,20 10,20\nline - 1 ffffff 0,0 0,-5\n"
                                                        "place road at 0 0 0 0\n"
                                                        "place car at 0 10 10 0 10 90 70 180\n",
                                       &error);
    QVERIFY2(movie, qPrintable(error));
    const QByteArray file = swf::WriteMovie(*movie);
    QCOMPARE(file.left(4), QByteArray("FWS\x0A"));
    QCOMPARE(LittleEndianAt(file, 4, 4), quint32(file.size()));
    // Stage 100 × 80 pixels in twips: 2000 and 1600 need 12 signed bits each.
    QCOMPARE(quint8(file[8]) >> 3, 12);
    const int afterRect = 8 + (5 + 4 * 12 + 7) / 8;
    QCOMPARE(quint16(LittleEndianAt(file, afterRect, 2)), quint16(10 << 8));
    QCOMPARE(quint16(LittleEndianAt(file, afterRect + 2, 2)), quint16(20));
    // Walk the tags: every frame shown, both shapes defined, the still road placed once,
    // the car placed once and moved on frames 1 to 10 only, where it stands still after.
    QMap<int, int> tags;
    int at = afterRect + 4;
    int lastCode = -1;
    while (at + 2 <= file.size()) {
        const quint16 header = quint16(LittleEndianAt(file, at, 2));
        int length = header & 0x3F;
        at += 2;
        if (length == 0x3F) {
            length = int(LittleEndianAt(file, at, 4));
            at += 4;
        }
        lastCode = header >> 6;
        ++tags[lastCode];
        if (lastCode == 9)
            QCOMPARE(file.mid(at, 3), QByteArray("\x33\x66\x99"));
        at += length;
    }
    QCOMPARE(at, int(file.size()));
    QCOMPARE(lastCode, 0);
    QCOMPARE(tags.value(1), 20);
    QCOMPARE(tags.value(2), 2);
    QCOMPARE(tags.value(26), 2 + 10);
    QCOMPARE(tags.value(69), 1);
}

QTEST_MAIN(TestPictureWriters)
#include "tst_picture_writers.moc"
