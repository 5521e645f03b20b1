// The nine resource libraries, loaded with dlopen from the output folder as the program
// finds them, and called through their C interface.
#include "../support/TestEnvironment.h"
#include "PrivateTempFolder.h"
#include "ResourceLibraryAbi.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
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

} // namespace

class TestResourceLibraries : public QObject {
    Q_OBJECT
private slots:
    void everyLibraryExportsItsFunction();
    void picturesAreWrittenToThePrivateFolder();
    void unknownAndHostileNamesGetAnEmptyPath_data();
    void unknownAndHostileNamesGetAnEmptyPath();
    void mainPicturesHaveTheirDesignSizes();
    void soundsStartWithoutBlocking();
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

void TestResourceLibraries::soundsStartWithoutBlocking() {
    const auto loadWaveRes = Bind<VeltranoWaveFunction>("MainImage", "LoadWaveRes");
    QElapsedTimer timer;
    timer.start();
    for (const char* name : {"RightSound", "WrongSound", "RightSound", "NoSuchSound", ""})
        loadWaveRes(name);
    loadWaveRes(nullptr);
    QVERIFY2(timer.elapsed() < 1000, "playing a sound must not wait for it to end");
}

QTEST_MAIN(TestResourceLibraries)
#include "tst_resource_libraries.moc"
