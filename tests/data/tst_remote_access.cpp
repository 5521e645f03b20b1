// Remote calls of the study program against a real grade service on loopback: uploads and
// queries through every provider, the modes, both failure messages, hostile answers and a
// call from a worker thread.
#include "../server/ServiceProcess.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uProc.h"
#include "protocol/CommandText.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <httplib.h>
#include <thread>

namespace {

const QString Unreachable = QStringLiteral("无法连接远程服务器，操作失败！");
const QString CommandFailed = QStringLiteral("与远程服务器断开连接，操作失败！");

QString Insert(const QString& id, int mark) {
    return QString::fromStdString(
        protocol::InsertGradeCommand(id.toStdString(), "张三", 1805, mark));
}

QString Select(const QString& id, int minMark) {
    return QString::fromStdString(protocol::SelectGradeCommand(id.toStdString(), minMark));
}

// A stand-in service that answers every command with the given body, for hostile answers.
class FixedAnswerServer {
public:
    explicit FixedAnswerServer(std::string body) {
        Server.Get("/health", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("{}", "application/json");
        });
        Server.Post(R"(/providers/.*)",
                    [body](const httplib::Request&, httplib::Response& response) {
                        response.set_content(body, "application/json");
                    });
        Port = Server.bind_to_any_port("127.0.0.1");
        Thread = std::thread([this] { Server.listen_after_bind(); });
    }
    ~FixedAnswerServer() {
        Server.stop();
        Thread.join();
    }
    int Port = 0;

private:
    httplib::Server Server;
    std::thread Thread;
};

} // namespace

class TestRemoteAccess : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Folder;
    std::unique_ptr<ServiceProcess> Service;
    std::unique_ptr<TdmMain> Module;

    void UseService(int port, const QString& provider = "dspClient1") {
        dmMain->ServerInfo = {"127.0.0.1", port, provider, {}};
    }

private slots:
    void initTestCase() {
        TestSupport::UseFreshDataFolder(false);
        Service = std::make_unique<ServiceProcess>(Folder.path() + "/grades.db");
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Module = std::make_unique<TdmMain>();
        dmMain = Module.get();
    }

    void init() {
        UseService(Service->Port());
        MessageBoxHook::Clear();
    }

    void cleanupTestCase() {
        dmMain = nullptr;
        Module.reset();
        QVERIFY(Service->Stop());
    }

    void uploadAndQueryThroughEveryProvider() {
        for (const QString provider : {"dspClient1", "dspClient2", "dspClient3"}) {
            UseService(Service->Port(), provider);
            const QString id = "p" + provider;
            TQuery upload;
            QVERIFY(ExecRemoteSQL(upload, Insert(id, 95), "Execute", true));
            QCOMPARE(upload.RowsAffected, 1);
            QVERIFY(!upload.Active);

            TQuery query;
            QVERIFY(ExecRemoteSQL(query, Select(id, 90), "Active", true));
            QVERIFY(query.Active);
            QCOMPARE(query.RecordCount(), 1);
            QCOMPARE(query.FieldByName("EmpID").toString(), id);
            QCOMPARE(query.FieldByName("EmpName").toString(), QString("张三"));
            QCOMPARE(query.FieldByName("UseTime").toInt(), 1805);
            QCOMPARE(query.FieldByName("Mark").toInt(), 95);
            const QDateTime referDate = query.FieldByName("ReferDate").toDateTime();
            QVERIFY(referDate.isValid());
            QVERIFY(qAbs(referDate.secsTo(QDateTime::currentDateTime())) < 60);
        }
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
    }

    void modesExecuteOrFetch_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("fetches");
        QTest::newRow("EXECUTE") << "EXECUTE" << false;
        QTest::newRow("Execute") << "Execute" << false;
        QTest::newRow("Active") << "Active" << true;
        QTest::newRow("Open") << "Open" << true;
    }

    void modesExecuteOrFetch() {
        QFETCH(QString, mode);
        QFETCH(bool, fetches);
        TQuery upload;
        QVERIFY(ExecRemoteSQL(upload, Insert("modes", 91), "Execute", true));
        TQuery query;
        QVERIFY(ExecRemoteSQL(query, Select("modes", 90), mode, true));
        QCOMPARE(query.Active, fetches);
        QCOMPARE(query.RecordCount() > 0, fetches);
    }

    void emptyResultIsSuccessWithoutRows() {
        TQuery query;
        QVERIFY(ExecRemoteSQL(query, Select("nobody", 90), "Active", true));
        QVERIFY(query.Active);
        QCOMPARE(query.RecordCount(), 0);
        QCOMPARE(query.Fields.size(), 5);

        TQuery version;
        QVERIFY(ExecRemoteSQL(version, QString::fromStdString(protocol::SelectExeVersionCommand()),
                              "Active", false));
        QCOMPARE(version.RecordCount(), 0);
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
    }

    void unreachableServiceShowsItsMessageOnce() {
        UseService(1); // nothing listens on port 1
        TQuery query;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!ExecRemoteSQL(query, Insert("x", 95), "Execute", true));
        QVERIFY(timer.elapsed() < 4000);
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{Unreachable});
        QVERIFY(!query.Active && query.RecordCount() == 0);

        MessageBoxHook::Clear();
        QVERIFY(!ExecRemoteSQL(query, Select("x", 90), "Active", false));
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
    }

    // A peer that accepts the connection but never answers must not hold the window long.
    void silentServiceCountsAsUnreachable() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        UseService(silent.serverPort());
        TQuery query;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!ExecRemoteSQL(query, Select("x", 90), "Active", true));
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{Unreachable});
    }

    // A service that asks for a token: the program's token lets the upload through; none,
    // or a wrong one, fails the command with its message. The environment's token wins
    // over the one in the settings.
    void tokenFromTheSettingsOrTheEnvironmentIsSent() {
        const QString tokenFile = Folder.path() + "/token";
        QFile file(tokenFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("s3cret-token-of-this-service\n");
        file.close();
        ServiceProcess guarded(Folder.path() + "/guarded.db", {"--token-file", tokenFile});
        QVERIFY2(guarded.Start(), qPrintable(guarded.Log()));

        qunsetenv("VELTRANO_SERVER_TOKEN");
        dmMain->InitServerInfo(" s3cret-token-of-this-service ");
        dmMain->ServerInfo.Port = guarded.Port();
        TQuery upload;
        QVERIFY(ExecRemoteSQL(upload, Insert("token", 95), "Execute", true));
        QVERIFY(MessageBoxHook::Recorded().isEmpty());

        qputenv("VELTRANO_SERVER_TOKEN", "another-token-entirely");
        dmMain->InitServerInfo("s3cret-token-of-this-service");
        qunsetenv("VELTRANO_SERVER_TOKEN");
        QCOMPARE(dmMain->ServerInfo.Token, QString("another-token-entirely"));
        dmMain->ServerInfo.Port = guarded.Port();
        QVERIFY(!ExecRemoteSQL(upload, Insert("token", 96), "Execute", true));
        dmMain->ServerInfo.Token.clear();
        QVERIFY(!ExecRemoteSQL(upload, Insert("token", 97), "Execute", true));
        QCOMPARE(MessageBoxHook::Recorded(), QStringList({CommandFailed, CommandFailed}));
        QVERIFY(guarded.Stop());
    }

    void failedCommandShowsItsMessageOnce_data() {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("command");
        QTest::newRow("unknown provider") << "dspClient4" << Select("x", 90);
        QTest::newRow("malformed text") << "dspClient1"
                                        << "exec procSelectGrade 'x";
        QTest::newRow("argument out of range") << "dspClient2" << Insert("x", 101);
    }

    void failedCommandShowsItsMessageOnce() {
        QFETCH(QString, provider);
        QFETCH(QString, command);
        UseService(Service->Port(), provider);
        TQuery query;
        QVERIFY(!ExecRemoteSQL(query, command, "Active", true));
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{CommandFailed});
        QVERIFY(!query.Active && query.RecordCount() == 0);

        MessageBoxHook::Clear();
        QVERIFY(!ExecRemoteSQL(query, command, "Execute", false));
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
    }

    void hostileAnswersFailTheCommand_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not json") << QByteArray("<html>");
        QTest::newRow("no rows") << QByteArray(R"({"columns":["A"]})");
        QTest::newRow("ragged row") << QByteArray(R"({"columns":["A","B"],"rows":[[1]]})");
        QTest::newRow("column not text") << QByteArray(R"({"columns":[1],"rows":[]})");
        QTest::newRow("row not array") << QByteArray(R"({"columns":["A"],"rows":[5]})");
        QTest::newRow("huge") << QByteArray(R"({"columns":["A"],"rows":[[")") +
                                     QByteArray(5 * 1024 * 1024, 'x') + QByteArray(R"("]]})");
    }

    void hostileAnswersFailTheCommand() {
        QFETCH(QByteArray, body);
        FixedAnswerServer fake(body.toStdString());
        UseService(fake.Port);
        TQuery query;
        QVERIFY(!ExecRemoteSQL(query, Select("x", 90), "Active", true));
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{CommandFailed});
        QCOMPARE(query.RecordCount(), 0);
    }

    void workerThreadCallsWithoutMessages() {
        TQuery upload;
        QVERIFY(ExecRemoteSQL(upload, Insert("worker", 99), "Execute", false));
        TQuery query;
        bool ran = false;
        std::thread worker(
            [&] { ran = ExecRemoteSQL(query, Select("worker", 90), "Active", false); });
        worker.join();
        QVERIFY(ran);
        QCOMPARE(query.RecordCount(), 1);
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
    }
};

QTEST_MAIN(TestRemoteAccess)
#include "tst_remote_access.moc"
