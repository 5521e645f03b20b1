#include "record/LearnerRecord.h"

#include "data/SqlCipherConnection.h"
#include "data/TQuery.h"
#include "practice/TSub.h"
#include "record/RecordClock.h"
#include "settings/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const char* const Schema[] = {
    "create table if not exists Answer(AnswerID integer primary key, SubID integer not null, "
    "ChapterID integer not null, AnsweredAt text not null, Mode text not null, "
    "IsRight integer not null)",
    "create index if not exists AnswerByChapter on Answer(ChapterID, IsRight)",
    "create table if not exists Paper(PaperID integer primary key, TakenAt text not null, "
    "Score integer not null, Questions integer not null, UseTime integer not null, "
    "CarTypeID integer, CarTypeName text, AreaID integer, AreaName text, WrongSubIDs text)",
    "create table if not exists Review(SubID integer primary key, ChapterID integer not null, "
    "Box integer not null, Due text not null)",
    "create index if not exists ReviewByDue on Review(Due)",
    "create table if not exists Favourite(SubID integer primary key, ChapterID integer not null, "
    "StarredAt text not null)",
};

QString Stamp(const QDateTime& at) {
    return at.toString(Qt::ISODate);
}

QString JoinIDs(const QList<int>& ids) {
    QStringList texts;
    for (int id : ids)
        texts.append(QString::number(id));
    return texts.join(QLatin1Char(' '));
}

QList<int> SplitIDs(const QString& text) {
    QList<int> ids;
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int id = part.toInt(&ok);
        if (ok)
            ids.append(id);
    }
    return ids;
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
QString CsvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool WriteCsv(const QString& path, const QStringList& header, TQuery& rows) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text("\xEF\xBB\xBF");
    text += header.join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (const QVariantList& row : rows.Rows) {
        QStringList fields;
        for (const QVariant& value : row)
            fields.append(CsvField(value.toString()));
        text += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    file.write(text);
    return file.commit();
}

} // namespace

TLearnerRecord::TLearnerRecord() : Db(std::make_unique<SqlCipherConnection>(QByteArray())) {}

TLearnerRecord::~TLearnerRecord() = default;

bool TLearnerRecord::Open(const QString& file) {
    Close();
    // No key: a plain SQLite file that any SQLite tool can read.
    if (!Db->Open(file, true))
        return false;
    bool ok = Db->Exec(QStringLiteral("pragma journal_mode=wal")) &&
              Db->Exec(QStringLiteral("pragma synchronous=normal"));
    for (const char* statement : Schema)
        ok = ok && Db->Exec(QString::fromLatin1(statement));
    if (!ok) {
        Db->Close();
        return false;
    }
    FileName = file;
    return true;
}

void TLearnerRecord::Close() {
    Db->Close();
    FileName.clear();
}

bool TLearnerRecord::IsOpen() const {
    return Db->IsOpen();
}

QString TLearnerRecord::LastError() const {
    return Db->LastError();
}

bool TLearnerRecord::Transaction(const std::function<bool()>& work) {
    if (!Db->Exec(QStringLiteral("begin immediate")))
        return false;
    if (work() && Db->Exec(QStringLiteral("commit"))) {
        emit RecordNotifier().Changed();
        return true;
    }
    Db->Exec(QStringLiteral("rollback"));
    return false;
}

std::optional<TReviewCard> TLearnerRecord::ReviewCard(int subID) {
    TQuery card;
    if (!Db->Exec(QStringLiteral("select Box, Due from Review where SubID=?"), &card, {subID}) ||
        card.Rows.isEmpty())
        return std::nullopt;
    return TReviewCard{card.Rows[0][0].toInt(),
                       QDate::fromString(card.Rows[0][1].toString(), Qt::ISODate)};
}

bool TLearnerRecord::InsertAnswer(const TSub& sub, const QString& mode, bool right,
                                  const QDateTime& at) {
    if (!Db->Exec(QStringLiteral("insert into Answer(SubID, ChapterID, AnsweredAt, Mode, IsRight) "
                                 "values(?, ?, ?, ?, ?)"),
                  nullptr, {sub.SubID, sub.ChapterID, Stamp(at), mode, right ? 1 : 0}))
        return false;
    const std::optional<TReviewCard> before = ReviewCard(sub.SubID);
    const std::optional<TReviewCard> after = NextReviewCard(before, right, at.date());
    if (!after)
        return !before ||
               Db->Exec(QStringLiteral("delete from Review where SubID=?"), nullptr, {sub.SubID});
    return Db->Exec(QStringLiteral("insert or replace into Review(SubID, ChapterID, Box, Due) "
                                   "values(?, ?, ?, ?)"),
                    nullptr,
                    {sub.SubID, sub.ChapterID, after->Box, after->Due.toString(Qt::ISODate)});
}

bool TLearnerRecord::NoteAnswer(const TSub& sub, const QString& mode, bool right) {
    return IsOpen() &&
           Transaction([&] { return InsertAnswer(sub, mode, right, RecordClock::Now()); });
}

bool TLearnerRecord::NotePaper(const TPaperRecord& paper, const QList<TSub>& answered,
                               const QList<bool>& rights) {
    if (!IsOpen() || answered.size() != rights.size())
        return false;
    return Transaction([&] {
        if (!Db->Exec(QStringLiteral("insert into Paper(TakenAt, Score, Questions, UseTime, "
                                     "CarTypeID, CarTypeName, AreaID, AreaName, WrongSubIDs) "
                                     "values(?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      nullptr,
                      {Stamp(paper.TakenAt), paper.Score, paper.Questions, paper.UseTime,
                       paper.CarTypeID, paper.CarTypeName, paper.AreaID, paper.AreaName,
                       JoinIDs(paper.WrongSubIDs)}))
            return false;
        for (qsizetype i = 0; i < answered.size(); ++i)
            if (!InsertAnswer(answered[i], RecordMode::Exam, rights[i], paper.TakenAt))
                return false;
        return true;
    });
}

QList<TPaperRecord> TLearnerRecord::Papers() {
    TQuery rows;
    QList<TPaperRecord> papers;
    if (!IsOpen() ||
        !Db->Exec(QStringLiteral("select TakenAt, Score, Questions, UseTime, CarTypeID, "
                                 "CarTypeName, AreaID, AreaName, WrongSubIDs from Paper "
                                 "order by PaperID"),
                  &rows))
        return papers;
    papers.reserve(rows.Rows.size());
    for (const QVariantList& row : rows.Rows)
        papers.append({QDateTime::fromString(row[0].toString(), Qt::ISODate), row[1].toInt(),
                       row[2].toInt(), row[3].toInt(), row[4].toInt(), row[5].toString(),
                       row[6].toInt(), row[7].toString(), SplitIDs(row[8].toString())});
    return papers;
}

std::optional<int> TLearnerRecord::LastScore() {
    TQuery rows;
    if (!IsOpen() ||
        !Db->Exec(QStringLiteral("select Score from Paper order by PaperID desc limit 1"), &rows) ||
        rows.Rows.isEmpty())
        return std::nullopt;
    return rows.Rows[0][0].toInt();
}

QList<TChapterTally> TLearnerRecord::ChapterTallies() {
    TQuery rows;
    QList<TChapterTally> tallies;
    if (!IsOpen() || !Db->Exec(QStringLiteral("select ChapterID, count(*), sum(IsRight) from "
                                              "Answer group by ChapterID"),
                               &rows))
        return tallies;
    for (const QVariantList& row : rows.Rows)
        tallies.append({row[0].toInt(), row[1].toInt(), row[2].toInt()});
    return tallies;
}

int TLearnerRecord::AnswerCount() {
    TQuery rows;
    if (!IsOpen() || !Db->Exec(QStringLiteral("select count(*) from Answer"), &rows))
        return 0;
    return rows.Rows.value(0).value(0).toInt();
}

QList<TReviewEntry> TLearnerRecord::DueReviews(const QDate& day) {
    TQuery rows;
    QList<TReviewEntry> due;
    if (!IsOpen() || !Db->Exec(QStringLiteral("select SubID, ChapterID, Box, Due from Review "
                                              "where Due <= ? order by Due, SubID"),
                               &rows, {day.toString(Qt::ISODate)}))
        return due;
    for (const QVariantList& row : rows.Rows)
        due.append({row[0].toInt(),
                    row[1].toInt(),
                    {row[2].toInt(), QDate::fromString(row[3].toString(), Qt::ISODate)}});
    return due;
}

int TLearnerRecord::DueCount(const QDate& day) {
    TQuery rows;
    if (!IsOpen() || !Db->Exec(QStringLiteral("select count(*) from Review where Due <= ?"), &rows,
                               {day.toString(Qt::ISODate)}))
        return 0;
    return rows.Rows.value(0).value(0).toInt();
}

int TLearnerRecord::ReviewCount() {
    TQuery rows;
    if (!IsOpen() || !Db->Exec(QStringLiteral("select count(*) from Review"), &rows))
        return 0;
    return rows.Rows.value(0).value(0).toInt();
}

bool TLearnerRecord::SetFavourite(const TSub& sub, bool starred) {
    return IsOpen() && Transaction([&] {
               if (!starred)
                   return Db->Exec(QStringLiteral("delete from Favourite where SubID=?"), nullptr,
                                   {sub.SubID});
               return Db->Exec(QStringLiteral("insert or replace into Favourite(SubID, "
                                              "ChapterID, StarredAt) values(?, ?, ?)"),
                               nullptr, {sub.SubID, sub.ChapterID, Stamp(RecordClock::Now())});
           });
}

bool TLearnerRecord::IsFavourite(int subID) {
    TQuery rows;
    return IsOpen() &&
           Db->Exec(QStringLiteral("select 1 from Favourite where SubID=?"), &rows, {subID}) &&
           !rows.Rows.isEmpty();
}

QList<TFavouriteEntry> TLearnerRecord::Favourites() {
    TQuery rows;
    QList<TFavouriteEntry> entries;
    if (!IsOpen() || !Db->Exec(QStringLiteral("select SubID, ChapterID from Favourite order by "
                                              "StarredAt, SubID"),
                               &rows))
        return entries;
    for (const QVariantList& row : rows.Rows)
        entries.append({row[0].toInt(), row[1].toInt()});
    return entries;
}

bool TLearnerRecord::ExportCsv(const QString& folder, QStringList* written) {
    TQuery answers;
    TQuery papers;
    if (!IsOpen() ||
        !Db->Exec(QStringLiteral("select SubID, ChapterID, AnsweredAt, Mode, IsRight from Answer "
                                 "order by AnswerID"),
                  &answers) ||
        !Db->Exec(QStringLiteral("select TakenAt, Score, Questions, UseTime, CarTypeName, "
                                 "AreaName, WrongSubIDs from Paper order by PaperID"),
                  &papers))
        return false;
    const QDir dir(folder);
    const QString answerFile = dir.filePath(QStringLiteral("学习记录-答题.csv"));
    const QString paperFile = dir.filePath(QStringLiteral("学习记录-模拟考试.csv"));
    if (!WriteCsv(answerFile,
                  {QStringLiteral("题号"), QStringLiteral("章节"), QStringLiteral("时间"),
                   QStringLiteral("方式"), QStringLiteral("答对")},
                  answers) ||
        !WriteCsv(paperFile,
                  {QStringLiteral("时间"), QStringLiteral("得分"), QStringLiteral("题数"),
                   QStringLiteral("用时（秒）"), QStringLiteral("车型"), QStringLiteral("地区"),
                   QStringLiteral("错题")},
                  papers))
        return false;
    if (written)
        *written = {answerFile, paperFile};
    return true;
}

TRecordNotifier& RecordNotifier() {
    static TRecordNotifier notifier;
    return notifier;
}

QString LearnerRecordFile() {
    return QFileInfo(AppPaths::BankFile()).absolutePath() + QStringLiteral("/LearnerRecord.db");
}

TLearnerRecord& LearnerRecord() {
    static TLearnerRecord record;
    if (!record.IsOpen())
        record.Open(LearnerRecordFile());
    return record;
}
