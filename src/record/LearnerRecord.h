#pragma once

#include "record/ChapterAccuracy.h"
#include "record/ReviewSchedule.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class SqlCipherConnection;
struct TSub;

// Answer modes kept with every answer.
namespace RecordMode {
inline const QString Practice = QStringLiteral("练习");
inline const QString Exam = QStringLiteral("考试");
} // namespace RecordMode

// One mock exam as the record keeps it.
struct TPaperRecord {
    QDateTime TakenAt;
    int Score = 0;
    int Questions = 0;
    int UseTime = 0; // seconds
    int CarTypeID = 0;
    QString CarTypeName;
    int AreaID = 0;
    QString AreaName;
    QList<int> WrongSubIDs;
};

// A question waiting in the review schedule.
struct TReviewEntry {
    int SubID = 0;
    int ChapterID = 0;
    TReviewCard Card;
};

// A starred question.
struct TFavouriteEntry {
    int SubID = 0;
    int ChapterID = 0;
};

// The learner record: every answer and every mock exam, the review schedule and the
// starred questions, in a plain SQLite file of its own beside the question bank, so that
// a bank update never touches it. Every change is one transaction (write-ahead log), so a
// killed program leaves each change whole or absent.
class TLearnerRecord {
public:
    TLearnerRecord();
    ~TLearnerRecord();
    TLearnerRecord(const TLearnerRecord&) = delete;
    TLearnerRecord& operator=(const TLearnerRecord&) = delete;

    // Opens (or creates) the file and its tables; false, closed, when it cannot.
    bool Open(const QString& file);
    void Close();
    bool IsOpen() const;
    QString File() const { return FileName; }
    QString LastError() const;

    // An answer of practice or review, with its effect on the review schedule.
    bool NoteAnswer(const TSub& sub, const QString& mode, bool right);
    // A submitted mock exam: the paper and the answers given in it (unanswered questions
    // are no answers; they only count as wrong in the paper).
    bool NotePaper(const TPaperRecord& paper, const QList<TSub>& answered,
                   const QList<bool>& rights);

    // Papers in the order they were taken.
    QList<TPaperRecord> Papers();
    // The score of the newest paper; nullopt before the first.
    std::optional<int> LastScore();
    QList<TChapterTally> ChapterTallies();
    int AnswerCount();

    // Questions due on `day` or earlier, earliest first.
    QList<TReviewEntry> DueReviews(const QDate& day);
    int DueCount(const QDate& day);
    int ReviewCount();

    bool SetFavourite(const TSub& sub, bool starred);
    bool IsFavourite(int subID);
    // In the order they were starred.
    QList<TFavouriteEntry> Favourites();

    // Writes answers and papers as two CSV files (UTF-8 with a byte-order mark, which
    // spreadsheet programs need for Chinese) into `folder`; each file is written whole or
    // not at all. False when either could not be written.
    bool ExportCsv(const QString& folder, QStringList* written = nullptr);

private:
    bool Transaction(const std::function<bool()>& work);
    bool InsertAnswer(const TSub& sub, const QString& mode, bool right, const QDateTime& at);
    std::optional<TReviewCard> ReviewCard(int subID);

    std::unique_ptr<SqlCipherConnection> Db;
    QString FileName;
};

// Tells the pages and the home strip that the record of the run took a change.
class TRecordNotifier : public QObject {
    Q_OBJECT
signals:
    void Changed();
};
TRecordNotifier& RecordNotifier();

// The record of the run, in the learner's data folder beside the bank; opened on first use.
TLearnerRecord& LearnerRecord();
// The record's file: LearnerRecord.db beside the question bank.
QString LearnerRecordFile();
