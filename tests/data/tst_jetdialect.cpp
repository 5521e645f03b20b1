// The Jet statements of the program run through the dialect adapter on the bank engine;
// every check is on the rows they return.
#include "data/JetDialect.h"
#include "data/SqlCipherConnection.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct ChapterRow {
    int ChapterID, CarTypeSubID, AreaSubID, Count1, Count2;
};

// Chapters 1 and 2 are general, 3 is for car type 2, 4 for area 3.
const QList<ChapterRow> Chapters = {
    {1, -1, -1, 10, 1}, {2, -1, -1, 12, 2}, {3, 2, -1, 5, 5}, {4, -1, 3, 5, 5}};

// The practice statement, built as the practice page builds it.
QString PracticeQuery(int carType, int area, const QString& extra, int order) {
    return "select s.* from Sub s inner join (select min(Sub.ID) as SelID, Sub.SubID from Sub "
           "inner join Chapter on Sub.ChapterID=Chapter.ChapterID where ((CarTypeSubID = -1 and "
           "AreaSubID = -1) or (CarTypeSubID = " +
           QString::number(carType) + ") " + "or (AreaSubID = " + QString::number(area) + ")) " +
           extra + " group by SubID) p " + "on s.ID=p.SelID " +
           (order == 1 ? "order by s.ChapterID,s.SubID" : "order by rnd(s.SubID)");
}

QString CountQuery(int carType, int area) {
    const QString c = QString::number(carType);
    return "select ChapterID,CardTypeIDCount" + c + " as CardTypeIDCount from Chapter where " +
           "(CarTypeSubID = -1 and AreaSubID = -1) " + "or (CarTypeSubID = " + c + ")" +
           "or (AreaSubID = " + QString::number(area) + ") order by ChapterID";
}

// The paper statement, built as the exam composition builds it from (chapter, count) pairs.
QString PaperQuery(const QList<QPair<int, int>>& entries) {
    QString sql = "select * from (";
    for (int k = 0; k < entries.size(); ++k) {
        const QString d = QString::number(entries[k].first);
        const int count = entries[k].second;
        if (k > 0)
            sql += "union all\n";
        sql += "select * from (select top " + QString::number(count * 3 / 5) + " s.* " +
               "from Sub s inner join (select min(Sub.ID) as SelID,Sub.SubID " +
               "from Sub inner join Chapter on Sub.ChapterID=Chapter.ChapterID " +
               "where Chapter.ChapterID=" + d + " " +
               "and SubFormatID=1 group by Sub.SubID) p on s.ID=p.SelID " +
               "order by rnd(s.SubID)) a1 " + "\n" + "union all " + "\n";
        sql += "select * from (select top " + QString::number(count * 2 / 5) + " s.* " +
               "from Sub s inner join (select min(Sub.ID) as SelID,Sub.SubID " +
               "from Sub inner join Chapter on Sub.ChapterID=Chapter.ChapterID " +
               "where Chapter.ChapterID=" + d + " and SubFormatID=2 group by Sub.SubID) p on " +
               "s.ID=p.SelID " + "order by rnd(s.SubID)) a2 " + "\n";
    }
    return sql + ") ls order by SubFormatID desc,rnd(SubID)";
}

} // namespace

class TestJetDialect : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;
    SqlCipherConnection Db;

    QList<QVariantList> Rows(const QString& jetSql) {
        TQuery query;
        const bool ok = Db.Exec(TranslateJetSql(jetSql), &query);
        if (!ok)
            qWarning() << Db.LastError() << TranslateJetSql(jetSql);
        return ok ? query.Rows : QList<QVariantList>{{"failed"}};
    }

    QList<int> Column(const QString& jetSql, int column) {
        QList<int> values;
        for (const QVariantList& row : Rows(jetSql))
            values.append(row.value(column).toInt());
        return values;
    }

    void AddQuestion(int id, int subId, int chapter, int form) {
        QVERIFY(Db.Exec("insert into Sub values (?,?,?,?,0)", nullptr, {id, subId, chapter, form}));
    }

private slots:
    void initTestCase() {
        QVERIFY(Db.Open(Folder.filePath("bank.db"), true));
        QVERIFY(Db.Exec("create table Chapter (ChapterID integer primary key, CarTypeSubID, "
                        "AreaSubID, CardTypeIDCount1, CardTypeIDCount2);"
                        "create table Sub (ID integer primary key, SubID, ChapterID, SubFormatID, "
                        "WrongMark integer);"
                        "create table DriveTeach (DriveTeachID, DriveTeachFirstName, "
                        "DriveTeachSecondName);"
                        "create table DriveTeachList (DriveTeachID, TeachName, TeachCaption, "
                        "TeachDesc, TeachType);"));
        for (const ChapterRow& c : Chapters)
            QVERIFY(Db.Exec("insert into Chapter values (?,?,?,?,?)", nullptr,
                            {c.ChapterID, c.CarTypeSubID, c.AreaSubID, c.Count1, c.Count2}));
        // Chapter 1: 20 true/false and 10 choice questions; chapter 2: 4 + 3; chapter 3: 3
        // + 3; chapter 4: 2 true/false. SubID 5 is filed again in chapter 2 (ID 500), SubID 7
        // twice in chapter 1 (IDs 107 and 700); SubID 40 stands in chapter 3 (ID 50) and in
        // chapter 1 (ID 60).
        for (int i = 1; i <= 30; ++i)
            AddQuestion(100 + i, i, 1, i <= 20 ? 1 : 2);
        for (int i = 1; i <= 7; ++i)
            AddQuestion(200 + i, 200 + i, 2, i <= 4 ? 1 : 2);
        for (int i = 1; i <= 6; ++i)
            AddQuestion(300 + i, 300 + i, 3, i <= 3 ? 1 : 2);
        AddQuestion(401, 401, 4, 1);
        AddQuestion(402, 402, 4, 1);
        AddQuestion(500, 5, 2, 1);
        AddQuestion(700, 7, 1, 1);
        AddQuestion(50, 40, 3, 1);
        AddQuestion(60, 40, 1, 1);
        QVERIFY(
            Db.Exec("insert into DriveTeach values (31,'交通法规','总则'),(35,'交通标志','禁令'),"
                    "(45,'交通标志','警告');"
                    "insert into DriveTeachList values (31,'b','x','y','txt'),(31,'a','x','y',"
                    "'txt'),(35,'c','x','y','jpg'),(45,'d','x','y','jpg')"));
    }

    void chaptersApplyByGeneralCarTypeOrArea() {
        const auto chapters = [&](int c, int a) {
            return Column("select * from Chapter where (CarTypeSubID = -1 and AreaSubID = -1) or "
                          "(CarTypeSubID = " +
                              QString::number(c) + ")" + "or (AreaSubID = " + QString::number(a) +
                              ") order by ChapterID",
                          0);
        };
        QCOMPARE(chapters(1, 3), (QList<int>{1, 2, 4}));
        QCOMPARE(chapters(2, 1), (QList<int>{1, 2, 3}));
        // Chapter 4 has CarTypeSubID -1 but belongs to area 3 only.
        QCOMPARE(chapters(1, 2), (QList<int>{1, 2}));
        QCOMPARE(Column(CountQuery(2, 3), 1), (QList<int>{1, 2, 5, 5}));
    }

    void practiceGivesEachQuestionOnceByItsSmallestApplicableRow() {
        const QList<QVariantList> rows = Rows(PracticeQuery(2, 1, " ", 1));
        QCOMPARE(rows.size(), 30 + 7 + 6 + 1); // SubID 5 and 40 only once
        QMap<int, int> idOfSubId;
        QList<QPair<int, int>> order;
        for (const QVariantList& row : rows) {
            QVERIFY(!idOfSubId.contains(row[1].toInt()));
            idOfSubId[row[1].toInt()] = row[0].toInt();
            order.append({row[2].toInt(), row[1].toInt()});
        }
        QCOMPARE(idOfSubId[5], 105);
        QCOMPARE(idOfSubId[7], 107);
        QCOMPARE(idOfSubId[40], 50); // chapter 3 applies to car type 2 and has the lower ID
        QVERIFY(std::is_sorted(order.begin(), order.end()));
        // For car type 1 chapter 3 does not apply: SubID 40 comes from chapter 1.
        const QList<QVariantList> carType1 = Rows(PracticeQuery(1, 1, " ", 1));
        QCOMPARE(carType1.size(), 30 + 7 + 1);
        QVERIFY(carType1.contains(QVariantList{60, 40, 1, 1, 0}));
        // Within chapter 2 alone, SubID 5 is represented by its row there.
        QCOMPARE(Column(PracticeQuery(1, 1, "and Chapter.ChapterID = 2", 1), 0),
                 (QList<int>{500, 201, 202, 203, 204, 205, 206, 207}));
    }

    void wrongMarksCoverEveryRowOfAQuestion() {
        QCOMPARE(Rows(PracticeQuery(1, 1, "and WrongMark = true", 1)).size(), 0);
        QVERIFY(Db.Exec(TranslateJetSql("update Sub set WrongMark=true where SubID=5")));
        QCOMPARE(Column("select WrongMark from Sub where SubID=5", 0), (QList<int>{1, 1}));
        QCOMPARE(Column(PracticeQuery(1, 1, "and WrongMark = true", 1), 1), QList<int>{5});
        QCOMPARE(Rows(PracticeQuery(1, 1, "and WrongMark = false", 1)).size(), 37);
        QVERIFY(Db.Exec(TranslateJetSql("update Sub set WrongMark=false where SubID=5")));
        QCOMPARE(Rows(PracticeQuery(1, 1, "and WrongMark = true", 1)).size(), 0);
    }

    void randomOrderShufflesTheSameQuestions() {
        const QList<int> first = Column(PracticeQuery(1, 1, " ", 2), 1);
        const QList<int> second = Column(PracticeQuery(1, 1, " ", 2), 1);
        QVERIFY(first != second);
        QCOMPARE(QSet<int>(first.begin(), first.end()), QSet<int>(second.begin(), second.end()));
        QCOMPARE(first.size(), 38);
    }

    void paperDrawsItsShareOfEachChapterAndFormChoiceQuestionsFirst() {
        // Car type 1 in area 3: chapters 1 (10 → 6 + 4), 2 (12 → 7 + 4, only 3 choice
        // questions) and 4 (5 → 3 + 2, only 2 true/false questions).
        QList<QPair<int, int>> entries;
        for (const QVariantList& row : Rows(CountQuery(1, 3)))
            entries.append({row[0].toInt(), row[1].toInt()});
        QCOMPARE(entries, (QList<QPair<int, int>>{{1, 10}, {2, 12}, {4, 5}}));
        const QList<QVariantList> paper = Rows(PaperQuery(entries));
        QMap<QPair<int, int>, int> drawn;
        QSet<QPair<int, int>> chapterQuestions;
        bool formOneSeen = false;
        for (const QVariantList& row : paper) {
            const int form = row[3].toInt();
            ++drawn[{row[2].toInt(), form}];
            QVERIFY2(!chapterQuestions.contains({row[2].toInt(), row[1].toInt()}),
                     "a question drawn twice from one chapter");
            chapterQuestions.insert({row[2].toInt(), row[1].toInt()});
            QVERIFY2(!(formOneSeen && form == 2), "a choice question after a true/false one");
            formOneSeen = formOneSeen || form == 1;
            QVERIFY(row[0].toInt() != 700); // SubID 7 stands for itself by its smaller ID
        }
        // Chapter 2 has 5 true/false questions (SubID 5 among them) and 3 choice questions.
        const QMap<QPair<int, int>, int> expected = {
            {{1, 1}, 6}, {{1, 2}, 4}, {{2, 1}, 5}, {{2, 2}, 3}, {{4, 1}, 2}};
        QCOMPARE(drawn, expected);
        QVERIFY(Column(PaperQuery(entries), 1) != Column(PaperQuery(entries), 1));
    }

    void topZeroDrawsNothing() {
        // Car type 2 gives chapter 1 a count of 1 (top 0 of both forms) and chapter 2 one of 2.
        const QList<QVariantList> paper = Rows(PaperQuery({{1, 1}, {2, 2}}));
        QCOMPARE(paper.size(), 1);
        QCOMPARE(paper[0][2].toInt(), 2);
        QCOMPARE(paper[0][3].toInt(), 1);
    }

    void paperWithoutChaptersIsRejected() {
        TQuery query;
        QVERIFY(!Db.Exec(TranslateJetSql(PaperQuery({})), &query));
        QVERIFY(!query.Active);
    }

    void teachingStatementsAndQuotedTextsPassThrough() {
        const QString list = "select b.DriveTeachFirstName,a.* from DriveTeachList a inner join "
                             "DriveTeach b on a.DriveTeachID=b.DriveTeachID where b.DriveTeachID";
        QCOMPARE(Column(list + "= 31 order by a.TeachName", 1), (QList<int>{31, 31}));
        QCOMPARE(Rows(list + " between 32 and 41 order by a.DriveTeachID").size(), 1);
        QCOMPARE(Column("select DriveTeachID, DriveTeachSecondName from DriveTeach where "
                        "DriveTeachFirstName= '交通标志' order by DriveTeachID",
                        0),
                 (QList<int>{35, 45}));
        QCOMPARE(Rows("select 'select top 2 true, ''false''' as t, \"top 1\" as u, true, false"),
                 (QList<QVariantList>{{"select top 2 true, 'false'", "top 1", 1, 0}}));
        QCOMPARE(Rows("select top 2 x from (select top 3 SubID as x from Sub order by ID desc) t")
                     .size(),
                 2);
    }
};

QTEST_GUILESS_MAIN(TestJetDialect)
#include "tst_jetdialect.moc"
