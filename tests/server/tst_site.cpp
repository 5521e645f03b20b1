// The program's site as served by a real veltrano-server over loopback: pages and their
// types, paths that try to leave the site, the notice and versions from the store, the
// feedback form and its limits, the grade page. Run against SQLite and PostgreSQL.
#include "ServiceProcess.h"
#include "protocol/CommandText.h"
#include "server/StoreLimits.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <httplib.h>

namespace {

struct Page {
    int Status = 0;
    std::string ContentType;
    std::string Location;
    std::string Body;
};

Page ToPage(const httplib::Result& result) {
    Page page;
    if (!result)
        return page;
    page.Status = result->status;
    page.ContentType = result->get_header_value("Content-Type");
    page.Location = result->get_header_value("Location");
    page.Body = result->body;
    return page;
}

httplib::Client Client(int port) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(3);
    client.set_read_timeout(10);
    // Paths go out exactly as the test writes them, dots and escapes included.
    client.set_url_encode(false);
    return client;
}

Page Fetch(int port, const std::string& path) {
    return ToPage(Client(port).Get(path));
}

Page PostForm(int port, const std::string& body,
              const std::string& type = "application/x-www-form-urlencoded") {
    return ToPage(Client(port).Post("/tellme/", body, type));
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

QStringList FeedbackLines(const QString& store) {
    const auto [code, output] = RunAdministration({"list-feedback", "--db", store});
    return code == 0 ? output.split('\n', Qt::SkipEmptyParts) : QStringList{"failed"};
}

bool CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const auto& entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + "/" + entry.fileName();
        if (entry.isDir() ? !CopyFolder(entry.filePath(), target)
                          : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

} // namespace

class TestSite : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Folder;
    QString Store;
    QString SiteFolder;
    std::unique_ptr<ServiceProcess> Service;
    int Port = 0;

private slots:
    // The site's own pages, with beside them a secret outside the site and links that lead
    // to it, a hidden file and a package to download.
    void initTestCase() {
        QVERIFY(Folder.isValid());
        SiteFolder = Folder.path() + "/site";
        QVERIFY(CopyFolder(QString::fromLocal8Bit(qgetenv("VELTRANO_SOURCE_DIR")) + "/site",
                           SiteFolder));
        QFile secret(Folder.path() + "/secret.txt");
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write("SECRET-OUTSIDE");
        secret.close();
        QVERIFY(QFile::link(secret.fileName(), SiteFolder + "/escape.txt"));
        QVERIFY(QFile::link(Folder.path(), SiteFolder + "/up"));
        QFile hidden(SiteFolder + "/.hidden.txt");
        QVERIFY(hidden.open(QIODevice::WriteOnly) && hidden.write("SECRET-HIDDEN") > 0);
        hidden.close();
        QFile package(SiteFolder + "/download/veltrano-1.5-linux.tar.gz");
        QVERIFY(package.open(QIODevice::WriteOnly));
        package.write(QByteArray(300000, 'p'));
        package.close();

        Store = TestStore(Folder.path());
        QVERIFY2(!Store.isEmpty(), "no test store");
        Service = std::make_unique<ServiceProcess>(Store, QStringList{"--site", SiteFolder});
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Port = Service->Port();
    }

    void cleanupTestCase() {
        if (Service)
            QVERIFY2(Service->Stop(), qPrintable(Service->Log()));
    }

    void pagesAreServedWithTheirTypes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("part");
        const QString html = "text/html; charset=utf-8";
        QTest::newRow("front") << "/" << 200 << html << "下载软件";
        QTest::newRow("banner") << "/top/" << 200 << html << "class=\"banner\"";
        QTest::newRow("home") << "/mini/" << 200 << html << "href=\"/grade/\"";
        QTest::newRow("download") << "/download/" << 200 << html << "版本记录";
        QTest::newRow("feedback") << "/tellme/" << 200 << html << "action=\"/tellme/\"";
        QTest::newRow("grades") << "/grade/" << 200 << html << "name=\"id\"";
        QTest::newRow("style") << "/style.css" << 200 << "text/css; charset=utf-8"
                               << ".banner";
        QTest::newRow("folder without slash") << "/top" << 301 << html << "";
        QTest::newRow("missing page") << "/nothing/" << 404 << html << "页面不存在";
        QTest::newRow("package") << "/download/veltrano-1.5-linux.tar.gz" << 200
                                 << "application/gzip"
                                 << "ppp";
    }

    void pagesAreServedWithTheirTypes() {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, type);
        QFETCH(QString, part);
        const Page page = Fetch(Port, path.toStdString());
        QCOMPARE(page.Status, status);
        QCOMPARE(QString::fromStdString(page.ContentType), type);
        QVERIFY2(Contains(page.Body, part.toStdString()), page.Body.c_str());
        if (status == 301)
            QCOMPARE(QString::fromStdString(page.Location), path + "/");
        QVERIFY(!Contains(page.Body, "{{"));
    }

    void pathsOutsideTheSiteAreRefused_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("dot dot") << "/../secret.txt";
        QTest::newRow("escaped dot dot") << "/%2e%2e/secret.txt";
        QTest::newRow("escaped slashes") << "/top/..%2f..%2fsecret.txt";
        QTest::newRow("back slashes") << "/top/..%5c..%5csecret.txt";
        QTest::newRow("link to a file outside") << "/escape.txt";
        QTest::newRow("link to a folder outside") << "/up/secret.txt";
        QTest::newRow("hidden file") << "/.hidden.txt";
        QTest::newRow("nul byte") << "/index.html%00.png";
        QTest::newRow("line break") << "/top%0d%0aSet-Cookie:x=1";
        QTest::newRow("absolute") << "//etc/passwd";
    }

    void pathsOutsideTheSiteAreRefused() {
        QFETCH(QString, path);
        const Page page = Fetch(Port, path.toStdString());
        QVERIFY2(page.Status == 404 || page.Status == 400,
                 qPrintable(QString::number(page.Status)));
        QVERIFY(!Contains(page.Body, "SECRET"));
        QVERIFY(!Contains(page.Body, "root:"));
        QVERIFY(page.Location.empty());
    }

    void noticeAndVersionsComeFromTheStore() {
        QCOMPARE(RunAdministration({"set-notice", "明天<b>停机</b> & 维护", "--db", Store}).first,
                 0);
        Page top = Fetch(Port, "/top/");
        QVERIFY2(Contains(top.Body, "明天&lt;b&gt;停机&lt;/b&gt; &amp; 维护"), top.Body.c_str());
        QVERIFY(!Contains(top.Body, "<b>停机"));
        QCOMPARE(RunAdministration({"set-notice", "", "--db", Store}).first, 0);
        QVERIFY(Contains(Fetch(Port, "/top/").Body, "<div class=\"notice\"></div>"));
        QVERIFY(
            RunAdministration({"set-notice", QString(kNoticeChars.High + 1, 'n'), "--db", Store})
                .first != 0);

        QCOMPARE(RunAdministration({"set-version", "V1.4", "--db", Store}).first, 0);
        QCOMPARE(RunAdministration({"set-version", "V1.5", "--db", Store}).first, 0);
        QVERIFY(Contains(Fetch(Port, "/mini/").Body, "<div class=\"version\">V1.5</div>"));
        const std::string download = Fetch(Port, "/download/").Body;
        QVERIFY2(Contains(download, "<strong>V1.5</strong>") &&
                     download.find("V1.5</strong>") < download.find("V1.4</strong>"),
                 download.c_str());
        QVERIFY(Contains(download, "href=\"/download/veltrano-1.5-linux.tar.gz\""));
    }

    void feedbackIsStoredAndListed() {
        const auto before = FeedbackLines(Store).size();
        const std::string tag = std::to_string(QRandomGenerator::global()->generate());
        const Page answer = PostForm(
            Port, "contact=me%40example.org&message=" + tag +
                      "+%3Cscript%3Ealert(1)%3C%2Fscript%3E%0D%0A%E7%AC%AC%E4%BA%8C%E8%A1%8C%09x");
        QCOMPARE(answer.Status, 200);
        QVERIFY(Contains(answer.Body, "谢谢您的反馈"));
        QVERIFY2(Contains(answer.Body, tag + " &lt;script&gt;alert(1)&lt;/script&gt;\n第二行"),
                 answer.Body.c_str());
        QVERIFY(!Contains(answer.Body, "<script>"));

        const QStringList lines = FeedbackLines(Store);
        QCOMPARE(lines.size(), before + 1);
        QCOMPARE(lines.first(), "ReceivedAt\tSender\tContact\tMessage");
        // One message, one line: its line break and tab are shown as escapes.
        QVERIFY2(lines.last().endsWith("\t127.0.0.1\tme@example.org\t" +
                                       QString::fromStdString(tag) +
                                       " <script>alert(1)</script>\\n第二行\\tx"),
                 qPrintable(lines.last()));
    }

    void badFeedbackIsRefusedAndNotStored_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("status");
        const QString form = "application/x-www-form-urlencoded";
        QTest::newRow("no message") << QByteArray("contact=x&message=+%0D%0A") << form << 400;
        QTest::newRow("message too long")
            << "message=" + QByteArray("%E5%AD%97").repeated(kFeedbackMessageChars.High + 1) << form
            << 413;
        QTest::newRow("contact too long")
            << "message=hi&contact=" + QByteArray(kFeedbackContactChars.High + 1, 'c') << form
            << 413;
        QTest::newRow("body over the limit") << "message=" + QByteArray(9000, 'm') << form << 413;
        QTest::newRow("not a form")
            << QByteArray("{\"message\":\"hi\"}") << "application/json" << 415;
        QTest::newRow("invalid utf-8") << QByteArray("message=a%FFb") << form << 400;
        QTest::newRow("control character") << QByteArray("message=a%1B%5B2Jb") << form << 400;
        QTest::newRow("control in contact")
            << QByteArray("message=hi&contact=a%0Ab") << form << 400;
    }

    void badFeedbackIsRefusedAndNotStored() {
        QFETCH(QByteArray, body);
        QFETCH(QString, type);
        QFETCH(int, status);
        const auto before = FeedbackLines(Store);
        const Page answer = PostForm(Port, body.toStdString(), type.toStdString());
        QCOMPARE(answer.Status, status);
        QCOMPARE(QString::fromStdString(answer.ContentType), "text/html; charset=utf-8");
        QVERIFY(Contains(answer.Body, "<h1>"));
        QCOMPARE(FeedbackLines(Store), before);
    }

    // The longest message and contact, in Chinese, fit the form's body limit and are kept.
    void longestFeedbackIsKept() {
        const QByteArray character = "%E5%AD%97";
        const QByteArray body = "contact=" + character.repeated(kFeedbackContactChars.High) +
                                "&message=" + character.repeated(kFeedbackMessageChars.High);
        QCOMPARE(PostForm(Port, body.toStdString()).Status, 200);
        QVERIFY(FeedbackLines(Store).last().endsWith(
            QString(kFeedbackMessageChars.High, QChar(0x5B57))));
    }

    void commandBodiesStayBounded() {
        const std::string padded = protocol::SelectGradeCommand("1", 90) + std::string(5000, ' ');
        const auto answer = PostCommand(Port, padded, "Active");
        QCOMPARE(answer.Status, 413);
        QVERIFY(answer.Body["error"].is_string());
    }

    void gradePageShowsTheGradesOfAnId() {
        const std::string id = "s" + std::to_string(QRandomGenerator::global()->bounded(1'000'000));
        QCOMPARE(
            PostCommand(Port, protocol::InsertGradeCommand(id, "<i>李</i>", 1805, 96), "Execute")
                .Status,
            200);
        const std::string page = Fetch(Port, "/grade/?id=" + id + "&min=90").Body;
        QVERIFY2(
            Contains(page, "<td>" + id + "</td><td>&lt;i&gt;李&lt;/i&gt;</td><td>30分5秒</td>"),
            page.c_str());
        // Without a minimum, the pass mark.
        QVERIFY(Contains(Fetch(Port, "/grade/?id=" + id + "&min=").Body, "<td>96</td>"));
        QVERIFY(
            Contains(Fetch(Port, "/grade/?id=" + id + "&min=97").Body, "没有找到符合条件的成绩"));
        const std::string hostile = Fetch(Port, "/grade/?id=%22%3E%3Cscript%3E&min=101").Body;
        QVERIFY(Contains(hostile, "value=\"&quot;&gt;&lt;script&gt;\""));
        QVERIFY(Contains(hostile, "class=\"error\""));
        QVERIFY(!Contains(hostile, "<script>"));
    }
};

QTEST_GUILESS_MAIN(TestSite)
#include "tst_site.moc"
