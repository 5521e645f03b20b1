// The version check against a real grade service: the answers for V1.4, V1.5, V1.10, no
// row and an unreachable service, in both modes, and the end of the program after an
// accepted update at start-up.
#include "../server/ServiceProcess.h"
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "online/URLInfo.h"
#include "online/uGetExeVersionThread.h"
#include "support/TestSupport.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QString Question = QStringLiteral("发现本软件有新版本，是否下载新版本！");
const QString Latest = QStringLiteral("本软件已经是最新版本！");
const QString Download = QStringLiteral("http://site.lan/download/");

} // namespace

class VersionCheckTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Folder;
    std::unique_ptr<ServiceProcess> Service;
    std::unique_ptr<TdmMain> Module;
    std::unique_ptr<TfrmMain> Window;

    void SetVersion(const QString& version) {
        const auto [code, output] =
            RunAdministration({"set-version", version, "--db", TestStore(Folder.path())});
        QVERIFY2(code == 0, qPrintable(output));
    }

    // Runs one check of `mode` to its end and lets the window act on it; returns the texts
    // of the boxes shown and the addresses opened.
    QStringList Check(int mode, MsgAnswer answer = MsgAnswer::Yes) {
        MessageBoxHook::Clear();
        MessageBoxHook::SetNextAnswer(answer);
        OpenRecorder::Enable(true);
        TGetExeVersionThread check(mode, QStringLiteral("V1.4"), dmMain->ServerInfo);
        connect(&check, &TGetExeVersionThread::Checked, Window.get(), &TfrmMain::VersionChecked);
        check.start();
        check.wait(15000);
        QCoreApplication::processEvents();
        return MessageBoxHook::Recorded() + OpenRecorder::Opened();
    }

    QStringList Shown;

    // Answers Yes to a check run inside an event loop; the loop's code is 0 when the program
    // was ended, 7 when it still ran after the check had finished.
    int RunCheckInLoop(int mode) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            Shown = Check(mode, MsgAnswer::Yes);
            QTimer::singleShot(300, &loop, [&] { loop.exit(7); });
        });
        return loop.exec();
    }

private slots:
    void initTestCase() {
        TestSupport::UseFreshDataFolder(false);
        qputenv("VELTRANO_SITE", "site.lan");
        Service = std::make_unique<ServiceProcess>(TestStore(Folder.path()));
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Module = std::make_unique<TdmMain>();
        dmMain = Module.get();
        dmMain->ServerInfo = {"127.0.0.1", Service->Port(), "dspClient3", {}};
        Window = std::make_unique<TfrmMain>();
    }
    void cleanupTestCase() {
        Window.reset();
        dmMain = nullptr;
    }

    void noRowIsNoNews() {
        QCOMPARE(Check(1), QStringList());
        QCOMPARE(Check(2), QStringList{Latest});
    }

    void sameVersionIsNoNews() {
        SetVersion("V1.4");
        QCOMPARE(Check(1), QStringList());
        QCOMPARE(Check(2), QStringList{Latest});
    }

    void twoDigitMinorIsNewer() {
        SetVersion("V1.10");
        QCOMPARE(Check(2, MsgAnswer::No), QStringList{Question});
    }

    void newerVersionOnRequestOpensTheDownloadPageAndKeepsRunning() {
        SetVersion("V1.5");
        QCOMPARE(Check(2, MsgAnswer::No), QStringList{Question});
        QCOMPARE(RunCheckInLoop(2), 7);
        QCOMPARE(Shown, QStringList({Question, Download}));
    }

    void newerVersionAtStartUpEndsTheProgramOnYes() {
        SetVersion("V1.5");
        QCOMPARE(Check(1, MsgAnswer::No), QStringList{Question});
        QCOMPARE(RunCheckInLoop(1), 0);
        QCOMPARE(Shown, QStringList({Question, Download}));
    }

    void windowAsksAtStartUpAndOnRequest() {
        SetVersion("V1.5");
        MessageBoxHook::Clear();
        MessageBoxHook::SetNextAnswer(MsgAnswer::No);
        TfrmMain window;
        QTRY_COMPARE_WITH_TIMEOUT(MessageBoxHook::Recorded(), QStringList{Question}, 10000);
        MessageBoxHook::SetNextAnswer(MsgAnswer::No);
        window.findChild<QToolButton*>("grpMoreOptionItems3")->click();
        QTRY_COMPARE_WITH_TIMEOUT(MessageBoxHook::Recorded().size(), 2, 10000);
    }

    void checkAsksTheServiceItWasGivenWithoutTheDataModule() {
        SetVersion("V1.4");
        TGetExeVersionThread check(2, QStringLiteral("V1.4"), dmMain->ServerInfo);
        dmMain = nullptr;
        VersionCheckAnswer answer = VersionCheckAnswer::Nothing;
        connect(&check, &TGetExeVersionThread::Checked, this,
                [&answer](VersionCheckAnswer given) { answer = given; });
        check.start();
        check.wait(15000);
        QCoreApplication::processEvents();
        dmMain = Module.get();
        QCOMPARE(answer, VersionCheckAnswer::Latest);
    }

    void unreachableServiceSendsARequestToTheDownloadPage() {
        dmMain->ServerInfo.Port = 9;
        QCOMPARE(Check(1), QStringList());
        QCOMPARE(Check(2), QStringList{Download});
        dmMain->ServerInfo.Port = Service->Port();
    }
};

QTEST_MAIN(VersionCheckTest)
#include "tst_VersionCheck.moc"
