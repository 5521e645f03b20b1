#include "BankContent.h"
#include "BankCsv.h"
#include "BankTool.h"
#include "Encryption.h"
#include "data/BankUpdate.h"
#include "data/GbkCodeCall.h"
#include "data/SqlCipherConnection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace {

const QString SubHeader = QStringLiteral(
    "ID,SubID,ChapterID,SubMark,SubContent,SubContentPic,SubContentPicType,AAnswer,BAnswer,"
    "CAnswer,DAnswer,SubAnswer,SubAnalyse,SubAnalysePic,SubAnalysePicType,WrongMark,"
    "SubFormatID,SubHardEasyID,SubTypeID\n");

// A small but complete set of sources: two areas, two car types, a general chapter and a
// local one, questions of both forms spread over two files, teaching material.
QMap<QString, QByteArray> SmallSources() {
    return {
        {"Area.csv", "AreaID,AreaName\n1,全国\n2,北京市\n"},
        {"CarType.csv", "CarTypeID,CarTypeName,CarTypeDesc\n1,小车,(C1/C2)\n2,货车,(B2/A2)\n"},
        {"SubFormat.csv", "SubFormatID,SubFormatName\n1,判断题\n2,选择题\n"},
        {"SubHardEasy.csv", "SubHardEasyID,SubHardEasyName\n1,容易\n2,困难\n"},
        {"SubType.csv", "SubTypeID,SubTypeName\n1,法律法规\n"},
        {"Chapter.csv", "ChapterID,ChapterMark,ChapterName,ChapterDesc,CarTypeSubID,AreaSubID,"
                        "CardTypeIDCount1,CardTypeIDCount2\n"
                        "1,第一章,法规,\"法律, 法规\",-1,-1,5,5\n2,第二章,北京,地方,-1,2,,3\n"},
        {"Sub-a.csv",
         (SubHeader + "10001,10001,1,,\"他说\"\"停\"\"，然后走\",,,,,,,对,因为,,,0,1,1,1\n"
                      "10002,10002,1,法第1条,问题,sign_a,png,甲,\"乙,丙\",丁,戊,B,解释,,,1,2,2,1\n")
             .toUtf8()},
        {"Sub-b.csv",
         (SubHeader + "20001,10001,2,,北京题 &a.png&,,,,,,,错,,p,jpg,0,1,1,1\n").toUtf8()},
        {"DriveTeach.csv",
         "DriveTeachID,DriveTeachFirstName,DriveTeachSecondName\n1,交通法规,总则\n"},
        {"DriveTeachList.csv",
         "DriveTeachID,TeachName,TeachCaption,TeachDesc,TeachType\n1,rule1,第一条,说明,txt\n"},
    };
}

void WriteSources(const QString& folder, const QMap<QString, QByteArray>& files) {
    QDir().mkpath(folder);
    for (auto file = files.begin(); file != files.end(); ++file) {
        QFile out(folder + "/" + file.key());
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.value());
    }
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Code(const QString& plain) {
    return *CallCodeFunction(&::StrToCode, plain);
}

// The SubIDs marked wrong in `bank`, in order.
QList<qlonglong> MarkedSubIds(const QString& bank) {
    SqlCipherConnection db;
    TQuery rows;
    if (!db.Open(bank) ||
        !db.Exec("select distinct SubID from Sub where WrongMark<>0 order by SubID", &rows))
        return {-1};
    QList<qlonglong> ids;
    for (const QVariantList& row : rows.Rows)
        ids.append(row[0].toLongLong());
    return ids;
}

// The learner answers: 10002 (marked in the sources) right, 10001 wrong.
void MarkAsLearner(const QString& bank) {
    SqlCipherConnection db;
    QVERIFY(db.Open(bank));
    QVERIFY(db.Exec("update Sub set WrongMark=0 where SubID=10002"));
    QVERIFY(db.Exec("update Sub set WrongMark=1 where SubID=10001"));
}

QString FirstContent(const QString& bank) {
    return ReadBank(bank, SqlCipherConnection::BankKey).Rows.value("Sub")[0][4].toString();
}

// A bank as older versions of the tool wrote it: SQLCipher's default key derivation and no
// content version.
void WriteLegacyBank(const QString& file) {
    sqlite3* db = nullptr;
    QVERIFY(sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK);
    QVERIFY(sqlite3_key(db, SqlCipherConnection::BankKey, 7) == SQLITE_OK);
    QVERIFY(sqlite3_exec(db,
                         "create table Sub (ID integer, SubID integer, WrongMark integer);"
                         "insert into Sub values (1, 10001, 1), (2, 10002, 0), (3, 777, 1);",
                         nullptr, nullptr, nullptr) == SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class TestBank : public QObject {
    Q_OBJECT
private slots:
    void faultySourcesAreNamedByFileLineAndColumn_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("where");
        const auto sub = [](const char* row) { return (SubHeader + row).toUtf8(); };
        QTest::newRow("unknown chapter")
            << "Sub-a.csv" << sub("1,1,9,,q,,,,,,,对,,,,0,1,1,1\n") << "Sub-a.csv:2:3";
        QTest::newRow("duplicate ID over two files")
            << "Sub-b.csv" << sub("10002,10002,1,,q,,,,,,,对,,,,0,1,1,1\n") << "Sub-b.csv:2:1";
        QTest::newRow("answer out of the six")
            << "Sub-b.csv" << sub("3,3,1,,q,,,a,b,c,d,E,,,,0,2,1,1\n") << "Sub-b.csv:2:12";
        QTest::newRow("choice question with three options")
            << "Sub-b.csv" << sub("3,3,1,,q,,,a,b,c,,A,,,,0,2,1,1\n") << "Sub-b.csv:2:11";
        QTest::newRow("choice question answered 对")
            << "Sub-b.csv" << sub("3,3,1,,q,,,a,b,c,d,对,,,,0,2,1,1\n") << "Sub-b.csv:2:12";
        QTest::newRow("true/false question with an option")
            << "Sub-b.csv" << sub("3,3,1,,q,,,a,,,,对,,,,0,1,1,1\n") << "Sub-b.csv:2:8";
        QTest::newRow("true/false question answered with a letter")
            << "Sub-b.csv" << sub("3,3,1,,q,,,,,,,A,,,,0,1,1,1\n") << "Sub-b.csv:2:12";
        QTest::newRow("unknown question form")
            << "Sub-b.csv" << sub("3,3,1,,q,,,,,,,对,,,,0,3,1,1\n") << "Sub-b.csv:2:17";
        QTest::newRow("wrong mark neither 0 nor 1")
            << "Sub-b.csv" << sub("3,3,1,,q,,,,,,,对,,,,2,1,1,1\n") << "Sub-b.csv:2:16";
        QTest::newRow("decimal where an integer belongs")
            << "Sub-b.csv" << sub("3,3.5,1,,q,,,,,,,对,,,,0,1,1,1\n") << "Sub-b.csv:2:2";
        QTest::newRow("text without a GBK code")
            << "Sub-b.csv" << sub("3,3,1,,q 😀,,,,,,,对,,,,0,1,1,1\n") << "Sub-b.csv:2:5";
        QTest::newRow("misspelt header")
            << "Sub-b.csv" << QByteArray(SubHeader.toUtf8()).replace("SubID", "SubId")
            << "Sub-b.csv:1:2";
        QTest::newRow("unterminated quote")
            << "Sub-b.csv" << sub("3,3,1,,\"q,,,,,,,对,,,,0,1,1,1\n") << "Sub-b.csv:2:5";
        QTest::newRow("text after a closing quote")
            << "Sub-b.csv" << sub("3,3,1,,\"q\"x,,,,,,,对,,,,0,1,1,1\n") << "Sub-b.csv:2:5";
        QTest::newRow("missing field")
            << "Sub-b.csv" << sub("3,3,1,,q,,,,,,,对,,,,0,1,1\n") << "Sub-b.csv:2:19";
        QTest::newRow("GBK instead of UTF-8")
            << "Sub-b.csv" << SubHeader.toUtf8() + "3,3,1,,\xb6\xd4,,,,,,,,,,,0,1,1,1\n"
            << "Sub-b.csv:2:0";
        QTest::newRow("lookup table with a gap")
            << "Area.csv" << QByteArray("AreaID,AreaName\n1,全国\n3,上海市\n") << "Area.csv:3:1";
        QTest::newRow("chapter without the count column of car type 2")
            << "Chapter.csv"
            << QByteArray("ChapterID,ChapterMark,ChapterName,ChapterDesc,CarTypeSubID,AreaSubID,"
                          "CardTypeIDCount1\n1,a,b,c,-1,-1,5\n2,a,b,c,-1,2,5\n")
            << "Chapter.csv:1:8";
        QTest::newRow("chapter of an unknown area")
            << "Chapter.csv"
            << QByteArray(
                   "ChapterID,ChapterMark,ChapterName,ChapterDesc,CarTypeSubID,AreaSubID,"
                   "CardTypeIDCount1,CardTypeIDCount2\n1,a,b,c,-1,-1,5,5\n2,a,b,c,-1,7,5,5\n")
            << "Chapter.csv:3:6";
        QTest::newRow("related group of an unknown question")
            << "SubRelated-a.csv" << QByteArray("RelatedGroup,SubID\nyellow,10001\nyellow,999\n")
            << "SubRelated-a.csv:3:2";
        QTest::newRow("related group without a name")
            << "SubRelated.csv" << QByteArray("RelatedGroup,SubID\n ,10001\n")
            << "SubRelated.csv:2:1";
        QTest::newRow("a file that is no table") << "Sub_c.csv" << sub("") << "Sub_c.csv:0:0";
        QTest::newRow("teaching item of an unknown sub-category")
            << "DriveTeachList.csv"
            << QByteArray("DriveTeachID,TeachName,TeachCaption,TeachDesc,TeachType\n4,a,b,c,txt\n")
            << "DriveTeachList.csv:2:1";
    }

    void faultySourcesAreNamedByFileLineAndColumn() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, where);
        QTemporaryDir dir;
        QMap<QString, QByteArray> sources = SmallSources();
        sources[file] = content;
        WriteSources(dir.filePath("src"), sources);
        const QString bank = dir.filePath("DriveDB.db");
        try {
            BuildBank(dir.filePath("src"), bank);
            QFAIL("the faulty sources were accepted");
        } catch (const BankError& error) {
            QCOMPARE(QStringLiteral("%1:%2:%3").arg(error.File).arg(error.Line).arg(error.Column),
                     where);
            QVERIFY(!error.Message.isEmpty());
        }
        QVERIFY(!QFile::exists(bank));
    }

    void missingTableFileIsNamed() {
        QTemporaryDir dir;
        QMap<QString, QByteArray> sources = SmallSources();
        sources.remove("SubType.csv");
        WriteSources(dir.path(), sources);
        QVERIFY_THROWS_EXCEPTION(BankError, BuildBank(dir.path(), dir.filePath("x.db")));
    }

    void teachingItemsMaySplitOverFilesLikeQuestions() {
        QTemporaryDir dir;
        QMap<QString, QByteArray> sources = SmallSources();
        sources["DriveTeach.csv"] += "2,事故图解,事故图解\n";
        const QByteArray header = "DriveTeachID,TeachName,TeachCaption,TeachDesc,TeachType\n";
        sources["DriveTeachList-b.csv"] = header + "2,acc1,追尾,\"后车, 全责\",png\n";
        sources["DriveTeachList-a.csv"] = header + "1,rule2,第二条,,txt\n";
        WriteSources(dir.filePath("src"), sources);
        BuildBank(dir.filePath("src"), dir.filePath("b.db"));
        const BankContent content = ReadBank(dir.filePath("b.db"), SqlCipherConnection::BankKey);
        QList<QVariantList> rows = content.Rows.value("DriveTeachList");
        std::sort(rows.begin(), rows.end(), [](const QVariantList& a, const QVariantList& b) {
            return a[1].toString() < b[1].toString();
        });
        QCOMPARE(rows, (QList<QVariantList>{{2, "acc1", "追尾", "后车, 全责", "png"},
                                            {1, "rule1", "第一条", "说明", "txt"},
                                            {1, "rule2", "第二条", "", "txt"}}));

        // A part file is checked like the whole table: an unknown entry is named by file and
        // line; a name that only looks like a part of a table is no table of the bank.
        WriteSources(dir.filePath("src"), {{"DriveTeachList-b.csv", header + "9,x,x,,png\n"}});
        try {
            BuildBank(dir.filePath("src"), dir.filePath("c.db"));
            QFAIL("an item of an unknown entry was built");
        } catch (const BankError& error) {
            QCOMPARE(error.File, QStringLiteral("DriveTeachList-b.csv"));
            QCOMPARE(error.Line, 2);
        }
        for (const char* stray : {"DriveTeachListx.csv", "DriveTeach-x.csv"}) {
            QTemporaryDir other;
            sources = SmallSources();
            sources[stray] = header;
            WriteSources(other.path(), sources);
            QVERIFY_THROWS_EXCEPTION(BankError, BuildBank(other.path(), other.filePath("x.db")));
        }
    }

    void failedBuildLeavesThePreviousBankAlone() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        const QString bank = dir.filePath("DriveDB.db");
        BuildBank(dir.filePath("src"), bank);
        const QByteArray before = ReadAll(bank);
        WriteSources(dir.filePath("src"), {{"Sub-b.csv", SubHeader.toUtf8() + "x\n"}});
        QVERIFY_THROWS_EXCEPTION(BankError, BuildBank(dir.filePath("src"), bank));
        QCOMPARE(ReadAll(bank), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"DriveDB.db"});
    }

    void bankHoldsEncodedTextsAndNeedsItsKey() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        const QString bank = dir.filePath("DriveDB.db");
        BuildBank(dir.filePath("src"), bank);
        QVERIFY(!ReadAll(bank).contains("SQLite format"));
        QVERIFY(!SqlCipherConnection("other").Open(bank));
        SqlCipherConnection db;
        QVERIFY(db.Open(bank));
        TQuery rows;
        QVERIFY(db.Exec("select SubContent, SubAnswer, WrongMark, AAnswer from Sub where ID=10002",
                        &rows));
        QCOMPARE(rows.Rows[0][0].toString(), Code("问题"));
        QCOMPARE(rows.Rows[0][1].toString(), Code("B"));
        QCOMPARE(rows.Rows[0][2].toInt(), 1);
        QVERIFY(db.Exec("select count(*) from Sub where SubAnswer='" + Code("对") + "'", &rows));
        QCOMPARE(rows.Rows[0][0].toInt(), 1);
        QVERIFY(db.Exec("select AreaName from Area", &rows));
        QCOMPARE(rows.Rows, (QList<QVariantList>{{"全国"}, {"北京市"}}));
        QVERIFY(db.Exec("select CardTypeIDCount1 from Chapter where ChapterID=2", &rows));
        QVERIFY(rows.Rows[0][0].isNull());
    }

    void optionalTeachingTablesAndQuestionFilesMayBeMissing() {
        QTemporaryDir dir;
        QMap<QString, QByteArray> sources = SmallSources();
        for (const char* file : {"Sub-a.csv", "Sub-b.csv", "DriveTeach.csv", "DriveTeachList.csv"})
            sources.remove(file);
        WriteSources(dir.filePath("src"), sources);
        BuildBank(dir.filePath("src"), dir.filePath("b.db"));
        const BankContent content = ReadBank(dir.filePath("b.db"), SqlCipherConnection::BankKey);
        QCOMPARE(content.Rows.value("Sub").size(), 0);
        QCOMPARE(content.Rows.value("DriveTeachList").size(), 0);
        QCOMPARE(content.Columns.value("DriveTeach").size(), 3);
    }

    void exportThenBuildGivesAnEqualBank() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        BuildBank(dir.filePath("src"), dir.filePath("one.db"));
        ExportBank(dir.filePath("one.db"), dir.filePath("out"));
        BuildBank(dir.filePath("out"), dir.filePath("two.db"));
        const BankContent one = ReadBank(dir.filePath("one.db"), SqlCipherConnection::BankKey);
        const BankContent two = ReadBank(dir.filePath("two.db"), SqlCipherConnection::BankKey);
        QCOMPARE(two.Columns, one.Columns);
        QCOMPARE(two.Rows, one.Rows);
        QCOMPARE(one.Rows.value("Sub")[0][4].toString(), QStringLiteral("他说\"停\"，然后走"));
        QCOMPARE(one.Rows.value("Sub")[1][8].toString(), QStringLiteral("乙,丙"));
        QCOMPARE(one.Rows.value("Sub")[1][15].toInt(), 1);
        // Exporting again into the same folder would mix two banks: refused.
        QVERIFY_THROWS_EXCEPTION(BankError,
                                 ExportBank(dir.filePath("one.db"), dir.filePath("out")));
    }

    void exportRefusesWhatItCannotWriteBack() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        BuildBank(dir.filePath("src"), dir.filePath("b.db"));
        {
            SqlCipherConnection db;
            QVERIFY(db.Open(dir.filePath("b.db")));
            QVERIFY(db.Exec("update Sub set SubAnalyse='" + Code("一\n二") + "' where ID=10001"));
            QVERIFY(db.Exec("update Sub set SubContent='not a code' where ID=10002"));
        }
        QVERIFY_THROWS_EXCEPTION(BankError, ExportBank(dir.filePath("b.db"), dir.filePath("o")));
        QVERIFY_THROWS_EXCEPTION(BankError,
                                 ExportBank(dir.filePath("b.db"), dir.filePath("p"), "x"));
    }
    void rebuildOfChangedSourcesKeepsTheLearnersMarks() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        const QString bank = dir.filePath("DriveDB.db");
        BuildBank(dir.filePath("src"), bank);
        MarkAsLearner(bank);
        QMap<QString, QByteArray> changed = SmallSources();
        changed["Sub-a.csv"].replace("然后走", "然后慢走");
        WriteSources(dir.filePath("src"), changed);
        BuildBank(dir.filePath("src"), bank);
        QCOMPARE(FirstContent(bank), QStringLiteral("他说\"停\"，然后慢走"));
        QCOMPARE(MarkedSubIds(bank), (QList<qlonglong>{10001}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"DriveDB.db"});
    }

    void rebuildOfUnchangedSourcesLeavesTheBankUntouched() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        const QString bank = dir.filePath("DriveDB.db");
        BuildBank(dir.filePath("src"), bank);
        MarkAsLearner(bank);
        const QByteArray before = ReadAll(bank);
        BuildBank(dir.filePath("src"), bank);
        QCOMPARE(ReadAll(bank), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"DriveDB.db"});
    }

    void installedBankReachesTheLearnersCopyOnlyWhenItChanged() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        const QString installed = dir.filePath("installed.db");
        const QString copy = dir.filePath("user/DriveDB.db");
        QDir().mkpath(dir.filePath("user"));
        BuildBank(dir.filePath("src"), installed);
        // First start: the copy is made, marks of the sources and all.
        BankUpdateResult result = UpdateBank(installed, copy, SqlCipherConnection::BankKey);
        QVERIFY(result.Ok && result.Replaced);
        QCOMPARE(MarkedSubIds(copy), (QList<qlonglong>{10002}));
        MarkAsLearner(copy);
        result = UpdateBank(installed, copy, SqlCipherConnection::BankKey);
        QVERIFY(result.Ok && !result.Replaced);
        QCOMPARE(MarkedSubIds(copy), (QList<qlonglong>{10001}));
        // A newer installed bank replaces the copy, carrying the marks.
        QMap<QString, QByteArray> changed = SmallSources();
        changed["Sub-a.csv"].replace("然后走", "然后慢走");
        WriteSources(dir.filePath("src"), changed);
        BuildBank(dir.filePath("src"), installed);
        result = UpdateBank(installed, copy, SqlCipherConnection::BankKey);
        QVERIFY(result.Ok && result.Replaced);
        QCOMPARE(FirstContent(copy), QStringLiteral("他说\"停\"，然后慢走"));
        QCOMPARE(MarkedSubIds(copy), (QList<qlonglong>{10001}));
        QCOMPARE(MarkedSubIds(installed), (QList<qlonglong>{10002}));
        QCOMPARE(QDir(dir.filePath("user")).entryList(QDir::Files), QStringList{"DriveDB.db"});
    }

    void olderCopiesAreReplacedAndUnreadableOnesKeptAside() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        const QString installed = dir.filePath("installed.db");
        BuildBank(dir.filePath("src"), installed);
        // A copy from an older program: slow key derivation, no content version.
        const QString legacy = dir.filePath("legacy.db");
        WriteLegacyBank(legacy);
        QVERIFY(SqlCipherConnection().Open(legacy));
        QVERIFY(UpdateBank(installed, legacy, SqlCipherConnection::BankKey).Replaced);
        QCOMPARE(MarkedSubIds(legacy), (QList<qlonglong>{10001}));

        const QString broken = dir.filePath("broken.db");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a bank at all");
        file.close();
        QVERIFY(UpdateBank(installed, broken, SqlCipherConnection::BankKey).Replaced);
        QCOMPARE(ReadAll(broken + ".old"), QByteArray("not a bank at all"));
        QCOMPARE(MarkedSubIds(broken), (QList<qlonglong>{10002}));

        // What is no built bank never replaces a copy.
        const QByteArray before = ReadAll(legacy);
        const BankUpdateResult refused = UpdateBank(broken + ".old", legacy, "QK/7305");
        QVERIFY(!refused.Ok);
        QVERIFY(refused.Error.contains("no built question bank"));
        QCOMPARE(ReadAll(legacy), before);
    }

    void bankOpensWithTheDocumentedShellSettings() {
        QTemporaryDir dir;
        WriteSources(dir.filePath("src"), SmallSources());
        const QString bank = dir.filePath("DriveDB.db");
        BuildBank(dir.filePath("src"), bank);
        const auto countWith = [&](const char* settings) {
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(bank).constData(), &db);
            const int rc = sqlite3_exec(db, settings, nullptr, nullptr, nullptr);
            sqlite3_close(db);
            return rc;
        };
        QCOMPARE(countWith("pragma key='QK/7305'; pragma kdf_iter=1; select count(*) from Sub;"),
                 SQLITE_OK);
        QVERIFY(countWith("pragma key='QK/7305'; select count(*) from Sub;") != SQLITE_OK);
        QVERIFY(countWith("select count(*) from Sub;") != SQLITE_OK);
    }
};

QTEST_GUILESS_MAIN(TestBank)
#include "tst_bank.moc"
