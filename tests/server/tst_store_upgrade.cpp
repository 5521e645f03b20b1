// A grade store written before the site existed opens with its grades intact and gains the
// feedback and notice tables.
#include "GradeStore.h"
#include "StoreLimits.h"

#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

// The schema of the first release, with one grade in it.
bool WriteFirstReleaseStore(const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
        return false;
    const int rc = sqlite3_exec(db, R"sql(
        CREATE TABLE grades (id INTEGER PRIMARY KEY AUTOINCREMENT, emp_id TEXT NOT NULL,
            emp_name TEXT NOT NULL, use_time INTEGER NOT NULL, mark INTEGER NOT NULL,
            refer_date TEXT NOT NULL);
        CREATE TABLE exe_versions (id INTEGER PRIMARY KEY AUTOINCREMENT,
            info_content TEXT NOT NULL, set_at TEXT NOT NULL);
        INSERT INTO grades (emp_id, emp_name, use_time, mark, refer_date)
            VALUES ('old', 'n', 100, 95, '2026-01-02T03:04:05.000Z');
        INSERT INTO exe_versions (info_content, set_at) VALUES ('V1.4', '2026-01-02T03:04:05Z');
        PRAGMA user_version=1;)sql",
                                nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

} // namespace

class TestStoreUpgrade : public QObject {
    Q_OBJECT

private slots:
    void firstReleaseStoreGainsTheSiteTables() {
        QTemporaryDir folder;
        const std::string file = folder.filePath("grades.db").toStdString();
        QVERIFY(WriteFirstReleaseStore(file));

        auto store = OpenGradeStore(file, 2);
        QCOMPARE(int(store->ListGrades("old").Rows.size()), 1);
        QCOMPARE(std::get<std::string>(store->SelectExeVersion().Rows.at(0).at(0)),
                 std::string("V1.4"));
        store->AddFeedback({"", "第一条", "127.0.0.1"});
        store->SetNotice("公告");
        store.reset();

        // Opened again, nothing is created twice and everything is still there.
        store = OpenGradeStore(file, 2);
        QCOMPARE(int(store->ListFeedback().Rows.size()), 1);
        QCOMPARE(store->Notice(), std::string("公告"));
        QCOMPARE(int(store->ListGrades("old").Rows.size()), 1);
    }

    void tableChecksHoldTheLimits() {
        QTemporaryDir folder;
        auto store = OpenGradeStore(folder.filePath("grades.db").toStdString(), 1);
        QVERIFY_THROWS_EXCEPTION(StoreError, store->AddFeedback({"", "", "x"}));
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 store->SetNotice(std::string(kNoticeChars.High + 1, 'n')));
        QVERIFY_THROWS_EXCEPTION(
            StoreError, store->InsertGrade({"i", "n", protocol::kUseTimeSeconds.High + 1, 90, {}}));
        QCOMPARE(store->InsertGrade({"i", "n", protocol::kUseTimeSeconds.High, 90, {}}), 1LL);
        QCOMPARE(int(store->ListFeedback().Rows.size()), 0);
    }
};

QTEST_GUILESS_MAIN(TestStoreUpgrade)
#include "tst_store_upgrade.moc"
