#include "app/Startup.h"
#include "data/MessageBox.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>
#include <sys/stat.h>

namespace {

// Throws from its event handler, as a failing picture decoder would.
class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Unknown picture file extension (.xyz)");
        return QObject::event(event);
    }
};

// A copy of the program in a folder of its own, with only the given files beside it.
class Installation {
public:
    explicit Installation(const QStringList& files) {
        for (const QString& file : QStringList{"veltrano"} + files)
            QFile::copy(TestSupport::BinDir() + "/" + file, Folder.filePath(file));
        QFile::setPermissions(Program(), QFile::permissions(Program()) | QFileDevice::ExeOwner);
    }
    QString Program() const { return Folder.filePath("veltrano"); }
    QString Path(const QString& file) const { return Folder.filePath(file); }

private:
    QTemporaryDir Folder;
};

// Starts the program without a screen; message boxes go to standard error.
void Start(QProcess& process, const Installation& installation, const QString& runtimeFolder,
           bool exitAfterShow, const QStringList& wrapper = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder);
    environment.insert("XDG_CONFIG_HOME", runtimeFolder + "/config");
    environment.insert("XDG_DATA_HOME", runtimeFolder + "/data");
    environment.insert("VELTRANO_MESSAGES_TO_STDERR", "1");
    environment.insert("VELTRANO_EXIT_AFTER_SHOW", exitAfterShow ? "1" : "0");
    process.setProcessEnvironment(environment);
    if (wrapper.isEmpty())
        process.start(installation.Program(), {});
    else
        process.start(wrapper.first(), wrapper.mid(1) + QStringList{installation.Program()});
    QVERIFY(process.waitForStarted(10000));
}

struct RunResult {
    int code = -1;
    QString output;
    QString messages;
};

RunResult RunToEnd(const Installation& installation, const QString& runtimeFolder,
                   const QStringList& wrapper = {}) {
    QProcess process;
    Start(process, installation, runtimeFolder, true, wrapper);
    RunResult result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.code = process.exitCode();
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.messages = QString::fromUtf8(process.readAllStandardError());
    return result;
}

ino_t Inode(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_ino;
}

const QStringList kLibraryAndBank{"libEncryption.so", "DriveDB.db"};

// Runs the program with its own folder mounted read-only, as an installed copy is.
const QStringList kReadOnlyInstallation{
    "unshare", "-m", "sh", "-c",
    "dir=$(dirname \"$0\") && mount --bind \"$dir\" \"$dir\" && "
    "mount -o remount,bind,ro \"$dir\" && exec \"$0\""};

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        MessageBoxHook::Enable(true);
        MessageBoxHook::Clear();
    }

    void escapingExceptionIsShownAndTheLoopGoesOn() {
        ThrowingObject object;
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(MessageBoxHook::Recorded(),
                 QStringList(2, QStringLiteral("Unknown picture file extension (.xyz)")));
    }

    void captionsAreLeftAsTheProgramWritesThem() {
        // An explicit display name is appended by the platform to every window caption.
        Startup::SetUpApplication(*qApp);
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Veltrano助手"));
        QCoreApplication::setApplicationName(QStringLiteral("probe"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
        QCOMPARE(QApplication::font().pixelSize(), 14);
        Startup::SetUpApplication(*qApp);
    }

    void lockIsHeldWhateverItsAge() {
        qputenv("XDG_RUNTIME_DIR", RuntimeFolder.path().toLocal8Bit());
        std::unique_ptr<QLockFile> first = Startup::TakeInstanceLock();
        QVERIFY(first && first->isLocked());
        // An instance that has run for hours still keeps the second start away.
        QFile lockFile(Startup::InstanceLockFile());
        QVERIFY(lockFile.open(QIODevice::ReadWrite));
        QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-7200),
                                     QFileDevice::FileModificationTime));
        lockFile.close();
        QVERIFY(!Startup::TakeInstanceLock());
        first.reset();
        QVERIFY(Startup::TakeInstanceLock());
    }

    void secondStartShowsTheMessageAndEnds() {
        Installation installation(kLibraryAndBank);
        QTemporaryDir runtime;
        QProcess first;
        Start(first, installation, runtime.path(), false);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath("Veltrano助手.lock")), 30000);

        const RunResult second = RunToEnd(installation, runtime.path());
        QCOMPARE(second.code, 0);
        QCOMPARE(second.messages.trimmed(), QStringLiteral("程序已在运行中！"));
        QVERIFY(!second.output.contains("main window shown"));
        QCOMPARE(first.state(), QProcess::Running);

        // The lock of a run that was killed does not block the next start.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        const RunResult next = RunToEnd(installation, runtime.path());
        QVERIFY2(next.output.contains("main window shown"), qPrintable(next.messages));
    }

    void missingAnswerCodeLibraryEndsBeforeAnyWindow() {
        Installation installation({"DriveDB.db"});
        QTemporaryDir runtime;
        const RunResult result = RunToEnd(installation, runtime.path());
        QCOMPARE(result.code, 1);
        QVERIFY2(result.messages.contains("libEncryption.so"), qPrintable(result.messages));
        QVERIFY(!result.output.contains("main window shown"));
    }

    void missingPictureLibrariesAreNamedAndTheProgramGoesOn() {
        Installation installation(kLibraryAndBank + QStringList{"MainImage.so"});
        QTemporaryDir runtime;
        const RunResult result = RunToEnd(installation, runtime.path());
        QCOMPARE(result.code, 0);
        QVERIFY2(result.messages.contains("SubImage.so"), qPrintable(result.messages));
        QVERIFY(!result.messages.contains("MainImage.so"));
        QVERIFY(result.output.contains("main window shown"));
    }

    void missingOrDamagedBankEndsWithTheConnectionMessage() {
        for (const bool damaged : {false, true}) {
            Installation installation({"libEncryption.so"});
            if (damaged) {
                QFile bank(installation.Path("DriveDB.db"));
                QVERIFY(bank.open(QIODevice::WriteOnly));
                bank.write(QByteArray(8192, '\x5a'));
            }
            QTemporaryDir runtime;
            const RunResult result = RunToEnd(installation, runtime.path());
            QCOMPARE(result.code, 1);
            QCOMPARE(result.messages.trimmed().split('\n').last(),
                     QStringLiteral("本地连接失败，请检查文件是否丢失！"));
            QVERIFY(result.messages.contains(QStringLiteral("本地数据库连接失败")));
            QVERIFY(!result.output.contains("main window shown"));
        }
    }

    void installedCopyWorksOnItsOwnCopyOfTheBank() {
        Installation installation(kLibraryAndBank);
        QTemporaryDir runtime;
        if (QProcess::execute("unshare", {"-m", "true"}) != 0)
            QSKIP("no private mount namespace here to mount the installation read-only");
        const RunResult first = RunToEnd(installation, runtime.path(), kReadOnlyInstallation);
        QVERIFY2(first.output.contains("main window shown"), qPrintable(first.messages));
        const QString copy = runtime.filePath("data/veltrano/DriveDB.db");
        QCOMPARE(QFileInfo(copy).size(), QFileInfo(installation.Path("DriveDB.db")).size());
        QVERIFY(QFileInfo(copy).isWritable());
        QVERIFY(QFileInfo(runtime.filePath("config/veltrano")).isDir());

        // The copy holds the learner's marks: a later start keeps that very file.
        const ino_t copied = Inode(copy);
        const RunResult second = RunToEnd(installation, runtime.path(), kReadOnlyInstallation);
        QVERIFY2(second.output.contains("main window shown"), qPrintable(second.messages));
        QCOMPARE(Inode(copy), copied);
    }

private:
    QTemporaryDir RuntimeFolder;
};

int main(int argc, char** argv) {
    VeltranoApplication app(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Startup.moc"
