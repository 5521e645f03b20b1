// The header and home areas against a real HTTP site on loopback: both switch to the web
// pages, return to their pictures when the site goes away, fall back when a page fails to
// load, and no browser process is ever started while the site is unreachable.
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "online/MainPage.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <httplib.h>
#include <thread>
#include <unistd.h>

namespace {

// The processes started by this one whose name is the browser's.
int BrowserChildren() {
    int count = 0;
    const QString self = QString::number(getpid());
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QString line = QString::fromLocal8Bit(stat.readAll());
        const qsizetype close = line.lastIndexOf(')');
        const QString name = line.mid(line.indexOf('(') + 1, close - line.indexOf('(') - 1);
        const QStringList rest = line.mid(close + 2).split(' ');
        if (rest.size() > 1 && rest[1] == self && name.startsWith("QtWebEngine"))
            ++count;
    }
    return count;
}

// A small web site served from a folder, with pages that carry their own margins and
// scroll bars.
class Site {
public:
    Site() {
        for (const char* page : {"top", "mini"}) {
            QDir(Folder.path()).mkpath(page);
            QFile file(Folder.path() + "/" + page + "/index.html");
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray("<html><body style='margin:40px;padding:9px;border:5px solid red;"
                                  "overflow:scroll'><h1>") +
                       page + "</h1><div style='height:3000px'></div></body></html>");
        }
        Server.set_mount_point("/", Folder.path().toStdString());
        Port = Server.bind_to_any_port("127.0.0.1");
        Thread = std::thread([this] { Server.listen_after_bind(); });
    }
    ~Site() { Stop(); }
    void Stop() {
        Server.stop();
        if (Thread.joinable())
            Thread.join();
    }
    QByteArray Host() const { return "127.0.0.1:" + QByteArray::number(Port); }
    int Port = 0;

private:
    QTemporaryDir Folder;
    httplib::Server Server;
    std::thread Thread;
};

QVariant Evaluate(QWebEngineView* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    return QTest::qWaitFor([&done] { return done; }, 10000) ? result : QVariant();
}

bool ShowsWebPage(const TfrmMain& window, const char* browser, QLabel* picture) {
    const auto* view = window.findChild<QWebEngineView*>(browser);
    return view && view->isVisible() && !picture->isVisible() &&
           view->size() == picture->parentWidget()->size();
}

} // namespace

class WebPanelsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { TestSupport::UseFreshDataFolder(false); }

    void unreachableSiteStartsNoBrowser() {
        qputenv("VELTRANO_SITE", "127.0.0.1:9");
        TfrmMain window;
        window.show();
        QVERIFY(window.imgHead->isVisible());
        QCOMPARE(window.imgHead->size(), QSize(1012, 100));
        window.grpMainPageOpen();
        window.grpMainPageOpen();
        QTest::qWait(1500);
        QVERIFY(window.imgHead->isVisible());
        QVERIFY(window.tsMainPage->imgMainPage->isVisible());
        QVERIFY(!window.findChild<QWebEngineView*>());
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
        QCOMPARE(BrowserChildren(), 0);
    }

    void bothAreasShowTheSiteAndReturnToPicturesOffline() {
        auto site = std::make_unique<Site>();
        qputenv("VELTRANO_SITE", site->Host());
        TfrmMain window;
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(ShowsWebPage(window, "wbHead", window.imgHead), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsWebPage(window, "wbMainPage", window.tsMainPage->imgMainPage),
                                 10000);
        auto* home = window.findChild<QWebEngineView*>("wbMainPage");
        QTRY_COMPARE_WITH_TIMEOUT(home->url().toString(),
                                  QString("http://" + site->Host() + "/mini/"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(
            Evaluate(home, "getComputedStyle(document.body).overflow + ' ' + "
                           "getComputedStyle(document.body).marginLeft + ' ' + "
                           "getComputedStyle(document.body).borderLeftStyle + ' ' + "
                           "document.body.getAttribute('scroll')")
                .toString(),
            QStringLiteral("hidden 0px none no"), 10000);
        QVERIFY(BrowserChildren() > 0);

        site->Stop();
        window.grpMainPageOpen();
        QTRY_VERIFY_WITH_TIMEOUT(window.tsMainPage->imgMainPage->isVisible(), 10000);
        QVERIFY(!home->isVisible());
        QCOMPARE(home->size(), QSize(0, 0));
        QVERIFY(ShowsWebPage(window, "wbHead", window.imgHead));
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
    }

    void pageThatFailsToLoadFallsBackToThePicture() {
        // Accepts connections and closes them at once: reachable, but no page comes.
        QTcpServer hangUp;
        QVERIFY(hangUp.listen(QHostAddress::LocalHost));
        connect(&hangUp, &QTcpServer::newConnection, &hangUp, [&hangUp] {
            while (QTcpSocket* socket = hangUp.nextPendingConnection())
                socket->abort();
        });
        qputenv("VELTRANO_SITE", "127.0.0.1:9");
        TfrmMain window;
        window.show();
        window.ShowHomePanel(true, QStringLiteral("127.0.0.1:%1/mini/").arg(hangUp.serverPort()));
        QVERIFY(!window.tsMainPage->imgMainPage->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(window.tsMainPage->imgMainPage->isVisible(), 10000);
        QVERIFY(!window.findChild<QWebEngineView*>("wbMainPage")->isVisible());
    }
};

QTEST_MAIN(WebPanelsTest)
#include "tst_WebPanels.moc"
