// The settings file of veltrano-server and --check-config: the file sets what the flags
// set, flags win, every mistake names its file and line, and the check tells a service
// that could start from one that could not.
#include "ConfigFile.h"
#include "Options.h"
#include "ParseWords.h"
#include "ServiceProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

class TestConfigFile : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;

    std::string Write(const QByteArray& content) {
        const QString path = Folder.filePath("server.conf");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }

private slots:
    void fileSetsTheOptionsAndFlagsWin() {
        const std::string file = Write("# the service\r\n\n  listen = 127.0.0.1:8080  \r\n"
                                       "db=/var/lib/veltrano/grades.db\nthreads = 8\n"
                                       "site = /srv/site\ntoken-file = /etc/veltrano/token\n"
                                       "rate-limit = 5\n");
        std::string error;
        auto options = Parse({"--config", file}, error);
        QVERIFY2(options, error.c_str());
        QCOMPARE(QString::fromStdString(options->Host), "127.0.0.1");
        QCOMPARE(options->Port, 8080);
        QCOMPARE(QString::fromStdString(options->Database), "/var/lib/veltrano/grades.db");
        QCOMPARE(options->Threads, 8);
        QCOMPARE(QString::fromStdString(options->SiteFolder), "/srv/site");
        QCOMPARE(QString::fromStdString(options->TokenFile), "/etc/veltrano/token");
        QCOMPARE(options->Limits.RateLimit, 5);
        QCOMPARE(options->ConfigFile, file);

        // Flags win whether they stand before or after --config; commands still work.
        options =
            Parse({"--threads", "2", "--config", file, "--db", "other.db", "list-feedback"}, error);
        QVERIFY2(options, error.c_str());
        QCOMPARE(options->Threads, 2);
        QCOMPARE(QString::fromStdString(options->Database), "other.db");
        QCOMPARE(options->Port, 8080);
        QCOMPARE(options->Run, Options::Action::ListFeedback);

        // A build tree has no installed settings file: the defaults hold.
        options = Parse({}, error);
        QVERIFY(options && options->ConfigFile.empty() && options->Threads == 16);
    }

    void mistakesNameTheirLine_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown key") << QByteArray("db = g.db\nport = 80\n") << ":2: unknown key";
        QTest::newRow("key twice")
            << QByteArray("db = a.db\n\ndb = b.db\n") << ":3: db is already set on line 1";
        QTest::newRow("no equals") << QByteArray("# fine\nlisten 127.0.0.1\n") << ":2: expected";
        QTest::newRow("bad value")
            << QByteArray("listen = ::1\nthreads = 0\n") << ":2: --threads wants a number";
        QTest::newRow("empty value") << QByteArray("site =\n") << ":1: --site wants a folder";
        QTest::newRow("control character")
            << QByteArray("db = g.db\x1b[2J\n", 14) << ":1: control characters";
        QTest::newRow("flag spelling") << QByteArray("--db = g.db\n") << ":1: unknown key";
    }

    void mistakesNameTheirLine() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const std::string file = Write(content);
        std::string error;
        QVERIFY(!Parse({"--config", file}, error));
        QVERIFY2(QString::fromStdString(error).startsWith(QString::fromStdString(file) + expected),
                 error.c_str());
    }

    void unreadableFilesAreRefused() {
        std::string error;
        QVERIFY(!Parse({"--config", Folder.filePath("absent.conf").toStdString()}, error));
        QVERIFY2(error.find("no such settings file") != std::string::npos, error.c_str());
        QVERIFY(!Parse({"--config", Folder.path().toStdString()}, error));
        QVERIFY(!Parse({"--config", ""}, error));
        QVERIFY(!Parse({"--config"}, error));
        QVERIFY(!Parse({"--check-config", "list-feedback"}, error));
        // Oversized: a settings file is never megabytes long.
        QVERIFY(!Parse({"--config", Write(QByteArray(100 * 1024, '#'))}, error));
        QVERIFY2(error.find("too large") != std::string::npos, error.c_str());
    }

    void passwordsStayOutOfTheLog() {
        QCOMPARE(ShownDatabase("postgresql://veltrano:s3cret@db/grades"),
                 "postgresql://veltrano:***@db/grades");
        QCOMPARE(ShownDatabase("postgres://veltrano@db:5432/grades"),
                 "postgres://veltrano@db:5432/grades");
        QCOMPARE(ShownDatabase("/var/lib/veltrano/a:b@c.db"), "/var/lib/veltrano/a:b@c.db");
    }

    void checkConfigTellsWhetherTheServiceCouldStart() {
        QDir(Folder.path()).mkpath("site");
        const std::string good = Write(
            ("db = " + Folder.filePath("grades.db") + "\nsite = " + Folder.filePath("site") + "\n")
                .toUtf8());
        auto [code, output] =
            RunAdministration({"--config", QString::fromStdString(good), "--check-config"});
        QCOMPARE(code, 0);
        QVERIFY2(output.contains("settings ok"), qPrintable(output));
        QVERIFY(output.contains("threads = 16"));
        // The check creates nothing.
        QVERIFY(!QFile::exists(Folder.filePath("grades.db")));

        const std::string bad = Write(("db = " + Folder.filePath("missing/grades.db") +
                                       "\nsite = " + Folder.filePath("nosite") + "\n")
                                          .toUtf8());
        std::tie(code, output) =
            RunAdministration({"--config", QString::fromStdString(bad), "--check-config"});
        QCOMPARE(code, 2);
        QVERIFY2(output.contains("settings have problems"), qPrintable(output));

        // A flag repairs what the file got wrong.
        std::tie(code, output) =
            RunAdministration({"--config", QString::fromStdString(bad), "--check-config", "--db",
                               Folder.filePath("grades.db"), "--site", Folder.filePath("site")});
        QCOMPARE(code, 0);

        // A network address without a token would be refused at start.
        std::tie(code, output) = RunAdministration(
            {"--config", QString::fromStdString(good), "--check-config", "--listen", "0.0.0.0"});
        QCOMPARE(code, 2);

        // A syntax error stops the service before it starts, with the reason.
        std::tie(code, output) = RunAdministration(
            {"--config", QString::fromStdString(Write("threads = many\n")), "--check-config"});
        QCOMPARE(code, 2);
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_config_file.moc"
