// Rules of the online services that need no window: the site addresses, the version
// comparison and the outcome of a version check, the reachability test and the order in
// which connection checks report.
#include "online/URLInfo.h"
#include "online/uConnectURLThread.h"
#include "online/uGetExeVersionThread.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

class OnlineRulesTest : public QObject {
    Q_OBJECT
private slots:
    void siteHostFromSetting_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("host");
        const QString local = QStringLiteral("127.0.0.1:2112");
        QTest::newRow("unset") << QString() << local;
        QTest::newRow("name") << QStringLiteral("www.veltrano.cn") << "www.veltrano.cn";
        QTest::newRow("name and port") << QStringLiteral(" site.lan:8080 ") << "site.lan:8080";
        QTest::newRow("scheme") << QStringLiteral("http://site.lan") << local;
        QTest::newRow("path") << QStringLiteral("site.lan/top/") << local;
        QTest::newRow("space") << QStringLiteral("site lan") << local;
        QTest::newRow("port 0") << QStringLiteral("site.lan:0") << local;
        QTest::newRow("port too big") << QStringLiteral("site.lan:70000") << local;
        QTest::newRow("port not a number") << QStringLiteral("site.lan:http") << local;
    }
    void siteHostFromSetting() {
        QFETCH(QString, setting);
        QFETCH(QString, host);
        QCOMPARE(SiteHost(setting), host);
    }

    void sixAddressesShareTheHost() {
        qputenv("VELTRANO_SITE", "site.lan:81");
        const TURLInfo info = LoadURLInfo();
        QCOMPARE(info.TopURL, QStringLiteral("site.lan:81/top/"));
        QCOMPARE(info.MiniURL, QStringLiteral("site.lan:81/mini/"));
        QCOMPARE(info.MobileURL, QStringLiteral("site.lan:81/download/"));
        QCOMPARE(info.DownloadURL, QStringLiteral("site.lan:81/download/"));
        QCOMPARE(info.SiteURL, QStringLiteral("site.lan:81"));
        QCOMPARE(info.FeedbackURL, QStringLiteral("site.lan:81/tellme/"));
        QCOMPARE(WebAddress(info.FeedbackURL), QStringLiteral("http://site.lan:81/tellme/"));
    }

    void versionsCompareNumberByNumber_data() {
        QTest::addColumn<QString>("newest");
        QTest::addColumn<bool>("newer");
        QTest::newRow("same") << "V1.4" << false;
        QTest::newRow("next minor") << "V1.5" << true;
        QTest::newRow("two-digit minor") << "V1.10" << true;
        QTest::newRow("older") << "V1.3" << false;
        QTest::newRow("next major") << "V2" << true;
        QTest::newRow("trailing zero") << "V1.4.0" << false;
        QTest::newRow("leading zeros") << "V01.05" << true;
        QTest::newRow("longer than any integer") << "V1.400000000000000000000000" << true;
        QTest::newRow("spaces around") << " V1.5 " << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("junk") << "newest" << false;
        QTest::newRow("no V") << "1.5" << false;
        QTest::newRow("empty part") << "V1..5" << false;
    }
    void versionsCompareNumberByNumber() {
        QFETCH(QString, newest);
        QFETCH(bool, newer);
        QCOMPARE(IsNewerVersion("V1.4", newest), newer);
    }

    void versionCheckOutcomeOfBothModes() {
        using A = VersionCheckAnswer;
        QCOMPARE(VersionCheckOutcome(1, true, "V1.4", "V1.5"), A::AskThenQuit);
        QCOMPARE(VersionCheckOutcome(2, true, "V1.4", "V1.5"), A::Ask);
        QCOMPARE(VersionCheckOutcome(1, true, "V1.4", "V1.4"), A::Nothing);
        QCOMPARE(VersionCheckOutcome(2, true, "V1.4", "V1.4"), A::Latest);
        QCOMPARE(VersionCheckOutcome(1, true, "V1.4", QString()), A::Nothing);
        QCOMPARE(VersionCheckOutcome(2, true, "V1.4", QString()), A::Latest);
        QCOMPARE(VersionCheckOutcome(1, false, "V1.4", QString()), A::Nothing);
        QCOMPARE(VersionCheckOutcome(2, false, "V1.4", QString()), A::OpenDownload);
    }

    void reachabilityIsATcpConnectWithinTheLimit() {
        QTcpServer listening;
        QVERIFY(listening.listen(QHostAddress::LocalHost));
        const QString open =
            QStringLiteral("http://127.0.0.1:%1/mini/").arg(listening.serverPort());
        QVERIFY(CanConnect(open));
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 closedPort = closed.serverPort();
        closed.close();
        QVERIFY(!CanConnect(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort)));
        QVERIFY(!CanConnect(QStringLiteral("http://")));
        QVERIFY(!CanConnect(QStringLiteral("http://no-such-host.invalid/top/")));
    }

    void checksReportHomeFirstAndRunSideBySide() {
        QTcpServer listening;
        QVERIFY(listening.listen(QHostAddress::LocalHost));
        const QString home = QStringLiteral("127.0.0.1:%1/mini/").arg(listening.serverPort());
        const QString head = QStringLiteral("127.0.0.1:9/top/");
        QList<QString> reports;
        QList<TConnectURLThread*> checks;
        for (int i = 0; i < 3; ++i) {
            auto* check = new TConnectURLThread(head, home, this);
            check->CheckHome = true;
            check->CheckHead = i == 0;
            connect(check, &TConnectURLThread::HomeChecked, this,
                    [&reports](bool online, const QString& address) {
                        reports.append(QStringLiteral("home %1 %2").arg(online).arg(address));
                    });
            connect(check, &TConnectURLThread::HeadChecked, this,
                    [&reports](bool online, const QString& address) {
                        reports.append(QStringLiteral("head %1 %2").arg(online).arg(address));
                    });
            checks.append(check);
        }
        checks[0]->start();
        QVERIFY(checks[0]->wait(5000));
        checks[1]->start();
        checks[2]->start();
        QVERIFY(checks[1]->wait(5000) && checks[2]->wait(5000));
        QTRY_COMPARE(reports.size(), 4);
        QCOMPARE(reports[0], "home 1 " + home);
        QCOMPARE(reports[1], "head 0 " + head);
        QCOMPARE(reports.mid(2), QList<QString>({"home 1 " + home, "home 1 " + home}));
    }
};

QTEST_MAIN(OnlineRulesTest)
#include "tst_OnlineRules.moc"
