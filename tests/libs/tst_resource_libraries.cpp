// The nine resource libraries, loaded with dlopen from the output folder exactly as the
// program finds them, and called through their C interface.
#include "PrivateTempFolder.h"
#include "ResourceLibraryAbi.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStringEncoder>
#include <QTest>

#include <dlfcn.h>

namespace {

QString BinDir() {
    return qEnvironmentVariable("VELTRANO_BIN_DIR");
}

void* Open(const QString& library) {
    return dlopen(QFile::encodeName(BinDir() + "/" + library + ".so").constData(),
                  RTLD_NOW | RTLD_LOCAL);
}

template <typename Function> Function Bind(const char* library, const char* function) {
    void* handle = Open(QString::fromLatin1(library));
    return handle ? reinterpret_cast<Function>(dlsym(handle, function)) : nullptr;
}

// Calls a picture function; returns the path (as GBK bytes) and checks that the returned
// length and the NUL-terminated buffer agree.
QByteArray AskPicture(VeltranoPictureFunction function, const char* name, const char* type) {
    char result[VELTRANO_PICTURE_PATH_CAPACITY];
    std::memset(result, 'x', sizeof result);
    const int length = function(result, name, type);
    const QByteArray path(result);
    if (length != path.size())
        qWarning("returned length %d but the buffer holds %lld bytes", length,
                 static_cast<long long>(path.size()));
    return length == path.size() ? path : QByteArray("length mismatch");
}

QImage MainPicture(const char* name) {
    const auto loadJpgRes = Bind<VeltranoJpegFunction>("MainImage", "LoadJpgRes");
    const int size = loadJpgRes(name, nullptr, 0);
    QByteArray bytes(size, '\0');
    loadJpgRes(name, reinterpret_cast<unsigned char*>(bytes.data()), size);
    return QImage::fromData(bytes, "JPEG");
}

} // namespace

class TestResourceLibraries : public QObject {
    Q_OBJECT
private slots:
    void everyLibraryExportsItsFunction_data();
    void everyLibraryExportsItsFunction();
    void subImageServesAPictureFile();
    void unknownAndHostileNamesGetAnEmptyPath_data();
    void unknownAndHostileNamesGetAnEmptyPath();
    void librariesKeepToTheirOwnFiles();
    void mainPicturesHaveTheirDesignSizes_data();
    void mainPicturesHaveTheirDesignSizes();
    void jpegBytesAreCopiedOnlyIntoABufferLargeEnough();
    void soundsStartWithoutBlocking();
};

void TestResourceLibraries::everyLibraryExportsItsFunction_data() {
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("function");
    QTest::newRow("main jpeg") << "MainImage"
                               << "LoadJpgRes";
    QTest::newRow("main wave") << "MainImage"
                               << "LoadWaveRes";
    for (const char* kind : {"Sub", "VideoTeach", "TrafficSign", "TrafficPoliceMotion",
                             "AccidentSchema", "MeterSchema", "TrafficRule", "JudgeStandard"}) {
        const QString library = QString::fromLatin1(kind) + "Image";
        QTest::newRow(kind) << library << "Load" + library;
    }
}

void TestResourceLibraries::everyLibraryExportsItsFunction() {
    QFETCH(QString, library);
    QFETCH(QString, function);
    void* handle = Open(library);
    QVERIFY2(handle, dlerror());
    QVERIFY(dlsym(handle, function.toLatin1().constData()));
    // Nothing of the shared implementation leaks out under its C++ names.
    QVERIFY(!dlsym(handle, "_ZN8veltrano9resources14ProvidePictureEPcPKcS3_"));
}

void TestResourceLibraries::subImageServesAPictureFile() {
    const auto loadSubImage = Bind<VeltranoPictureFunction>("SubImage", "LoadSubImage");
    QVERIFY(loadSubImage);
    const QByteArray path = AskPicture(loadSubImage, "sign_no_entry", "png");
    QVERIFY(path.endsWith(".png"));
    QVERIFY(path.startsWith(QByteArray::fromStdString(veltrano::PrivateTempFolder())));
    const QImage picture(QString::fromUtf8(path));
    QVERIFY(!picture.isNull());
    QVERIFY(picture.hasAlphaChannel());

    // Asked again after the file was removed, the library writes it anew.
    QFile::remove(QString::fromUtf8(path));
    QCOMPARE(AskPicture(loadSubImage, "sign_no_entry", "png"), path);
    QVERIFY(QFileInfo::exists(QString::fromUtf8(path)));
}

void TestResourceLibraries::unknownAndHostileNamesGetAnEmptyPath_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("nullName");
    QTest::newRow("unknown name") << QByteArray("no_such_picture") << QByteArray("png") << false;
    QTest::newRow("known name, other type")
        << QByteArray("sign_no_entry") << QByteArray("gif") << false;
    QTest::newRow("empty name") << QByteArray() << QByteArray("png") << false;
    QTest::newRow("empty type") << QByteArray("sign_no_entry") << QByteArray() << false;
    QTest::newRow("null name") << QByteArray() << QByteArray("png") << true;
    QTest::newRow("parent folder")
        << QByteArray("../SubImage/sign_no_entry") << QByteArray("png") << false;
    QTest::newRow("absolute path") << QByteArray("/etc/passwd") << QByteArray("png") << false;
    QTest::newRow("traversal in type")
        << QByteArray("sign_no_entry") << QByteArray("png/../../x") << false;
    QTest::newRow("dots only") << QByteArray("..") << QByteArray("png") << false;
    QTest::newRow("overlong name") << QByteArray(5000, 'a') << QByteArray("png") << false;
    QTest::newRow("invalid GBK") << QByteArray("\xff\xff\xff") << QByteArray("png") << false;
    QStringEncoder toGbk("GBK");
    QTest::newRow("Chinese name") << QByteArray(toGbk.encode(QStringLiteral("禁止驶入")))
                                  << QByteArray("png") << false;
}

void TestResourceLibraries::unknownAndHostileNamesGetAnEmptyPath() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, type);
    QFETCH(bool, nullName);
    const auto loadSubImage = Bind<VeltranoPictureFunction>("SubImage", "LoadSubImage");
    const QByteArray path =
        AskPicture(loadSubImage, nullName ? nullptr : name.constData(), type.constData());
    QVERIFY2(path.isEmpty(), path.constData());
}

void TestResourceLibraries::librariesKeepToTheirOwnFiles() {
    // A picture of SubImage is not served by a teaching library, nor a main picture by
    // SubImage: every library answers only for what it carries itself.
    const auto loadTrafficRuleImage =
        Bind<VeltranoPictureFunction>("TrafficRuleImage", "LoadTrafficRuleImage");
    QVERIFY(AskPicture(loadTrafficRuleImage, "sign_no_entry", "png").isEmpty());
    const auto loadSubImage = Bind<VeltranoPictureFunction>("SubImage", "LoadSubImage");
    QVERIFY(AskPicture(loadSubImage, "Head", "jpg").isEmpty());
    const auto loadJpgRes = Bind<VeltranoJpegFunction>("MainImage", "LoadJpgRes");
    QCOMPARE(loadJpgRes("sign_no_entry", nullptr, 0), 0);
    QCOMPARE(loadJpgRes("../SubImage/sign_no_entry", nullptr, 0), 0);
    QCOMPARE(loadJpgRes(nullptr, nullptr, 0), 0);
}

void TestResourceLibraries::mainPicturesHaveTheirDesignSizes_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("Head") << QByteArray("Head") << QSize(208, 100);
    QTest::newRow("MainPage") << QByteArray("MainPage") << QSize(834, 604);
    QTest::newRow("ListNormal") << QByteArray("ListNormal") << QSize(825, 45);
    QTest::newRow("ListFocus") << QByteArray("ListFocus") << QSize(825, 45);
    QTest::newRow("ListPress") << QByteArray("ListPress") << QSize(825, 45);
    QTest::newRow("MockExam") << QByteArray("MockExam") << QSize(1024, 743);
    QTest::newRow("MockExamLogin") << QByteArray("MockExamLogin") << QSize(818, 614);
}

void TestResourceLibraries::mainPicturesHaveTheirDesignSizes() {
    QFETCH(QByteArray, name);
    QFETCH(QSize, size);
    QCOMPARE(MainPicture(name.constData()).size(), size);
}

void TestResourceLibraries::jpegBytesAreCopiedOnlyIntoABufferLargeEnough() {
    const auto loadJpgRes = Bind<VeltranoJpegFunction>("MainImage", "LoadJpgRes");
    const int size = loadJpgRes("Head", nullptr, 0);
    QVERIFY(size > 0);
    QByteArray small(size - 1, '\x55');
    QCOMPARE(loadJpgRes("Head", reinterpret_cast<unsigned char*>(small.data()), size - 1), size);
    QCOMPARE(small, QByteArray(size - 1, '\x55'));
}

void TestResourceLibraries::soundsStartWithoutBlocking() {
    const auto loadWaveRes = Bind<VeltranoWaveFunction>("MainImage", "LoadWaveRes");
    QElapsedTimer timer;
    timer.start();
    for (const char* name : {"RightSound", "WrongSound", "RightSound", "NoSuchSound", ""})
        loadWaveRes(name);
    loadWaveRes(nullptr);
    QVERIFY2(timer.elapsed() < 1000, "playing a sound must not wait for it to end");
    QTest::qWait(50);
}

QTEST_MAIN(TestResourceLibraries)
#include "tst_resource_libraries.moc"
