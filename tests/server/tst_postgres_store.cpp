// The PostgreSQL store on databases of other encodings and of older schemas, in the
// throwaway cluster of the test fixture.
#include "GradeStore.h"
#include "SubmitAll.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <libpq-fe.h>
#include <thread>
#include <vector>

namespace {

QString ClusterUrl() {
    QFile urlFile(QString::fromLocal8Bit(qgetenv("VELTRANO_TEST_PG_STATE")) + "/url");
    return urlFile.open(QIODevice::ReadOnly) ? QString::fromUtf8(urlFile.readAll()).trimmed()
                                             : QString();
}

// Runs SQL on the database of `url`; the error text, or an empty text when it ran.
std::string Execute(const std::string& url, const std::string& sql) {
    PGconn* conn = PQconnectdb(url.c_str());
    std::string error;
    if (PQstatus(conn) != CONNECTION_OK) {
        error = PQerrorMessage(conn);
    } else {
        PGresult* result = PQexec(conn, sql.c_str());
        const auto status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            error = PQerrorMessage(conn);
        PQclear(result);
    }
    PQfinish(conn);
    return error;
}

// A new database of the cluster in `encoding`; returns its URL.
std::string NewDatabase(const char* encoding) {
    static int created = 0;
    const QString cluster = ClusterUrl();
    const QString name = QStringLiteral("veltrano_store_%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(++created);
    const std::string error =
        Execute(cluster.toStdString(), "CREATE DATABASE " + name.toStdString() + " ENCODING '" +
                                           encoding + "' TEMPLATE template0");
    if (!error.empty())
        qWarning("%s", error.c_str());
    return (cluster.left(cluster.lastIndexOf('/') + 1) + name).toStdString();
}

std::string Cell(const protocol::ResultSet& result, size_t row, size_t column) {
    return std::get<std::string>(result.Rows.at(row).at(column));
}

} // namespace

class TestPostgresStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (ClusterUrl().isEmpty())
            QSKIP("no PostgreSQL cluster");
    }

    void chineseNamesAreKeptWhateverTheEncoding_data() {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("UTF8") << "UTF8";
        QTest::newRow("EUC_CN") << "EUC_CN";
        QTest::newRow("SQL_ASCII") << "SQL_ASCII";
    }

    void chineseNamesAreKeptWhateverTheEncoding() {
        QFETCH(QString, encoding);
        auto store = OpenGradeStore(NewDatabase(encoding.toUtf8().constData()), 2);
        // Twenty characters is the longest name, sixty bytes in UTF-8.
        const std::string name = QString(20, QChar(0x5F20)).toStdString();
        QCOMPARE(store->InsertGrade({"410102", name, 1805, 96, {}}), 1LL);
        QCOMPARE(store->InsertGrade({"410102", "欧阳娜娜", 100, 91, {}}), 1LL);
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 store->InsertGrade({"410102", name + "张", 1, 95, {}}));
        const auto rows = store->SelectGrade({"410102", 90}).Rows;
        QCOMPARE(int(rows.size()), 2);
        QCOMPARE(Cell(store->ListGrades("410102"), 1, 1), name);
        store->SetNotice(QString(60, QChar(0x901A)).toStdString());
        QCOMPARE(store->Notice(), QString(60, QChar(0x901A)).toStdString());
        store->CheckWritable();
    }

    // A character beyond GB 2312 cannot be kept in EUC_CN: the client is told, the store
    // stays healthy, and the name is not in the error.
    void characterBeyondTheEncodingIsTheClientsFault() {
        auto store = OpenGradeStore(NewDatabase("EUC_CN"), 1);
        try {
            store->InsertGrade({"410103", "王喆𠀀", 100, 95, {}});
            QFAIL("stored a character EUC_CN lacks");
        } catch (const StoreRefusal& refusal) {
            QVERIFY(!QString(refusal.what()).contains("喆"));
            QVERIFY(!QString(refusal.what()).contains("0xf0"));
        }
        QCOMPARE(store->InsertGrade({"410103", "王五", 100, 95, {}}), 1LL);
    }

    // Inserts submitted together go to the server as one statement; when a name of the
    // batch cannot be kept, that grade alone is refused, and every other is stored once:
    // none lost with the refused statement, none stored twice when the rest is sent again.
    void refusedGradeOfABatchFailsAlone() {
        auto store = OpenGradeStore(NewDatabase("EUC_CN"), 2);
        std::vector<protocol::Command> commands;
        for (int n = 0; n < 40; ++n)
            commands.push_back(protocol::InsertGrade{"410104", n % 9 == 4 ? "王喆𠀀" : "王五", n,
                                                     95, n == 3 || n == 30 ? "key-2" : ""});
        const auto outcomes = SubmitAll(*store, commands);
        int stored = 0;
        for (int n = 0; n < 40; ++n) {
            const auto& outcome = outcomes[size_t(n)];
            if (n % 9 == 4) {
                QVERIFY_THROWS_EXCEPTION(StoreRefusal, std::rethrow_exception(outcome.Failure));
                continue;
            }
            QVERIFY2(!outcome.Failure, qPrintable(QString::number(n)));
            QCOMPARE(outcome.Added, n == 30 ? 0LL : 1LL);
            stored += int(outcome.Added);
        }
        QCOMPARE(stored, 35);
        QCOMPARE(int(store->ListGrades("410104").Rows.size()), stored);
        // A key and a name of every kind in one statement: quotes and backslashes survive.
        const std::string odd = "a\\\"b'{c},d";
        QCOMPARE(SubmitAll(*store, {protocol::InsertGrade{"410105", odd, 1, 95, "k-3"},
                                    protocol::InsertGrade{"410105", "NULL", 2, 96, {}}})
                     .at(1)
                     .Added,
                 1LL);
        const auto rows = store->ListGrades("410105");
        QCOMPARE(int(rows.Rows.size()), 2);
        QCOMPARE(Cell(rows, 1, 1), odd);
        QCOMPARE(Cell(rows, 0, 1), std::string("NULL"));
    }

    void encodingWithoutChineseIsRefusedAtStart() {
        const std::string url = NewDatabase("LATIN1");
        try {
            OpenGradeStore(url, 1);
            QFAIL("opened a LATIN1 database");
        } catch (const StoreError& error) {
            QVERIFY2(QString(error.what()).contains("LATIN1"), error.what());
            QVERIFY2(QString(error.what()).contains("UTF8"), error.what());
        }
    }

    void firstReleaseDatabaseIsUpgradedInPlace() {
        const std::string url = NewDatabase("UTF8");
        QCOMPARE(Execute(url, R"sql(
            CREATE TABLE grades (id bigserial PRIMARY KEY,
                emp_id text NOT NULL CHECK (char_length(emp_id) BETWEEN 1 AND 25),
                emp_name text NOT NULL CHECK (char_length(emp_name) BETWEEN 1 AND 20),
                use_time integer NOT NULL, mark integer NOT NULL,
                refer_date timestamptz NOT NULL DEFAULT now());
            CREATE TABLE exe_versions (id bigserial PRIMARY KEY, info_content text NOT NULL,
                set_at timestamptz NOT NULL DEFAULT now());
            CREATE FUNCTION procInsertGrade(p_emp_id text, p_emp_name text, p_use_time integer,
                                            p_mark integer) RETURNS integer LANGUAGE sql
                AS 'INSERT INTO grades (emp_id, emp_name, use_time, mark)
                    VALUES (p_emp_id, p_emp_name, p_use_time, p_mark) RETURNING 1';
            INSERT INTO grades (emp_id, emp_name, use_time, mark) VALUES ('old', '旧', 100, 95);
            INSERT INTO exe_versions (info_content) VALUES ('V1.4');)sql"),
                 std::string());

        auto store = OpenGradeStore(url, 2);
        QCOMPARE(Cell(store->ListGrades("old"), 0, 1), std::string("旧"));
        QCOMPARE(Cell(store->SelectExeVersion(), 0, 0), std::string("V1.4"));
        QCOMPARE(store->InsertGrade({"old", "n", 1, 92, "key-1"}), 1LL);
        QCOMPARE(store->InsertGrade({"old", "n", 1, 92, "key-1"}), 0LL);
        store->AddFeedback({"", "升级后", "127.0.0.1"});
        store.reset();

        // Opened again, nothing is upgraded twice.
        store = OpenGradeStore(url, 2);
        QCOMPARE(int(store->ListGrades("old").Rows.size()), 2);
        QCOMPARE(int(store->ListFeedback().Rows.size()), 1);

        // A database upgraded by a newer program is left alone.
        QCOMPARE(Execute(url, "UPDATE veltrano_schema SET version = 99"), std::string());
        QVERIFY_THROWS_EXCEPTION(StoreError, OpenGradeStore(url, 1));
    }

    void readOnlyDatabaseFailsTheWriteCheck() {
        const std::string url = NewDatabase("UTF8");
        auto store = OpenGradeStore(url, 1);
        store->CheckWritable();
        const std::string name = url.substr(url.rfind('/') + 1);
        QCOMPARE(Execute(url, "ALTER DATABASE " + name + " SET default_transaction_read_only = on"),
                 std::string());
        // The setting reaches new sessions: a new store's connection.
        auto readOnly = OpenGradeStore(url, 1);
        QVERIFY_THROWS_EXCEPTION(StoreError, readOnly->CheckWritable());
    }

    // Reads of many callers share connections and travel together: each caller still gets
    // the rows of its own ID, and a refused read fails only its own caller.
    void concurrentReadsEachGetTheirOwnRows() {
        auto store = OpenGradeStore(NewDatabase("EUC_CN"), 4);
        constexpr int kIds = 24;
        for (int id = 1; id <= kIds; ++id)
            for (int n = 0; n < id % 5 + 1; ++n)
                store->InsertGrade({"id" + std::to_string(id), "n", 100, 90 + n, {}});
        std::atomic<int> wrong = 0;
        std::atomic<int> refused = 0;
        std::vector<std::thread> callers;
        for (int caller = 0; caller < 32; ++caller)
            callers.emplace_back([&, caller] {
                for (int round = 0; round < 20; ++round) {
                    const int id = (caller + round) % kIds + 1;
                    const std::string empId = "id" + std::to_string(id);
                    if (round % 7 == 3) {
                        // Beyond GB 2312: the database cannot even compare it.
                        try {
                            store->SelectGrade({"\U0001F600", 0});
                        } catch (const StoreRefusal&) {
                            ++refused;
                        }
                        continue;
                    }
                    const auto rows = store->SelectGrade({empId, 0}).Rows;
                    const bool own = int(rows.size()) == id % 5 + 1 &&
                                     std::all_of(rows.begin(), rows.end(), [&](const auto& row) {
                                         return std::get<std::string>(row.at(0)) == empId;
                                     });
                    wrong += own ? 0 : 1;
                }
            });
        for (auto& caller : callers)
            caller.join();
        QCOMPARE(wrong.load(), 0);
        QCOMPARE(refused.load(), 32 * 3);
    }
};

QTEST_GUILESS_MAIN(TestPostgresStore)
#include "tst_postgres_store.moc"
