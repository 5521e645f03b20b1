// The nine resource libraries, loaded with dlopen from the output folder as the program
// finds them, and called through their C interface.
#include "../support/TestEnvironment.h"
#include "BankCsv.h"
#include "GifFrames.h"
#include "PrivateTempFolder.h"
#include "ResourceLibraryAbi.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QStringEncoder>
#include <QTest>

#include <dlfcn.h>

namespace {

template <typename Function> Function Bind(const QString& library, const char* function) {
    const QString path =
        TestEnvironment::RequiredFolder("VELTRANO_BIN_DIR") + "/" + library + ".so";
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    return handle ? reinterpret_cast<Function>(dlsym(handle, function)) : nullptr;
}

const auto LoadSubImage = [] { return Bind<VeltranoPictureFunction>("SubImage", "LoadSubImage"); };
const auto LoadJpgRes = [] { return Bind<VeltranoJpegFunction>("MainImage", "LoadJpgRes"); };

// The path a picture function returns; the returned length must match the buffer.
QByteArray AskPicture(VeltranoPictureFunction function, const char* name, const char* type) {
    char result[VELTRANO_PICTURE_PATH_CAPACITY];
    std::memset(result, 'x', sizeof result);
    const int length = function(result, name, type);
    return length == int(std::strlen(result)) ? QByteArray(result) : "length mismatch";
}

// The bytes of the file a picture function names, or nothing.
QByteArray Fetch(const QString& library, const QString& name, const QString& type) {
    const auto function = Bind<VeltranoPictureFunction>(library, qPrintable("Load" + library));
    QFile file(QString::fromUtf8(AskPicture(function, qPrintable(name), qPrintable(type))));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<CsvRecord> TeachRows(const char* topic) {
    return ReadCsvFile(qEnvironmentVariable("VELTRANO_SOURCE_DIR") +
                       "/assets/bank/DriveTeachList-" + topic + ".csv")
        .Records;
}

// Whether each arm leaves its place at attention during a gesture: the pixels where the
// lower arm hangs (left and right as the viewer sees the officer) change in some frame.
std::pair<bool, bool> ArmsMoving(const QList<QImage>& frames) {
    const auto changes = [&](const QRect& area) {
        int changed = 0;
        for (const QImage& frame : frames)
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    changed += frame.pixel(x, y) != frames.front().pixel(x, y) ? 1 : 0;
        return changed;
    };
    return {changes(QRect(312, 230, 30, 45)) > 50, changes(QRect(438, 230, 30, 45)) > 50};
}

} // namespace

class TestResourceLibraries : public QObject {
    Q_OBJECT
private slots:
    void everyLibraryExportsItsFunction();
    void picturesAreWrittenToThePrivateFolder();
    void unknownAndHostileNamesGetAnEmptyPath_data();
    void unknownAndHostileNamesGetAnEmptyPath();
    void mainPicturesHaveTheirDesignSizes();
    void theSoundBackEndLoadsWithTheFirstSound();
    void soundsStartWithoutBlocking();
    void signFamiliesHaveTheirPicturesAndThumbnails();
    void policeGesturesMoveTheRightArms();
    void lessonsAreOnePerEntryAndPlayable();
};

void TestResourceLibraries::everyLibraryExportsItsFunction() {
    QVERIFY(LoadJpgRes());
    QVERIFY((Bind<VeltranoWaveFunction>("MainImage", "LoadWaveRes")));
    for (const char* kind : {"Sub", "VideoTeach", "TrafficSign", "TrafficPoliceMotion",
                             "AccidentSchema", "MeterSchema", "TrafficRule", "JudgeStandard"}) {
        const QString library = QString::fromLatin1(kind) + "Image";
        QVERIFY2((Bind<VeltranoPictureFunction>(library, qPrintable("Load" + library))),
                 qPrintable(library));
    }
    // The shared implementation stays inside: only the C functions are exported.
    QVERIFY(!(Bind<void*>("SubImage", "_ZN8veltrano9resources14ProvidePictureEPcPKcS3_")));
}

void TestResourceLibraries::picturesAreWrittenToThePrivateFolder() {
    const QByteArray path = AskPicture(LoadSubImage(), "sign_no_entry", "png");
    QVERIFY(path.endsWith(".png"));
    QVERIFY(path.startsWith(QByteArray::fromStdString(veltrano::PrivateTempFolder())));
    QVERIFY(QImage(QString::fromUtf8(path)).hasAlphaChannel());
    // Removed by the close of an earlier run, the file is written anew.
    QFile::remove(QString::fromUtf8(path));
    QCOMPARE(AskPicture(LoadSubImage(), "sign_no_entry", "png"), path);
    QVERIFY(QFileInfo::exists(QString::fromUtf8(path)));
}

void TestResourceLibraries::unknownAndHostileNamesGetAnEmptyPath_data() {
    QTest::addColumn<QString>("library");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("type");
    const QByteArray png("png");
    QTest::newRow("unknown name") << "SubImage" << QByteArray("no_such_picture") << png;
    QTest::newRow("other type") << "SubImage" << QByteArray("sign_no_entry") << QByteArray("gif");
    QTest::newRow("empty type") << "SubImage" << QByteArray("sign_no_entry") << QByteArray();
    QTest::newRow("other library's picture")
        << "TrafficRuleImage" << QByteArray("sign_no_entry") << png;
    QTest::newRow("parent folder") << "SubImage" << QByteArray("../SubImage/sign_no_entry") << png;
    QTest::newRow("absolute path") << "SubImage" << QByteArray("/etc/passwd") << png;
    QTest::newRow("traversal in type")
        << "SubImage" << QByteArray("sign_no_entry") << QByteArray("png/../../x");
    QTest::newRow("dots") << "SubImage" << QByteArray("..") << png;
    QTest::newRow("overlong name") << "SubImage" << QByteArray(5000, 'a') << png;
    QTest::newRow("invalid GBK") << "SubImage" << QByteArray("\xff\xff\xff") << png;
    QTest::newRow("Chinese name") << "SubImage"
                                  << QByteArray(
                                         QStringEncoder("GBK").encode(QStringLiteral("禁止驶入")))
                                  << png;
}

void TestResourceLibraries::unknownAndHostileNamesGetAnEmptyPath() {
    QFETCH(QString, library);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, type);
    const auto function = Bind<VeltranoPictureFunction>(library, qPrintable("Load" + library));
    QCOMPARE(AskPicture(function, name.constData(), type.constData()), QByteArray());
    QCOMPARE(AskPicture(function, nullptr, type.constData()), QByteArray());
    QCOMPARE(LoadJpgRes()(name.constData(), nullptr, 0), 0);
}

void TestResourceLibraries::mainPicturesHaveTheirDesignSizes() {
    const QList<std::pair<const char*, QSize>> pictures = {
        {"Head", {1012, 100}},        {"MainPage", {834, 604}}, {"ListNormal", {825, 45}},
        {"ListFocus", {825, 45}},     {"ListPress", {825, 45}}, {"MockExam", {1024, 743}},
        {"MockExamLogin", {818, 614}}};
    for (const auto& [name, size] : pictures) {
        const int length = LoadJpgRes()(name, nullptr, 0);
        QByteArray bytes(length, '\x55');
        // A buffer one byte short receives nothing.
        QCOMPARE(LoadJpgRes()(name, reinterpret_cast<unsigned char*>(bytes.data()), length - 1),
                 length);
        QCOMPARE(bytes, QByteArray(length, '\x55'));
        LoadJpgRes()(name, reinterpret_cast<unsigned char*>(bytes.data()), length);
        QCOMPARE(QImage::fromData(bytes, "JPEG").size(), size);
    }
}

void TestResourceLibraries::theSoundBackEndLoadsWithTheFirstSound() {
    const auto loaded = [](const char* library) {
        void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        return handle != nullptr;
    };
    const QString module =
        TestEnvironment::RequiredFolder("VELTRANO_BIN_DIR") + "/MainImageSound.so";
    const QByteArray modulePath = QFile::encodeName(module);
    const auto loadWaveRes = Bind<VeltranoWaveFunction>("MainImage", "LoadWaveRes");
    QVERIFY(loadWaveRes);
    QVERIFY2(!loaded("libQt6Multimedia.so.6"), "MainImage must not bring the audio back-end");
    // Names that are no sound of the library play nothing and load nothing.
    loadWaveRes("NoSuchSound");
    loadWaveRes("../MainImage");
    QVERIFY(!loaded(modulePath.constData()));
    loadWaveRes("RightSound");
    QVERIFY(loaded(modulePath.constData()));
    QVERIFY(loaded("libQt6Multimedia.so.6"));
}

void TestResourceLibraries::soundsStartWithoutBlocking() {
    const auto loadWaveRes = Bind<VeltranoWaveFunction>("MainImage", "LoadWaveRes");
    QElapsedTimer timer;
    timer.start();
    for (const char* name : {"RightSound", "WrongSound", "RightSound", "NoSuchSound", ""})
        loadWaveRes(name);
    loadWaveRes(nullptr);
    // Each sound lasts more than 1.7 s: waiting for any one of them to end shows, while a
    // loaded machine has that long to open the audio output.
    QVERIFY2(timer.elapsed() < 1700, "playing a sound must not wait for it to end");
}

void TestResourceLibraries::signFamiliesHaveTheirPicturesAndThumbnails() {
    QMap<int, int> perFamily;
    QSet<QString> names;
    for (const CsvRecord& row : TeachRows("signs")) {
        const int family = row.Fields[0].toInt();
        ++perFamily[family];
        QVERIFY2(!names.contains(row.Fields[1]), qPrintable(row.Fields[1]));
        names.insert(row.Fields[1]);
        QVERIFY(!row.Fields[2].isEmpty() && !row.Fields[3].isEmpty());
        QCOMPARE(row.Fields[4], QString("png"));
        const QImage sign =
            QImage::fromData(Fetch("TrafficSignImage", row.Fields[1], row.Fields[4]), "PNG");
        QVERIFY2(!sign.isNull(), qPrintable(row.Fields[1]));
        QVERIFY(sign.width() <= 300 && sign.height() <= 200);
    }
    QCOMPARE(perFamily.keys(), QList<int>({1, 2, 3, 4, 5, 6, 7}));
    QVERIFY(names.size() >= 120);
    for (int family = 1; family <= 7; ++family) {
        const QByteArray thumbnail = Fetch("TrafficSignImage", QString("J%1").arg(family), "jpg");
        QCOMPARE(QImage::fromData(thumbnail, "JPEG").size(), QSize(276, 206));
    }
}

void TestResourceLibraries::policeGesturesMoveTheRightArms() {
    // Facing the driver, the officer's left arm is on the right of the picture.
    const QMap<QString, std::pair<bool, bool>> moving = {
        {"gesture1_stop", {false, true}},      {"gesture2_straight", {true, true}},
        {"gesture3_left_turn", {true, true}},  {"gesture4_left_turn_wait", {false, true}},
        {"gesture5_right_turn", {true, true}}, {"gesture6_change_lane", {true, false}},
        {"gesture7_slow_down", {true, false}}, {"gesture8_pull_over", {true, true}}};
    const QList<CsvRecord> rows = TeachRows("gestures");
    QCOMPARE(rows.size(), 8);
    for (const CsvRecord& row : rows) {
        QCOMPARE(row.Fields[0], QString("13"));
        QVERIFY2(moving.contains(row.Fields[1]), qPrintable(row.Fields[1]));
        const QList<QImage> frames =
            GifFrames(Fetch("TrafficPoliceMotionImage", row.Fields[1], "gif"));
        QVERIFY2(frames.size() >= 40, qPrintable(row.Fields[1]));
        QCOMPARE(frames.front().size(), QSize(780, 440));
        // Every gesture starts and ends at attention, so it loops without a jump.
        QCOMPARE(frames.front(), frames.back());
        QVERIFY2(ArmsMoving(frames) == moving[row.Fields[1]], qPrintable(row.Fields[1]));
    }
}

void TestResourceLibraries::lessonsAreOnePerEntryAndPlayable() {
    QList<int> entries;
    int films = 0;
    for (const CsvRecord& row : TeachRows("lessons")) {
        entries.append(row.Fields[0].toInt());
        const QString& name = row.Fields[1];
        if (row.Fields[4] == "swf") {
            ++films;
            QVERIFY(Fetch("VideoTeachImage", name, "swf").startsWith("FWS"));
        } else {
            QCOMPARE(row.Fields[4], QString("gif"));
        }
        // Every lesson is also an animated picture of the lesson's slot size.
        const QList<QImage> frames = GifFrames(Fetch("VideoTeachImage", name, "gif"));
        QVERIFY2(frames.size() >= 24, qPrintable(name));
        QCOMPARE(frames.front().size(), QSize(780, 480));
        QVERIFY2(frames.front() != frames[frames.size() / 2], qPrintable(name));
        const QByteArray thumbnail =
            Fetch("VideoTeachImage", QString("J%1").arg(entries.back()), "jpg");
        QCOMPARE(QImage::fromData(thumbnail, "JPEG").size(), QSize(276, 206));
    }
    QCOMPARE(entries, QList<int>({32, 33, 34, 35, 36, 37, 38, 39, 40, 41}));
    QVERIFY(films >= 2);
}

QTEST_MAIN(TestResourceLibraries)
#include "tst_resource_libraries.moc"
