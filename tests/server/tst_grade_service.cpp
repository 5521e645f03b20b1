// The grade service end to end: a real veltrano-server process over loopback HTTP, run once
// against SQLite and once against a throwaway PostgreSQL cluster.
#include "ServiceProcess.h"
#include "protocol/CommandText.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <httplib.h>
#include <set>
#include <thread>
#include <vector>

using nlohmann::json;

namespace {

// IDs unique to this run, so that runs against one PostgreSQL cluster do not meet.
std::string UniqueId() {
    return "t" + std::to_string(QRandomGenerator::global()->bounded(1'000'000'000));
}

json SelectRows(int port, const std::string& id, int minMark) {
    const auto answer = PostCommand(port, protocol::SelectGradeCommand(id, minMark), "Active");
    return answer.Status == 200 ? answer.Body["rows"] : json();
}

QString J(const json& value) {
    return QString::fromStdString(value.dump());
}

// A request body; `checked` false writes the command's bytes as they are, even invalid UTF-8.
QByteArray Body(const std::string& command, const std::string& mode, bool checked = true) {
    if (checked)
        return QByteArray::fromStdString(json{{"command", command}, {"mode", mode}}.dump());
    return QByteArray::fromStdString("{\"command\":\"" + command + "\",\"mode\":\"" + mode + "\"}");
}

} // namespace

class TestGradeService : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Folder;
    QString Store;
    std::unique_ptr<ServiceProcess> Service;
    int Port = 0;

private slots:
    void initTestCase() {
        QVERIFY(Folder.isValid());
        Store = TestStore(Folder.path());
        QVERIFY2(!Store.isEmpty(), "no test store");
        Service = std::make_unique<ServiceProcess>(Store);
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Port = Service->Port();
    }

    void cleanupTestCase() {
        if (Service)
            QVERIFY2(Service->Stop(), qPrintable(Service->Log()));
    }

    // Runs first, while the store is new: no version has been set yet.
    void versionIsSetByTheAdministrator() {
        auto answer = PostCommand(Port, protocol::SelectExeVersionCommand(), "Active");
        QCOMPARE(answer.Status, 200);
        QCOMPARE(J(answer.Body["columns"]), J(json({"InfoContent"})));
        QCOMPARE(int(answer.Body["rows"].size()), 0);

        QCOMPARE(RunAdministration({"set-version", "V1.4", "--db", Store}).first, 0);
        QCOMPARE(RunAdministration({"set-version", "V1.5", "--db", Store}).first, 0);
        answer = PostCommand(Port, protocol::SelectExeVersionCommand(), "Active");
        QCOMPARE(J(answer.Body["rows"]), J(json({{"V1.5"}})));
        QVERIFY(RunAdministration({"set-version", "", "--db", Store}).first != 0);
    }

    void uploadedGradeComesBackWithItsColumns() {
        const std::string id = UniqueId();
        const auto before = QDateTime::currentDateTimeUtc().addSecs(-2);
        auto answer = PostCommand(Port, protocol::InsertGradeCommand(id, "a'b", 1800, 95),
                                  "Execute", "dspClient2");
        QCOMPARE(answer.Status, 200);
        QCOMPARE(J(answer.Body), J(json({{"rowsAffected", 1}})));

        answer = PostCommand(Port, protocol::SelectGradeCommand(id, 90), "Active", "dspClient3");
        QCOMPARE(answer.Status, 200);
        QCOMPARE(J(answer.Body["columns"]),
                 J(json({"EmpID", "EmpName", "UseTime", "ReferDate", "Mark"})));
        QCOMPARE(int(answer.Body["rows"].size()), 1);
        const json row = answer.Body["rows"][0];
        QCOMPARE(J(row[0]), J(json(id)));
        QCOMPARE(J(row[1]), J(json("a'b")));
        QCOMPARE(J(row[2]), J(json(1800)));
        QCOMPARE(J(row[4]), J(json(95)));
        const auto referDate =
            QDateTime::fromString(QString::fromStdString(row[3].get<std::string>()), Qt::ISODate);
        QVERIFY(referDate.isValid());
        QCOMPARE(referDate.timeSpec(), Qt::UTC);
        QVERIFY(referDate >= before && referDate <= QDateTime::currentDateTimeUtc().addSecs(2));

        const auto [code, listing] =
            RunAdministration({"list-grades", QString::fromStdString(id), "--db", Store});
        QCOMPARE(code, 0);
        QVERIFY2(listing.contains(QString::fromStdString(id) + "\ta'b\t1800\t"),
                 qPrintable(listing));
    }

    void selectionKeepsTheIdAndMinimumNewestFirst() {
        const std::string id = UniqueId();
        for (int mark : {91, 99, 90, 95})
            QCOMPARE(PostCommand(Port, protocol::InsertGradeCommand(id, "n", 100, mark), "Execute")
                         .Status,
                     200);
        QCOMPARE(PostCommand(Port, protocol::InsertGradeCommand(id + "x", "n", 100, 99), "Execute")
                     .Status,
                 200);
        const json rows = SelectRows(Port, id, 91);
        QCOMPARE(int(rows.size()), 3);
        QCOMPARE(J(rows[0][4]), J(json(95)));
        QCOMPARE(J(rows[1][4]), J(json(99)));
        QCOMPARE(J(rows[2][4]), J(json(91)));
        QCOMPARE(int(SelectRows(Port, id, 100).size()), 0);
    }

    void gradeWithAKeyIsStoredOnceHoweverOftenSent() {
        const std::string id = UniqueId();
        const std::string key = id + "-4f1c";
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto answer =
                PostCommand(Port, protocol::InsertGradeCommand(id, "k", 600, 93, key), "Execute");
            QCOMPARE(answer.Status, 200);
            QCOMPARE(J(answer.Body), J(json({{"rowsAffected", attempt == 0 ? 1 : 0}})));
        }
        // Grades without a key, and with another key, are all kept.
        for (const std::string& other : {std::string(), key + "b", std::string()})
            QCOMPARE(
                PostCommand(Port, protocol::InsertGradeCommand(id, "k", 600, 93, other), "Execute")
                    .Status,
                200);
        QCOMPARE(int(SelectRows(Port, id, 90).size()), 4);
        const auto refused = PostCommand(
            Port, protocol::InsertGradeCommand(id, "k", 600, 93, "bad key';--"), "Execute");
        QCOMPARE(refused.Status, 400);
        QCOMPARE(int(SelectRows(Port, id, 90).size()), 4);
    }

    void emptySelectionIsSuccessWithNoRows() {
        const auto answer = PostCommand(Port, protocol::SelectGradeCommand(UniqueId(), 90), "Open");
        QCOMPARE(answer.Status, 200);
        QCOMPARE(int(answer.Body["columns"].size()), 5);
        QVERIFY(answer.Body["rows"].is_array() && answer.Body["rows"].empty());
    }

    void argumentsOutOfRangeAreRefusedAndNotStored_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("useTime");
        QTest::addColumn<int>("mark");
        QTest::addColumn<bool>("accepted");
        const QString id25(25, 'i');
        const QString name20 = QString("张").repeated(20);
        QTest::newRow("longest id and name") << id25 << name20 << 2700 << 100 << true;
        QTest::newRow("id too long") << id25 + "x"
                                     << "n" << 0 << 0 << false;
        QTest::newRow("name too long") << "i" << name20 + "三" << 0 << 0 << false;
        QTest::newRow("empty id") << ""
                                  << "n" << 0 << 0 << false;
        QTest::newRow("empty name") << "i"
                                    << "" << 0 << 0 << false;
        QTest::newRow("control character") << "i"
                                           << "a\nb" << 0 << 0 << false;
        QTest::newRow("use time too long") << "i"
                                           << "n" << 2701 << 90 << false;
        QTest::newRow("negative use time") << "i"
                                           << "n" << -1 << 90 << false;
        QTest::newRow("mark above 100") << "i"
                                        << "n" << 100 << 101 << false;
        QTest::newRow("negative mark") << "i"
                                       << "n" << 100 << -5 << false;
    }

    void argumentsOutOfRangeAreRefusedAndNotStored() {
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFETCH(int, useTime);
        QFETCH(int, mark);
        QFETCH(bool, accepted);
        // Prefix the ID uniquely for this run without changing its length.
        std::string empId = id.toStdString();
        const std::string unique = UniqueId();
        if (empId.size() >= unique.size())
            empId.replace(0, unique.size(), unique);
        const auto answer = PostCommand(
            Port, protocol::InsertGradeCommand(empId, name.toStdString(), useTime, mark),
            "Execute");
        QCOMPARE(answer.Status, accepted ? 200 : 400);
        QVERIFY(accepted || answer.Body["error"].is_string());
        if (!empId.empty())
            QCOMPARE(int(SelectRows(Port, empId, 0).size()), accepted ? 1 : 0);
    }

    void injectionIsStoredAsDataOrRefused() {
        const std::string id = UniqueId();
        const std::string hostile = "x');drop table g;--";
        QCOMPARE(
            PostCommand(Port, protocol::InsertGradeCommand(id, hostile, 10, 93), "Execute").Status,
            200);
        QCOMPARE(J(SelectRows(Port, id, 0)[0][1]), J(json(hostile)));

        // The same attack written into the text unquoted does not parse.
        for (const std::string& text : std::vector<std::string>{
                 "exec procInsertGrade '" + id + "','x',0,0);drop table grades;--",
                 "exec procSelectGrade '" + id + "' or '1'='1',0",
                 "exec procSelectGrade '" + id + "',0; delete from grades",
                 "exec procSelectExeVersion ; select 1"}) {
            const auto answer = PostCommand(Port, text, "Active");
            QCOMPARE(answer.Status, 400);
        }
        // A quoted attack on the ID matches nothing, and every grade is still there.
        QCOMPARE(int(SelectRows(Port, "' or '1'='1", 0).size()), 0);
        QCOMPARE(int(SelectRows(Port, id, 0).size()), 1);
    }

    void badRequestsGetAnErrorAnswer_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        const QByteArray select = Body(protocol::SelectGradeCommand("1", 90), "Active");
        const QString open = "/providers/dspClient1";
        QTest::newRow("unknown provider") << "/providers/dspClient4" << select << 404;
        QTest::newRow("no provider") << "/providers/" << select << 404;
        QTest::newRow("unknown path") << "/grades" << select << 404;
        QTest::newRow("malformed text")
            << open << Body("exec procSelectGrade \'1,90", "Active") << 400;
        QTest::newRow("not json") << open << QByteArray("exec x") << 400;
        QTest::newRow("no mode") << open << QByteArray("{\"command\":\"exec x\"}") << 400;
        QTest::newRow("invalid utf-8")
            << open << Body("exec procSelectGrade \'\xff\',90", "Open", false) << 400;
        QTest::newRow("oversized body")
            << open << Body(protocol::SelectGradeCommand(std::string(100000, 'a'), 90), "Open")
            << 413;
    }

    void badRequestsGetAnErrorAnswer() {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        const auto answer = PostBody(Port, path.toStdString(), body.toStdString());
        QCOMPARE(answer.Status, status);
        QVERIFY(answer.Body["error"].is_string());
        QCOMPARE(GetPath(Port, "/health").Status, 200);
    }

    void concurrentUploadsAreAllKept() {
        const std::string id = UniqueId();
        std::atomic<int> acknowledged = 0;
        std::vector<std::thread> clients;
        for (int c = 0; c < 16; ++c)
            clients.emplace_back([&, c] {
                for (int i = 0; i < 4; ++i)
                    if (PostCommand(Port, protocol::InsertGradeCommand(id, "c", c * 10 + i, 90),
                                    "Execute")
                            .Status == 200)
                        ++acknowledged;
            });
        for (auto& client : clients)
            client.join();
        QCOMPARE(acknowledged.load(), 64);
        QCOMPARE(int(SelectRows(Port, id, 90).size()), 64);
    }

    void eachRequestLeavesOneLogLine() {
        const QString before = Service->Log();
        GetPath(Port, "/health?probe");
        PostCommand(Port, protocol::SelectExeVersionCommand(), "Active", "dspClient9");
        const QString added = Service->Log().mid(before.size());
        QCOMPARE(added.count('\n'), 2);
        QVERIFY2(added.contains("GET /health 200"), qPrintable(added));
        QVERIFY2(added.contains(
                     QRegularExpression("POST /providers/dspClient9 404 .* unknown provider\\n")),
                 qPrintable(added));
    }

    void acknowledgedGradeSurvivesKill() {
        const std::string id = UniqueId();
        QCOMPARE(
            PostCommand(Port, protocol::InsertGradeCommand(id, "k", 1234, 97), "Execute").Status,
            200);
        Service->Kill();
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Port = Service->Port();
        const json rows = SelectRows(Port, id, 90);
        QCOMPARE(int(rows.size()), 1);
        QCOMPARE(J(rows[0][2]), J(json(1234)));
    }

    // Grades are committed in batches and acknowledged only once their batch is durable:
    // a kill in the middle of many concurrent uploads loses none that was acknowledged.
    void acknowledgedGradesOfConcurrentUploadsSurviveKill() {
        const std::string id = UniqueId();
        constexpr int kClients = 8;
        constexpr int kMostEach = 400; // within the rows a selection returns
        std::atomic<bool> killed = false;
        std::vector<std::vector<int>> acknowledged(kClients);
        std::vector<std::thread> clients;
        for (int c = 0; c < kClients; ++c)
            clients.emplace_back([&, c] {
                const std::string own = id + "-" + std::to_string(c);
                for (int n = 0; n < kMostEach && !killed; ++n)
                    if (PostCommand(Port, protocol::InsertGradeCommand(own, "k", n, 95), "Execute")
                            .Status == 200)
                        acknowledged[size_t(c)].push_back(n);
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Service->Kill();
        killed = true;
        for (auto& client : clients)
            client.join();
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Port = Service->Port();
        int total = 0;
        for (int c = 0; c < kClients; ++c) {
            std::set<int> kept;
            for (const auto& row : SelectRows(Port, id + "-" + std::to_string(c), 90))
                kept.insert(row[2].get<int>());
            for (const int n : acknowledged[size_t(c)])
                QVERIFY2(kept.contains(n),
                         qPrintable(QString("client %1, grade %2").arg(c).arg(n)));
            total += int(acknowledged[size_t(c)].size());
        }
        QVERIFY(total > 0);
    }

    void terminationStopsCleanlyWithAnIdleConnection() {
        httplib::Client idle("127.0.0.1", Port);
        idle.set_keep_alive(true);
        QVERIFY(idle.Get("/health"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY2(Service->Stop(), qPrintable(Service->Log()));
        QVERIFY(timer.elapsed() < 4000);
        QVERIFY(Service->Log().contains("stopped"));
        Service.reset();
    }
};

QTEST_GUILESS_MAIN(TestGradeService)
#include "tst_grade_service.moc"
