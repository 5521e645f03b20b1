// The grade service on a SQLite file that an operator deletes, makes read-only or copies
// while it runs, and the requests it refuses before they reach the store.
#include "ServiceProcess.h"
#include "protocol/CommandText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

using nlohmann::json;

namespace {

int Insert(int port, const std::string& id, const std::string& name = "n",
           const std::string& mode = "Execute") {
    return PostCommand(port, protocol::InsertGradeCommand(id, name, 600, 95), mode).Status;
}

int RowsOf(int port, const std::string& id) {
    const auto answer = PostCommand(port, protocol::SelectGradeCommand(id, 0), "Active");
    return answer.Status == 200 ? int(answer.Body["rows"].size()) : -1;
}

int Health(int port) {
    return GetPath(port, "/health").Status;
}

// Rows of a SQLite file read directly, or -1 when it cannot be read as a store.
int CountGrades(const QString& file) {
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        sqlite3_exec(
            db, "SELECT count(*) FROM grades",
            [](void* out, int, char** cells, char**) {
                *static_cast<int*>(out) = std::atoi(cells[0]);
                return 0;
            },
            &count, nullptr);
    sqlite3_close(db);
    return count;
}

// Another process's connection to a SQLite file that holds its write lock while it lives.
class WriteLock {
public:
    explicit WriteLock(const QString& file) {
        sqlite3_open_v2(file.toUtf8().constData(), &Db, SQLITE_OPEN_READWRITE, nullptr);
        Held = sqlite3_exec(Db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock() {
        sqlite3_exec(Db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(Db);
    }
    bool Held = false;

private:
    sqlite3* Db = nullptr;
};

} // namespace

class TestStoreFaults : public QObject {
    Q_OBJECT

private slots:
    void deletedFileRefusesWritesAndIsNotRecreated() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess service(file);
        QVERIFY2(service.Start(), qPrintable(service.Log()));
        QCOMPARE(Insert(service.Port(), "before"), 200);
        QCOMPARE(Health(service.Port()), 200);

        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(file + suffix);
        int acknowledged = 0;
        for (int i = 0; i < 20; ++i)
            acknowledged += Insert(service.Port(), "after") == 200;
        QCOMPARE(acknowledged, 0);
        QCOMPARE(Health(service.Port()), 503);
        QVERIFY(GetPath(service.Port(), "/health").Body["reason"].get<std::string>().find("gone") !=
                std::string::npos);
        // Reads on fresh connections must not leave an empty file behind either.
        for (int i = 0; i < 20; ++i)
            RowsOf(service.Port(), "before");
        QVERIFY(!QFile::exists(file));
        QVERIFY(service.Stop());

        // Started again, the service creates a new store on purpose; nothing was acknowledged
        // that it lacks.
        ServiceProcess restarted(file);
        QVERIFY2(restarted.Start(), qPrintable(restarted.Log()));
        QCOMPARE(RowsOf(restarted.Port(), "after"), 0);
        QCOMPARE(Health(restarted.Port()), 200);
        QVERIFY(restarted.Stop());
    }

    void replacedFileRefusesWrites() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess service(file);
        QVERIFY2(service.Start(), qPrintable(service.Log()));
        QCOMPARE(Insert(service.Port(), "r"), 200);
        QVERIFY(QFile::rename(file, file + ".old"));
        QVERIFY(QFile::copy(file + ".old", file));
        QCOMPARE(Insert(service.Port(), "r"), 503);
        QCOMPARE(Health(service.Port()), 503);
        QVERIFY(service.Stop());
    }

    // Permission bits, not access(): the tests may run as root, who could write anyway.
    void readOnlyFileRecoversWhenWritableAgain() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess service(file);
        QVERIFY2(service.Start(), qPrintable(service.Log()));
        QCOMPARE(Insert(service.Port(), "ro"), 200);

        QVERIFY(::chmod(file.toUtf8().constData(), 0400) == 0);
        QCOMPARE(Insert(service.Port(), "ro"), 503);
        QCOMPARE(Health(service.Port()), 503);
        QCOMPARE(RowsOf(service.Port(), "ro"), 1);

        QVERIFY(::chmod(file.toUtf8().constData(), 0600) == 0);
        QCOMPARE(Health(service.Port()), 200);
        int acknowledged = 0;
        for (int i = 0; i < 40; ++i)
            acknowledged += Insert(service.Port(), "ro") == 200;
        QCOMPARE(acknowledged, 40);
        QCOMPARE(RowsOf(service.Port(), "ro"), 41);
        QVERIFY(service.Stop());
    }

    // The health check tells at once that another process keeps the store from writing,
    // instead of waiting as long as a grade would for the lock.
    void healthReportsAWriteLockOfAnotherProcessQuickly() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess service(file);
        QVERIFY2(service.Start(), qPrintable(service.Log()));
        {
            WriteLock lock(file);
            QVERIFY(lock.Held);
            QElapsedTimer timer;
            timer.start();
            const auto health = GetPath(service.Port(), "/health");
            QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(health.Status, 503);
            QVERIFY2(health.Body.value("reason", "").find("locked") != std::string::npos,
                     health.Body.dump().c_str());
        }
        QCOMPARE(Health(service.Port()), 200);
        QVERIFY(service.Stop());
    }

    // Reads never wait for the workers: with the only worker stuck on a write that waits
    // for the lock, selects are still answered at once, and the write goes through once
    // the lock is free.
    void readsAreAnsweredWhileTheWriteWaitsForTheLock() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess service(file, {"--threads", "1"});
        QVERIFY2(service.Start(), qPrintable(service.Log()));
        QCOMPARE(Insert(service.Port(), "read"), 200);
        std::atomic<int> written = 0;
        std::jthread writer; // joined on every way out, after the lock is gone
        {
            WriteLock lock(file);
            QVERIFY(lock.Held);
            writer = std::jthread([&] { written = Insert(service.Port(), "waits"); });
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < 5; ++i)
                QCOMPARE(RowsOf(service.Port(), "read"), 1);
            QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(written.load(), 0);
        }
        writer.join();
        QCOMPARE(written.load(), 200);
        QCOMPARE(RowsOf(service.Port(), "waits"), 1);
        QVERIFY(service.Stop());
    }

    void startOnReadOnlyFileIsRefusedWithItsReason() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess first(file);
        QVERIFY2(first.Start(), qPrintable(first.Log()));
        QVERIFY(first.Stop());
        QVERIFY(::chmod(file.toUtf8().constData(), 0400) == 0);
        ServiceProcess service(file);
        QVERIFY(!service.Start());
        QVERIFY2(service.Log().contains("read-only"), qPrintable(service.Log()));
    }

    void newFilesAreForTheOwnerOnly() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess service(file);
        QVERIFY2(service.Start(), qPrintable(service.Log()));
        QCOMPARE(Insert(service.Port(), "mode"), 200);
        for (const char* suffix : {"", "-wal", "-shm"}) {
            struct stat status {};
            QVERIFY(::stat((file + suffix).toUtf8().constData(), &status) == 0);
            QCOMPARE(int(status.st_mode & 0777), 0600);
        }
        QCOMPARE(RunAdministration({"backup", folder.filePath("copy.db"), "--db", file}).first, 0);
        QVERIFY(QFile::permissions(folder.filePath("copy.db")) ==
                (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser));
        QVERIFY(service.Stop());
    }

    void backupWhileInsertingIsConsistent() {
        QTemporaryDir folder;
        const QString file = folder.filePath("grades.db");
        ServiceProcess service(file);
        QVERIFY2(service.Start(), qPrintable(service.Log()));
        const int port = service.Port();
        std::atomic<bool> stop = false;
        std::atomic<int> acknowledged = 0;
        std::vector<std::thread> writers;
        for (int w = 0; w < 4; ++w)
            writers.emplace_back([&] {
                while (!stop)
                    acknowledged += Insert(port, "b") == 200;
            });
        QTest::qWait(300);
        const int before = acknowledged;
        const QString copy = folder.filePath("backup.db");
        const auto [code, output] = RunAdministration({"backup", copy, "--db", file});
        const int after = acknowledged;
        stop = true;
        for (auto& writer : writers)
            writer.join();
        QCOMPARE(code, 0);
        QVERIFY(!QFile::exists(copy + ".part"));
        // A snapshot taken between the two counts, whole, alone (no journal beside it).
        const int copied = CountGrades(copy);
        QVERIFY2(copied >= before && copied <= after,
                 qPrintable(QString("%1 <= %2 <= %3").arg(before).arg(copied).arg(after)));
        QVERIFY(!QFile::exists(copy + "-wal"));
        QCOMPARE(RowsOf(port, "b"), std::min(int(acknowledged), 1000));
        QVERIFY(RunAdministration({"backup", file, "--db", file}).first != 0);
        QVERIFY(service.Stop());
    }

    void modesMustFitTheProcedure_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("status");
        const QString insert =
            QString::fromStdString(protocol::InsertGradeCommand("modes", "n", 600, 95));
        const QString select = QString::fromStdString(protocol::SelectGradeCommand("modes", 90));
        const QString version = QString::fromStdString(protocol::SelectExeVersionCommand());
        QTest::newRow("insert Execute") << insert << "Execute" << 200;
        QTest::newRow("insert EXECUTE") << insert << "EXECUTE" << 200;
        QTest::newRow("insert Bogus") << insert << "Bogus" << 400;
        QTest::newRow("insert empty") << insert << "" << 400;
        QTest::newRow("insert Active") << insert << "Active" << 400;
        QTest::newRow("select Active") << select << "Active" << 200;
        QTest::newRow("select open") << select << "open" << 200;
        QTest::newRow("select Execute") << select << "Execute" << 400;
        QTest::newRow("select Bogus") << select << "Bogus" << 400;
        QTest::newRow("version Active") << version << "Active" << 200;
        QTest::newRow("version Execute") << version << "Execute" << 400;
    }

    void modesMustFitTheProcedure() {
        QFETCH(QString, command);
        QFETCH(QString, mode);
        QFETCH(int, status);
        QCOMPARE(PostCommand(Port, command.toStdString(), mode.toStdString()).Status, status);
    }

    void invisibleAndControlCharactersAreRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inId");
        for (const bool inId : {true, false}) {
            const char* where = inId ? "id " : "name ";
            QTest::addRow("%sU+0085", where) << QString("a\u0085b") << inId;
            QTest::addRow("%sU+009B", where) << QString("a\u009B2J") << inId;
            QTest::addRow("%sU+202E", where) << QString("a\u202Eb") << inId;
            QTest::addRow("%sU+2028", where) << QString("a\u2028b") << inId;
            QTest::addRow("%sU+FFFF", where) << QString("a") + QChar(0xFFFF) << inId;
            QTest::addRow("%szero width only", where) << QString("\u200B\u200B") << inId;
            QTest::addRow("%sbyte order mark", where) << QString("a\uFEFF") << inId;
            QTest::addRow("%sblanks only", where) << QString("\u3000 ") << inId;
        }
    }

    void invisibleAndControlCharactersAreRefused() {
        QFETCH(QString, text);
        QFETCH(bool, inId);
        const std::string value = text.toStdString();
        const std::string id = inId ? value : "chars";
        QCOMPARE(Insert(Port, id, inId ? "n" : value), 400);
        if (inId)
            QCOMPARE(PostCommand(Port, protocol::SelectGradeCommand(value, 0), "Active").Status,
                     400);
        QCOMPARE(RowsOf(Port, "chars"), 0);
    }

    void idIsTrimmedAsTheProgramTrimsIt() {
        QCOMPARE(Insert(Port, " 123 "), 200);
        QCOMPARE(Insert(Port, "\u3000123\t"), 200);
        QCOMPARE(Insert(Port, "123"), 200);
        QCOMPARE(RowsOf(Port, "123"), 3);
        QCOMPARE(RowsOf(Port, "  123"), 3);
        const auto answer = PostCommand(Port, protocol::SelectGradeCommand("123", 0), "Active");
        for (const auto& row : answer.Body["rows"])
            QCOMPARE(row[0].get<std::string>(), std::string("123"));
        // A name keeps its inner blanks; an ID of blanks only is no ID.
        QCOMPARE(Insert(Port, "124", "欧阳 娜娜"), 200);
        QCOMPARE(Insert(Port, "   "), 400);
    }

    void initTestCase() {
        QVERIFY(Folder.isValid());
        Service = std::make_unique<ServiceProcess>(Folder.filePath("shared.db"));
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        Port = Service->Port();
    }

    void cleanupTestCase() {
        if (Service)
            QVERIFY2(Service->Stop(), qPrintable(Service->Log()));
    }

private:
    QTemporaryDir Folder;
    std::unique_ptr<ServiceProcess> Service;
    int Port = 0;
};

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "tst_store_faults.moc"
