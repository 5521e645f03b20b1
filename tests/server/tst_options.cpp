// The command line of veltrano-server: the default port, the site folder and the
// administration commands of the site.
#include "Options.h"
#include "ParseWords.h"

#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <vector>

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void listenWithoutPortUsesTheDefaultPort() {
        std::string error;
        auto options = Parse({"--listen", "127.0.0.1", "--site", "/srv/site"}, error);
        QVERIFY2(options, error.c_str());
        QCOMPARE(QString::fromStdString(options->Host), "127.0.0.1");
        QCOMPARE(options->Port, protocol::kDefaultPort);
        QCOMPARE(QString::fromStdString(options->SiteFolder), "/srv/site");
        options = Parse({"--listen", "::1:8080"}, error);
        QVERIFY(options && options->Host == "::1" && options->Port == 8080);
        QVERIFY(!Parse({"--listen", ":80"}, error));
        QVERIFY(!Parse({"--site", ""}, error));
    }

    void siteAdministrationCommands() {
        std::string error;
        auto options = Parse({"list-feedback", "--db", "g.db"}, error);
        QVERIFY2(options, error.c_str());
        QCOMPARE(options->Run, Options::Action::ListFeedback);
        QCOMPARE(QString::fromStdString(options->Database), "g.db");
        options = Parse({"set-notice", "", "--db", "g.db"}, error);
        QVERIFY(options && options->Run == Options::Action::SetNotice && options->Argument.empty());
        QVERIFY(!Parse({"set-notice"}, error));
        QVERIFY(!Parse({"list-feedback", "set-version", "V2"}, error));
        QVERIFY(!Parse({"list-feedback", "extra"}, error));
    }

    void backupTakesItsFile() {
        std::string error;
        auto options = Parse({"backup", "/var/backups/grades.db", "--db", "g.db"}, error);
        QVERIFY2(options, error.c_str());
        QCOMPARE(options->Run, Options::Action::Backup);
        QCOMPARE(QString::fromStdString(options->Argument), "/var/backups/grades.db");
        QVERIFY(!Parse({"backup"}, error));
        QVERIFY(!Parse({"backup", "a.db", "list-feedback"}, error));
    }

    // Loopback by default; the limits take numbers in their ranges only.
    void defaultsAndLimits() {
        std::string error;
        auto options = Parse({}, error);
        QVERIFY(options && IsLoopbackHost(options->Host));
        QCOMPARE(options->Limits.RateLimit, -1);
        options = Parse({"--max-connections", "10", "--max-per-address", "2", "--rate-limit", "0",
                         "--request-timeout", "3", "--token-file", "t"},
                        error);
        QVERIFY2(options, error.c_str());
        QCOMPARE(options->Limits.MaxConnections, 10);
        QCOMPARE(options->Limits.MaxPerAddress, 2);
        QCOMPARE(options->Limits.RateLimit, 0);
        QCOMPARE(options->Limits.RequestSeconds, 3);
        QCOMPARE(QString::fromStdString(options->TokenFile), "t");
        for (const auto& bad : std::vector<std::vector<std::string>>{{"--max-connections", "0"},
                                                                     {"--max-per-address", "-1"},
                                                                     {"--rate-limit", "x"},
                                                                     {"--request-timeout", ""},
                                                                     {"--token-file", ""}})
            QVERIFY(!Parse(bad, error));
        for (const char* host : {"127.0.0.1", "127.1.2.3", "localhost", "::1"})
            QVERIFY(IsLoopbackHost(host));
        for (const char* host : {"0.0.0.0", "192.168.1.2", "::", "128.0.0.1"})
            QVERIFY(!IsLoopbackHost(host));
    }

    void tokenFileHoldsOneUsableToken() {
        QTemporaryDir folder;
        const auto tokenIn = [&folder](const std::string& text) {
            const std::string file = folder.filePath("token").toStdString();
            std::ofstream(file) << text;
            std::string error;
            return QString::fromStdString(ReadTokenFile(file, error).value_or("refused"));
        };
        QCOMPARE(tokenIn("  abcdefghijklmnop \r\nsecond line"), "abcdefghijklmnop");
        QCOMPARE(tokenIn("short"), "refused");
        QCOMPARE(tokenIn("abcdefgh ijklmnopq"), "refused");
        QCOMPARE(tokenIn("abcdefgh\x01ijklmnopq"), "refused");
        QCOMPARE(tokenIn(""), "refused");
        std::string error;
        QVERIFY(!ReadTokenFile(folder.filePath("missing").toStdString(), error));
        QVERIFY(error.find("cannot read") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
