// The command line of veltrano-server: the default port, the site folder and the
// administration commands of the site.
#include "Options.h"

#include <QTest>
#include <vector>

namespace {

std::optional<Options> Parse(std::vector<std::string> words, std::string& error) {
    words.insert(words.begin(), "veltrano-server");
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    return ParseOptions(int(argv.size()), argv.data(), error);
}

} // namespace

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
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
