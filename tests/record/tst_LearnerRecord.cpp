#include "data/BankUpdate.h"
#include "data/SqlCipherConnection.h"
#include "data/TQuery.h"
#include "practice/TSub.h"
#include "record/ExamRecord.h"
#include "record/LearnerRecord.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The learner record as a file: what it keeps, that each change is whole, that it lives
// apart from the question bank, and its export.
class TestLearnerRecord : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;
    TLearnerRecord Record;

    static TSub Question(int subID, int chapterID, const QString& answer = QString()) {
        TSub sub;
        sub.SubID = subID;
        sub.ChapterID = chapterID;
        sub.SubAnswer = QStringLiteral("A");
        sub.MyAnswer = answer;
        return sub;
    }
    static int Count(const QString& file, const QString& table) {
        SqlCipherConnection plain{QByteArray()};
        TQuery rows;
        if (!plain.Open(file) || !plain.Exec("select count(*) from " + table, &rows))
            return -1;
        return rows.Rows.value(0).value(0).toInt();
    }
    QString FilePath(const QString& name) const { return QDir(Folder.path()).filePath(name); }

private slots:
    void init() {
        qputenv("VELTRANO_TODAY", "2026-03-01");
        QFile::remove(FilePath("record.db"));
        QVERIFY2(Record.Open(FilePath("record.db")), qPrintable(Record.LastError()));
    }
    void cleanup() {
        Record.Close();
        qunsetenv("VELTRANO_TODAY");
    }

    void answersFeedTheTallyAndTheReviewSchedule() {
        QSignalSpy changed(&RecordNotifier(), &TRecordNotifier::Changed);
        QVERIFY(Record.NoteAnswer(Question(11, 1), RecordMode::Practice, false));
        QVERIFY(Record.NoteAnswer(Question(12, 1), RecordMode::Practice, true));
        QVERIFY(Record.NoteAnswer(Question(21, 2), RecordMode::Practice, false));
        QCOMPARE(changed.count(), 3);
        QCOMPARE(Record.AnswerCount(), 3);
        const QList<TChapterTally> tallies = Record.ChapterTallies();
        QCOMPARE(tallies.size(), 2);
        QCOMPARE(tallies[0].Answered, 2);
        QCOMPARE(tallies[0].Right, 1);
        // Wrong today, due tomorrow.
        QCOMPARE(Record.DueCount(QDate(2026, 3, 1)), 0);
        QCOMPARE(Record.DueCount(QDate(2026, 3, 2)), 2);
        qputenv("VELTRANO_TODAY", "2026-03-02");
        QVERIFY(Record.NoteAnswer(Question(11, 1), RecordMode::Practice, true));
        const QList<TReviewEntry> due = Record.DueReviews(QDate(2026, 3, 2));
        QCOMPARE(due.size(), 1);
        QCOMPARE(due[0].SubID, 21);
        QCOMPARE(Record.ReviewCount(), 2);
    }

    void aMockExamKeepsItsPaperAndItsAnswers() {
        TSubList paper{TSub()};
        paper.append(Question(1, 1, "A"));
        paper.append(Question(2, 1, "B")); // wrong
        paper.append(Question(3, 2));      // unanswered: wrong in the paper, no answer
        TDriverInfo driver;
        driver.SubCarTypeID = 1;
        driver.SubCarTypeName = QStringLiteral("小车");
        driver.SubAreaName = QStringLiteral("北京");
        const auto identity = [](const QString& s) { return s; };
        QVERIFY(NoteMockExam(Record, paper, 1, 900, driver, identity));
        const QList<TPaperRecord> papers = Record.Papers();
        QCOMPARE(papers.size(), 1);
        QCOMPARE(papers[0].Score, 1);
        QCOMPARE(papers[0].Questions, 3);
        QCOMPARE(papers[0].UseTime, 900);
        QCOMPARE(papers[0].CarTypeName, QStringLiteral("小车"));
        QCOMPARE(papers[0].WrongSubIDs, QList<int>({2, 3}));
        QCOMPARE(papers[0].TakenAt.date(), QDate(2026, 3, 1));
        QCOMPARE(Record.AnswerCount(), 2);
        QCOMPARE(Record.LastScore(), std::optional<int>(1));
    }

    void aFailingStepLeavesNoPartOfAChange() {
        // A trigger makes the last step of the change fail, after its first rows went in.
        {
            SqlCipherConnection plain{QByteArray()};
            QVERIFY(plain.Open(FilePath("record.db")));
            QVERIFY(plain.Exec("create trigger NoReview before insert on Review "
                               "begin select raise(abort, 'refused'); end"));
        }
        TSubList paper{TSub(), Question(1, 1, "A"), Question(2, 1, "B")};
        const auto identity = [](const QString& s) { return s; };
        QVERIFY(!NoteMockExam(Record, paper, 1, 60, TDriverInfo(), identity));
        QVERIFY(!Record.NoteAnswer(Question(5, 1), RecordMode::Practice, false));
        QCOMPARE(Count(FilePath("record.db"), "Paper"), 0);
        QCOMPARE(Count(FilePath("record.db"), "Answer"), 0);
        // The record goes on working for changes the trigger lets through.
        QVERIFY(Record.NoteAnswer(Question(6, 1), RecordMode::Practice, true));
        QCOMPARE(Record.AnswerCount(), 1);
    }

    void favouritesComeAndGo() {
        QVERIFY(!Record.IsFavourite(7));
        QVERIFY(Record.SetFavourite(Question(7, 3), true));
        QVERIFY(Record.SetFavourite(Question(8, 4), true));
        QVERIFY(Record.SetFavourite(Question(7, 3), true)); // twice is once
        QCOMPARE(Record.Favourites().size(), 2);
        QVERIFY(Record.SetFavourite(Question(7, 3), false));
        QVERIFY(!Record.IsFavourite(7));
        QCOMPARE(Record.Favourites().value(0).SubID, 8);
    }

    void theRecordSurvivesABankUpdate() {
        const QString data = TestSupport::UseFreshDataFolder(true);
        Record.Close();
        const QString recordFile = LearnerRecordFile();
        QCOMPARE(QFileInfo(recordFile).absolutePath(), QFileInfo(data).absoluteFilePath());
        QVERIFY(Record.Open(recordFile));
        QVERIFY(Record.NoteAnswer(Question(3, 1), RecordMode::Practice, false));
        Record.Close();
        // A newer installed bank replaces the learner's copy.
        const QString bank = QDir(data).filePath("DriveDB.db");
        const QString installed = FilePath("installed.db");
        QVERIFY(QFile::copy(bank, installed));
        {
            SqlCipherConnection newer;
            QVERIFY(newer.Open(installed));
            WriteBankContentHash(newer, QStringLiteral("a newer bank"));
        }
        QVERIFY(UpdateBank(installed, bank, SqlCipherConnection::BankKey).Replaced);
        QVERIFY(Record.Open(recordFile));
        QCOMPARE(Record.AnswerCount(), 1);
        QCOMPARE(Record.DueCount(QDate(2026, 3, 2)), 1);
    }

    void anUnreadableFileIsRefusedAndKept() {
        Record.Close();
        QFile junk(FilePath("junk.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        QVERIFY(!Record.Open(FilePath("junk.db")));
        QVERIFY(!Record.NoteAnswer(Question(1, 1), RecordMode::Practice, true));
        QCOMPARE(QFileInfo(FilePath("junk.db")).size(), 4096);
    }

    void theExportWritesBothTablesAsCsv() {
        TSub sub = Question(9, 2);
        QVERIFY(Record.NoteAnswer(sub, RecordMode::Practice, false));
        TPaperRecord paper;
        paper.TakenAt = QDateTime(QDate(2026, 3, 1), QTime(9, 30));
        paper.Score = 92;
        paper.Questions = 100;
        paper.AreaName = QStringLiteral("北京,海淀"); // a separator inside a value
        paper.WrongSubIDs = {4, 5};
        QVERIFY(Record.NotePaper(paper, {}, {}));
        QStringList written;
        QVERIFY(Record.ExportCsv(Folder.path(), &written));
        QCOMPARE(written.size(), 2);
        QFile papers(written[1]);
        QVERIFY(papers.open(QIODevice::ReadOnly));
        const QByteArray text = papers.readAll();
        QVERIFY(text.startsWith("\xEF\xBB\xBF"));
        QVERIFY(text.contains(QStringLiteral("\"北京,海淀\",4 5").toUtf8()));
        QVERIFY(!Record.ExportCsv(FilePath("no/such/folder")));
    }
};

QTEST_GUILESS_MAIN(TestLearnerRecord)
#include "tst_LearnerRecord.moc"
