#include "BankCheck.h"

#include "BankCsv.h"
#include "ContentRules.h"
#include "Encryption.h"
#include "data/GbkCodeCall.h"
#include "data/PictureFiles.h"
#include "data/uLoadDll.h"
#include "exam/PaperRules.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QStringDecoder>

#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace {

constexpr int FullPaper = 100;
constexpr int PapersWithoutRepeat = 3;
constexpr int TrueFalseForm = 1;
constexpr int ChoiceForm = 2;
constexpr int WhereShown = 24; // question IDs listed per finding before "… (n in all)"

const QStringList& Letters() {
    static const QStringList letters = {"A", "B", "C", "D"};
    return letters;
}
const QStringList& Judgements() {
    static const QStringList judgements = {QStringLiteral("对"), QStringLiteral("错")};
    return judgements;
}

// A stored text passed through libEncryption; nothing when it is no valid code.
using Decoded = std::optional<QString>;

struct Question {
    qlonglong Id = 0;
    qlonglong SubId = 0;
    qlonglong Chapter = 0;
    qlonglong Form = 0;
    Decoded Content;
    std::array<Decoded, 4> Options;
    Decoded Answer;
    Decoded Analyse;
    QString Source;
    QString Picture, PictureType, AnalysePicture, AnalysePictureType;
};

struct Chapter {
    qlonglong Id = 0;
    QString Name;
    qlonglong CarType = -1;                   // -1: every car type
    qlonglong Area = -1;                      // -1: every area
    bool Local() const { return Area != -1; } // the chapter of one area
};

struct Bank {
    QString Name;
    QStringList CarTypes, Areas, Forms; // lookup rows: the number of a row is its position + 1
    QList<Chapter> Chapters;
    QList<Question> Questions;        // in ID order, so a question's first row stands for it
    QHash<qlonglong, QString> Groups; // SubID → a related group it stands in
};

// The questions one paper draws from a chapter and form, and how many there are to draw from.
struct Draw {
    qlonglong Chapter = 0;
    int Form = 0;
    int Need = 0;
    int Have = 0;
};

struct Paper {
    int CarType = 0;
    int Area = 0;
    QString Failure; // why the count query failed; empty when it ran
    QList<Draw> Draws;
    int Asked() const {
        int sum = 0;
        for (const Draw& draw : Draws)
            sum += qMax(draw.Need, 0);
        return sum;
    }
    int Drawn() const {
        int sum = 0;
        for (const Draw& draw : Draws)
            sum += qBound(0, draw.Need, draw.Have);
        return sum;
    }
};

using PaperKey = std::pair<int, int>; // car type, area
// Per chapter and form what a paper can draw from: its questions, the questions of one
// related group counted once.
using Pools = QMap<std::pair<qlonglong, int>, QSet<QString>>;

// ---- reading ----

TQuery Select(SqlCipherConnection& db, const QString& bank, const QString& sql) {
    TQuery rows;
    if (!db.Exec(sql, &rows))
        throw BankError(bank, 0, 0, db.LastError());
    return rows;
}

QStringList FirstColumn(const TQuery& rows) {
    QStringList values;
    for (const QVariantList& row : rows.Rows)
        values.append(row[0].toString());
    return values;
}

Decoded Decode(const QVariant& stored) {
    return CallCodeFunction(&::CodeToStr, stored.toString());
}

Question ReadQuestion(const QVariantList& row) {
    Question q;
    q.Id = row[0].toLongLong();
    q.SubId = row[1].toLongLong();
    q.Chapter = row[2].toLongLong();
    q.Form = row[3].toLongLong();
    q.Content = Decode(row[4]);
    for (int option = 0; option < 4; ++option)
        q.Options[option] = Decode(row[5 + option]);
    q.Answer = Decode(row[9]);
    q.Analyse = Decode(row[10]);
    q.Picture = row[11].toString();
    q.PictureType = row[12].toString();
    q.AnalysePicture = row[13].toString();
    q.AnalysePictureType = row[14].toString();
    q.Source = row[15].toString();
    return q;
}

Bank ReadBankForCheck(SqlCipherConnection& db, const QString& name) {
    Bank bank;
    bank.Name = name;
    // The lookup tables are read as the program reads them: in stored order, no key.
    bank.CarTypes =
        FirstColumn(Select(db, name, QStringLiteral("select CarTypeName from CarType")));
    bank.Areas = FirstColumn(Select(db, name, QStringLiteral("select AreaName from Area")));
    bank.Forms =
        FirstColumn(Select(db, name, QStringLiteral("select SubFormatName from SubFormat")));
    const TQuery chapters =
        Select(db, name,
               QStringLiteral("select ChapterID, ChapterName, CarTypeSubID, AreaSubID from Chapter "
                              "order by ChapterID"));
    for (const QVariantList& row : chapters.Rows)
        bank.Chapters.append(
            {row[0].toLongLong(), row[1].toString(), row[2].toLongLong(), row[3].toLongLong()});
    const TQuery questions = Select(
        db, name,
        QStringLiteral("select ID, SubID, ChapterID, SubFormatID, SubContent, AAnswer, BAnswer, "
                       "CAnswer, DAnswer, SubAnswer, SubAnalyse, SubContentPic, "
                       "SubContentPicType, SubAnalysePic, SubAnalysePicType, SubMark from Sub "
                       "order by ID"));
    for (const QVariantList& row : questions.Rows)
        bank.Questions.append(ReadQuestion(row));
    if (db.TableExists(QStringLiteral("SubRelated"))) {
        const TQuery groups = Select(db, name, RelatedGroupsSQL());
        for (const QVariantList& row : groups.Rows)
            bank.Groups.insert(row[0].toLongLong(), row[1].toString());
    }
    return bank;
}

// ---- papers ----

Pools PoolsOf(const Bank& bank) {
    Pools pools;
    for (const Question& q : bank.Questions)
        pools[{q.Chapter, int(q.Form)}].insert(
            bank.Groups.value(q.SubId, QStringLiteral("#%1").arg(q.SubId)));
    return pools;
}

// The chapters and counts the exam's count query gives for a car type and area, and what
// each chapter and form then has to draw from.
Paper ComposePaper(SqlCipherConnection& db, const Pools& pools, int carType, int area) {
    Paper paper{carType, area, {}, {}};
    TQuery counts;
    if (!db.Exec(PaperCountSQL(carType, area), &counts)) {
        paper.Failure = db.LastError();
        return paper;
    }
    for (const TChapterCount& entry : ChapterCounts(counts, area)) {
        const qlonglong chapter = entry.ChapterID;
        paper.Draws.append({chapter, TrueFalseForm, FormOneDraw(entry.Count),
                            int(pools.value({chapter, TrueFalseForm}).size())});
        paper.Draws.append({chapter, ChoiceForm, FormTwoDraw(entry.Count),
                            int(pools.value({chapter, ChoiceForm}).size())});
    }
    return paper;
}

QString PaperName(const Bank& bank, const PaperKey& key) {
    return QStringLiteral("%1 × %2").arg(bank.CarTypes.value(key.first - 1),
                                         bank.Areas.value(key.second - 1));
}

// Papers in few words: "every paper", "货车 × every area", "小车 × 全国, 北京市".
QStringList DescribePapers(const Bank& bank, QList<PaperKey> papers) {
    std::sort(papers.begin(), papers.end());
    papers.erase(std::unique(papers.begin(), papers.end()), papers.end());
    if (papers.size() == bank.CarTypes.size() * bank.Areas.size())
        return {QStringLiteral("every paper")};
    QStringList described;
    for (int carType = 1; carType <= bank.CarTypes.size(); ++carType) {
        QStringList areas;
        for (const PaperKey& key : papers)
            if (key.first == carType)
                areas.append(bank.Areas.value(key.second - 1));
        if (areas.size() == bank.Areas.size())
            described.append(bank.CarTypes[carType - 1] + QStringLiteral(" × every area"));
        else if (!areas.isEmpty())
            described.append(bank.CarTypes[carType - 1] + QStringLiteral(" × ") +
                             areas.join(QStringLiteral(", ")));
    }
    return described;
}

QString ChapterName(const Bank& bank, qlonglong id) {
    for (const Chapter& chapter : bank.Chapters)
        if (chapter.Id == id)
            return QStringLiteral("chapter %1 %2").arg(id).arg(chapter.Name);
    return QStringLiteral("chapter %1").arg(id);
}

QString FormName(const Bank& bank, int form) {
    return bank.Forms.value(form - 1, QStringLiteral("form %1").arg(form));
}

// Questions available for each one drawn, rounded down to a tenth so that "3.0" means at
// least three papers' worth.
QString Headroom(const Draw& draw) {
    if (draw.Need <= 0)
        return QStringLiteral("-");
    return QString::number(std::floor(10.0 * draw.Have / draw.Need) / 10.0, 'f', 1);
}

// ---- findings ----

class Findings {
public:
    void Add(CheckProblem kind, const QString& what, const QString& where) {
        EntryFor(kind, what).Where.append(where);
    }
    void AddPaper(CheckProblem kind, const QString& what, const PaperKey& paper) {
        EntryFor(kind, what).Papers.append(paper);
    }
    QList<CheckFinding> Finish(const Bank& bank) const {
        QList<CheckFinding> findings;
        for (const Entry& entry : Entries)
            findings.append(
                {entry.Kind, entry.What,
                 entry.Papers.isEmpty() ? entry.Where : DescribePapers(bank, entry.Papers)});
        return findings;
    }

private:
    struct Entry {
        CheckProblem Kind;
        QString What;
        QStringList Where;
        QList<PaperKey> Papers;
    };
    Entry& EntryFor(CheckProblem kind, const QString& what) {
        for (Entry& entry : Entries)
            if (entry.Kind == kind && entry.What == what)
                return entry;
        Entries.append({kind, what, {}, {}});
        return Entries.last();
    }
    QList<Entry> Entries;
};

void CheckPaper(const Bank& bank, const Paper& paper, Findings& findings) {
    const PaperKey key{paper.CarType, paper.Area};
    if (!paper.Failure.isEmpty()) {
        findings.AddPaper(CheckProblem::NoPaper,
                          QStringLiteral("no paper: the count query fails (%1)").arg(paper.Failure),
                          key);
        return;
    }
    if (paper.Asked() != FullPaper)
        findings.AddPaper(CheckProblem::PaperSize,
                          QStringLiteral("the chapter counts give a paper of %1 questions, not %2")
                              .arg(paper.Asked())
                              .arg(FullPaper),
                          key);
    for (const Draw& draw : paper.Draws) {
        if (draw.Need <= 0 || draw.Have >= PapersWithoutRepeat * draw.Need)
            continue;
        const QString where = ChapterName(bank, draw.Chapter) + ", " + FormName(bank, draw.Form);
        if (draw.Have < draw.Need)
            findings.AddPaper(CheckProblem::FewQuestions,
                              QStringLiteral("too few questions in %1: %2, a paper draws %3")
                                  .arg(where)
                                  .arg(draw.Have)
                                  .arg(draw.Need),
                              key);
        else
            findings.AddPaper(
                CheckProblem::LowHeadroom,
                QStringLiteral("headroom %1 in %2: %3 questions for %4 drawn, %5 are needed")
                    .arg(Headroom(draw), where)
                    .arg(draw.Have)
                    .arg(draw.Need)
                    .arg(PapersWithoutRepeat * draw.Need),
                key);
    }
}

// ---- questions ----

void CheckForm(const Question& q, int forms, Findings& findings) {
    const QString id = QString::number(q.Id);
    if (q.Form < 1 || q.Form > forms) {
        findings.Add(CheckProblem::BrokenForm,
                     QStringLiteral("question form %1 is not in SubFormat").arg(q.Form), id);
        return;
    }
    const bool optionA = q.Options[0] && !q.Options[0]->trimmed().isEmpty();
    const bool choice = q.Form == ChoiceForm || (q.Form != TrueFalseForm && optionA);
    int filled = 0;
    for (const Decoded& option : q.Options)
        filled += option && !option->trimmed().isEmpty();
    if (choice && filled < 4)
        findings.Add(CheckProblem::BrokenForm,
                     QStringLiteral("a choice question without four options"), id);
    if (!choice && filled > 0)
        findings.Add(CheckProblem::BrokenForm, QStringLiteral("a true/false question with options"),
                     id);
    if (!q.Answer)
        return;
    if (choice && !Letters().contains(*q.Answer))
        findings.Add(CheckProblem::BrokenForm,
                     QStringLiteral("a choice question not answered A, B, C or D"), id);
    if (!choice && !Judgements().contains(*q.Answer))
        findings.Add(CheckProblem::BrokenForm,
                     QStringLiteral("a true/false question not answered 对 or 错"), id);
}

void CheckTexts(const Question& q, Findings& findings) {
    const QString id = QString::number(q.Id);
    const std::pair<const Decoded*, const char*> texts[] = {
        {&q.Content, "question text"}, {&q.Options[0], "option A"}, {&q.Options[1], "option B"},
        {&q.Options[2], "option C"},   {&q.Options[3], "option D"}, {&q.Answer, "answer"},
        {&q.Analyse, "explanation"}};
    for (const auto& [text, name] : texts)
        if (!*text)
            findings.Add(CheckProblem::Undecodable,
                         QStringLiteral("%1 cannot be decoded").arg(QLatin1String(name)), id);
    if (q.Analyse && q.Analyse->trimmed().isEmpty())
        findings.Add(CheckProblem::NoExplanation, QStringLiteral("no explanation"), id);
}

// Pictures inside a question's text and options: every "&name.type&" between one "&" and
// the next, shown as the picture "S" + name of the question picture library.
QList<std::pair<QString, QString>> TextPictures(const Question& q) {
    QString text = q.Content.value_or(QString());
    for (const Decoded& option : q.Options)
        text += QStringLiteral("\n\n") + option.value_or(QString());
    QList<std::pair<QString, QString>> pictures;
    for (const PictureToken& token : PictureTokens(text))
        pictures.append({QStringLiteral("S") + token.Name, token.Type});
    return pictures;
}

// Asks the picture library once per picture and remembers what is wrong with it.
class PictureCheck {
public:
    PictureCheck(const QuestionPictures& pictures, Findings& findings)
        : Pictures(pictures), Out(findings) {}

    // `inText`: the picture is inserted into a text, which takes only jpg and png.
    void Check(const Question& q, const QString& name, const QString& type, bool inText) {
        const QString picture = type.isEmpty() ? name : name + "." + type;
        Named.insert(picture);
        if (!Pictures.Unavailable.isEmpty())
            return;
        const QString key = picture + (inText ? QStringLiteral(" in text") : QString());
        if (!Verdicts.contains(key))
            Verdicts.insert(key, Verdict(name, type, inText));
        if (!Verdicts[key].isEmpty())
            Out.Add(CheckProblem::MissingPicture,
                    QStringLiteral("picture %1 %2").arg(picture, Verdicts[key]),
                    QString::number(q.Id));
    }
    int NamedCount() const { return int(Named.size()); }

private:
    QString Verdict(const QString& name, const QString& type, bool inText) const {
        if (inText && !IsTextPictureType(type))
            return QStringLiteral("cannot stand in a text (only jpg and png can)");
        const QString path = Pictures.Find(name, type);
        if (path.isEmpty())
            return QStringLiteral("is not in the question picture library");
        try {
            ReadPictureFile(path);
        } catch (const std::exception& error) {
            return QStringLiteral("cannot be shown: %1").arg(QString::fromUtf8(error.what()));
        }
        return {};
    }

    const QuestionPictures& Pictures;
    Findings& Out;
    QSet<QString> Named;
    QHash<QString, QString> Verdicts; // picture → what is wrong, empty when nothing
};

// Checks every row of the bank; returns how many rows name a picture.
int CheckQuestions(const Bank& bank, PictureCheck& pictures, Findings& findings) {
    int withPictures = 0;
    for (const Question& q : bank.Questions) {
        CheckTexts(q, findings);
        CheckForm(q, int(bank.Forms.size()), findings);
        const QList<std::pair<QString, QString>> inText = TextPictures(q);
        if (!q.Picture.isEmpty())
            pictures.Check(q, q.Picture, q.PictureType, false);
        if (!q.AnalysePicture.isEmpty())
            pictures.Check(q, q.AnalysePicture, q.AnalysePictureType, true);
        for (const auto& [picture, type] : inText)
            pictures.Check(q, picture, type, true);
        withPictures += !q.Picture.isEmpty() || !q.AnalysePicture.isEmpty() || !inText.isEmpty();
    }
    return withPictures;
}

// ---- teaching items ----

// Asks the library of each teaching item's category for the item's file; returns how many
// items there are. A picture must decode; a text must be UTF-8, an rtf file rich text.
int CheckTeachingItems(SqlCipherConnection& db, const QString& bank,
                       const QuestionPictures& pictures, Findings& findings) {
    static const QStringList Pictures = {"jpg", "bmp", "png", "gif"};
    static const QStringList Shown = Pictures + QStringList{"swf", "txt", "rtf"};
    const TQuery items = Select(
        db, bank,
        QStringLiteral("select a.DriveTeachID, b.DriveTeachFirstName, a.TeachName, "
                       "a.TeachType from DriveTeachList a left join DriveTeach b on "
                       "a.DriveTeachID=b.DriveTeachID order by a.DriveTeachID, a.TeachName"));
    for (const QVariantList& row : items.Rows) {
        const QString where = row[0].toString() + " " + row[2].toString();
        const QString type = row[3].toString().toLower();
        const QString file = row[2].toString() + "." + type;
        const std::optional<TeachLibrary> library = TeachLibraryOfCategory(row[1].toString());
        QString fault;
        if (!library)
            fault = QStringLiteral("teaching entry of category \"%1\", which has no library")
                        .arg(row[1].toString());
        else if (!Shown.contains(type))
            fault = QStringLiteral("teaching file of type \"%1\", which the classroom cannot show")
                        .arg(row[3].toString());
        if (!fault.isEmpty())
            findings.Add(CheckProblem::TeachingFile, fault, where);
        if (!fault.isEmpty() || !pictures.FindTeaching)
            continue;
        const QString path = pictures.FindTeaching(*library, row[2].toString(), type);
        if (path.isEmpty()) {
            findings.Add(CheckProblem::TeachingFile,
                         QStringLiteral("teaching file not in %1").arg(LibraryFileName(*library)),
                         where);
            continue;
        }
        try {
            if (Pictures.contains(type))
                ReadPictureFile(path);
        } catch (const std::exception& error) {
            findings.Add(CheckProblem::TeachingFile,
                         QStringLiteral("teaching file %1 cannot be shown: %2")
                             .arg(file, QString::fromUtf8(error.what())),
                         where);
        }
        if (type != QLatin1String("txt") && type != QLatin1String("rtf"))
            continue;
        QFile text(path);
        const QByteArray bytes = text.open(QIODevice::ReadOnly) ? text.readAll() : QByteArray();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(bytes);
        if (utf8.hasError() || decoded.trimmed().isEmpty())
            findings.Add(CheckProblem::TeachingFile,
                         QStringLiteral("teaching text that is empty or not UTF-8"), where);
        else if (type == QLatin1String("rtf") && !bytes.startsWith("{\\rtf"))
            findings.Add(CheckProblem::TeachingFile,
                         QStringLiteral("teaching file of type rtf that is not rich text"), where);
    }
    return int(items.Rows.size());
}

// ---- overview ----

// Columns in a terminal: CJK characters take two.
int DisplayWidth(const QString& text) {
    int width = 0;
    for (QChar c : text)
        width += c.unicode() >= 0x2E80 && c.unicode() < 0xFF61 ? 2 : 1;
    return width;
}

QString Pad(const QString& text, int width) {
    return text + QString(qMax(0, width - DisplayWidth(text)), u' ');
}

QString PapersOverview(const Bank& bank, const QList<Paper>& papers) {
    QString text = QStringLiteral("Papers by car type × area: questions drawn, then per chapter "
                                  "the headroom of %1/%2\n(questions available ÷ drawn, \"-\" "
                                  "where none are drawn; %3 papers without a repeat need %3):\n")
                       .arg(FormName(bank, TrueFalseForm), FormName(bank, ChoiceForm))
                       .arg(PapersWithoutRepeat);
    int nameWidth = 0;
    for (const Paper& paper : papers)
        nameWidth = qMax(nameWidth, DisplayWidth(PaperName(bank, {paper.CarType, paper.Area})));
    for (const Paper& paper : papers) {
        QString line = "  " + Pad(PaperName(bank, {paper.CarType, paper.Area}), nameWidth);
        if (!paper.Failure.isEmpty()) {
            text += line + QStringLiteral("  no paper\n");
            continue;
        }
        line += QStringLiteral("%1 ").arg(paper.Drawn(), 5);
        // The draws come in pairs per chapter: form 1, then form 2.
        for (qsizetype i = 0; i + 1 < paper.Draws.size(); i += 2)
            line += Pad(QStringLiteral(" %1:%2/%3")
                            .arg(paper.Draws[i].Chapter)
                            .arg(Headroom(paper.Draws[i]), Headroom(paper.Draws[i + 1])),
                        13);
        while (line.endsWith(u' '))
            line.chop(1);
        text += line + "\n";
    }
    return text;
}

QString ChaptersOverview(const Bank& bank, const Pools& pools) {
    QString text = QStringLiteral(
        "Chapters: questions to draw from, per form (a related group counts once):\n");
    int nameWidth = 0;
    for (const Chapter& chapter : bank.Chapters)
        nameWidth = qMax(nameWidth, DisplayWidth(chapter.Name));
    for (const Chapter& chapter : bank.Chapters)
        text += QStringLiteral("  %1 %2  %3 %4  %5 %6\n")
                    .arg(chapter.Id, 3)
                    .arg(Pad(chapter.Name, nameWidth), FormName(bank, TrueFalseForm))
                    .arg(pools.value({chapter.Id, TrueFalseForm}).size(), 4)
                    .arg(FormName(bank, ChoiceForm))
                    .arg(pools.value({chapter.Id, ChoiceForm}).size(), 4);
    return text;
}

QString Share(int count, int total) {
    return QStringLiteral("%1 (%2%)").arg(count).arg(total ? qRound(100.0 * count / total) : 0);
}

// ---- content ----

// The questions as the content rules see them: one per SubID and chapter.
QList<ContentQuestion> ContentQuestions(const Bank& bank) {
    QSet<std::pair<qlonglong, qlonglong>> seen;
    QSet<qlonglong> localChapters;
    for (const Chapter& chapter : bank.Chapters)
        if (chapter.Local())
            localChapters.insert(chapter.Id);
    QList<ContentQuestion> questions;
    for (const Question& q : bank.Questions) {
        if (seen.contains({q.SubId, q.Chapter}) || !q.Answer)
            continue;
        seen.insert({q.SubId, q.Chapter});
        ContentQuestion c;
        c.SubId = q.SubId;
        c.Chapter = q.Chapter;
        c.Choice = Letters().contains(*q.Answer);
        c.Stem = q.Content.value_or(QString());
        c.Picture = q.Picture;
        for (const Decoded& option : q.Options)
            c.Options.append(option.value_or(QString()));
        c.Answer = *q.Answer;
        c.Source = q.Source;
        c.Local = localChapters.contains(q.Chapter);
        questions.append(c);
    }
    return questions;
}

// Whether one paper can draw from both chapters: neither is bound to a car type or area
// the other excludes.
std::function<bool(qlonglong, qlonglong)> ChaptersSharePaper(const Bank& bank) {
    QHash<qlonglong, Chapter> byId;
    for (const Chapter& chapter : bank.Chapters)
        byId.insert(chapter.Id, chapter);
    const auto fits = [](qlonglong x, qlonglong y) { return x == -1 || y == -1 || x == y; };
    return [byId, fits](qlonglong a, qlonglong b) {
        const Chapter first = byId.value(a), second = byId.value(b);
        return fits(first.CarType, second.CarType) && fits(first.Area, second.Area);
    };
}

// Each question once, by its first row: what the shares are taken over.
QList<ContentQuestion> FirstRows(const QList<ContentQuestion>& questions) {
    QSet<qlonglong> seen;
    QList<ContentQuestion> first;
    for (const ContentQuestion& q : questions)
        if (!seen.contains(q.SubId)) {
            seen.insert(q.SubId);
            first.append(q);
        }
    return first;
}

QString Percent(double share) {
    return QStringLiteral("%1%").arg(qRound(100 * share));
}

QStringList SubIdsOf(const QList<ContentQuestion>& questions,
                     const std::function<bool(const ContentQuestion&)>& which) {
    QStringList ids;
    for (const ContentQuestion& q : questions)
        if (which(q))
            ids.append(QString::number(q.SubId));
    return ids;
}

void CheckShareAtMost(const QList<ContentQuestion>& questions, int count, int total, double limit,
                      const QString& what, const std::function<bool(const ContentQuestion&)>& which,
                      Findings& findings) {
    if (total == 0 || count <= limit * total)
        return;
    for (const QString& id : SubIdsOf(questions, which))
        findings.Add(CheckProblem::KeyLength,
                     QStringLiteral("%1 in %2 of %3 choice questions (at most %4)")
                         .arg(what, Share(count, total))
                         .arg(total)
                         .arg(Percent(limit)),
                     id);
}

void CheckSpread(const QString& answer, int count, int total, double low, double high,
                 Findings& findings) {
    if (total == 0 || (count >= low * total && count <= high * total))
        return;
    findings.Add(CheckProblem::AnswerSpread,
                 QStringLiteral("%1 answers %2 of %3 questions (%4–%5 wanted)")
                     .arg(answer, Share(count, total))
                     .arg(total)
                     .arg(Percent(low), Percent(high)),
                 QStringLiteral("the whole bank"));
}

QString PairsText(const QList<QList<qlonglong>>& groups, const QString& joint) {
    QStringList texts;
    for (const QList<qlonglong>& group : groups) {
        QStringList ids;
        for (qlonglong id : group)
            ids.append(QString::number(id));
        texts.append(ids.join(joint));
    }
    return texts.join(QStringLiteral("; "));
}

// Answers that give themselves away, questions that repeat each other, local rules without
// a date; returns the overview's lines on answers and key lengths.
QString CheckContent(const Bank& bank, Findings& findings, QStringList& notes) {
    const QList<ContentQuestion> all = ContentQuestions(bank);
    const QList<ContentQuestion> questions = FirstRows(all);
    const ContentFigures figures = MeasureContent(questions);
    CheckShareAtMost(questions, figures.KeyLongest, figures.Choices, MaxKeyLongestShare,
                     QStringLiteral("the key is the longest option"), KeyIsLongest, findings);
    CheckShareAtMost(questions, figures.KeyOverTwice, figures.Choices, MaxKeyOverTwiceShare,
                     QStringLiteral("the key is over twice as long as every other option"),
                     KeyOverTwice, findings);
    QStringList letters;
    for (const QString& letter : Letters()) {
        const int count = figures.Letters.value(letter);
        CheckSpread(letter, count, figures.Choices, MinLetterShare, MaxLetterShare, findings);
        letters.append(letter + " " + Share(count, figures.Choices));
    }
    CheckSpread(Judgements()[0], figures.True, figures.TrueFalse, MinTrueShare, MaxTrueShare,
                findings);
    for (const QList<qlonglong>& group : DuplicateStems(all))
        findings.Add(CheckProblem::DuplicateStem,
                     QStringLiteral("the same stem and picture twice in one chapter"),
                     PairsText({group}, QStringLiteral(" = ")));
    for (const auto& [a, b] : UngroupedRepeats(all, ChaptersSharePaper(bank), bank.Groups))
        findings.Add(CheckProblem::DuplicateStem,
                     QStringLiteral("the same stem and picture in two chapters of one paper, "
                                    "not in one related group"),
                     QStringLiteral("%1 = %2").arg(a).arg(b));
    for (const ContentQuestion& q : all)
        if (q.Local && NamesPolicy(q.Source) && !HasSourceDate(q.Source))
            findings.Add(CheckProblem::NoSourceDate,
                         QStringLiteral("a local rule whose source names no date (YYYY-MM-DD)"),
                         QString::number(q.SubId));
    QList<QList<qlonglong>> similar;
    for (const auto& [a, b] : SimilarStems(all))
        similar.append({a, b});
    if (!similar.isEmpty())
        notes.append(QStringLiteral("similar stems in one chapter, for a person to judge: ") +
                     PairsText(similar, QStringLiteral(" ~ ")));
    const QList<QList<qlonglong>> samePicture = SamePicture(all);
    if (!samePicture.isEmpty())
        notes.append(QStringLiteral("one picture in several questions of a chapter, for a "
                                    "person to judge: ") +
                     PairsText(samePicture, QStringLiteral(", ")));
    return QStringLiteral("Answers: choice %1 questions: %2; true/false %3 questions: %4 %5, "
                          "%6 %7\nKey lengths: the longest option in %8, over twice every "
                          "other in %9 of the choice questions\n")
        .arg(figures.Choices)
        .arg(letters.join(QStringLiteral(", ")))
        .arg(figures.TrueFalse)
        .arg(Judgements()[0], Share(figures.True, figures.TrueFalse), Judgements()[1],
             Share(figures.TrueFalse - figures.True, figures.TrueFalse),
             Share(figures.KeyLongest, figures.Choices),
             Share(figures.KeyOverTwice, figures.Choices));
}

QString FormatWhere(const QStringList& where) {
    if (where.size() <= WhereShown)
        return where.join(QStringLiteral(", "));
    return where.first(WhereShown).join(QStringLiteral(", ")) +
           QStringLiteral(" … (%1 in all)").arg(where.size());
}

} // namespace

bool BankCheckReport::Has(CheckProblem kind) const {
    return std::any_of(Problems.begin(), Problems.end(),
                       [kind](const CheckFinding& finding) { return finding.Kind == kind; });
}

QString BankCheckReport::Text() const {
    QString text = Overview;
    if (!Notes.isEmpty())
        text += QStringLiteral("\nNotes (no fault):\n  - ") + Notes.join(QStringLiteral("\n  - ")) +
                "\n";
    if (Passed())
        return text + QStringLiteral("\nResult: passed, no problem found.\n");
    text += QStringLiteral("\nProblems:\n");
    for (const CheckFinding& finding : Problems)
        text += QStringLiteral("  - %1: %2\n").arg(finding.What, FormatWhere(finding.Where));
    return text + QStringLiteral("\nResult: FAILED, %1 problem(s).\n").arg(Problems.size());
}

QuestionPictures BindQuestionPictures() {
    QStringList missing;
    for (const QString& what : LoadLibraries())
        if (what.startsWith(QLatin1String("SubImage.so")))
            missing.append(what);
    if (!missing.isEmpty())
        return {QStringLiteral("%1 cannot be loaded beside the program").arg(missing.join(", ")),
                {}};
    return {{}, &LoadSubImage, &LoadLibraryImage};
}

BankCheckReport CheckBank(const QString& bankFile, const QuestionPictures& pictures,
                          const QByteArray& key) {
    const QString name = QFileInfo(bankFile).fileName();
    SqlCipherConnection db(key);
    if (!db.Open(bankFile))
        throw BankError(name, 0, 0, db.LastError());
    const Bank bank = ReadBankForCheck(db, name);
    const Pools pools = PoolsOf(bank);

    BankCheckReport report;
    Findings findings;
    if (!pictures.Unavailable.isEmpty())
        findings.Add(CheckProblem::PictureLibrary, pictures.Unavailable,
                     QStringLiteral("pictures not checked"));
    QList<Paper> papers;
    for (int carType = 1; carType <= bank.CarTypes.size(); ++carType)
        for (int area = 1; area <= bank.Areas.size(); ++area) {
            papers.append(ComposePaper(db, pools, carType, area));
            CheckPaper(bank, papers.last(), findings);
        }

    PictureCheck pictureCheck(pictures, findings);
    const int withPictures = CheckQuestions(bank, pictureCheck, findings);
    const int teachingItems = CheckTeachingItems(db, name, pictures, findings);

    QSet<qlonglong> subIds;
    for (const Question& q : bank.Questions)
        subIds.insert(q.SubId);
    report.Overview =
        QStringLiteral("Question bank %1: %2 questions in %3 rows, %4 chapters, car types %5, "
                       "areas %6\n\n")
            .arg(name)
            .arg(subIds.size())
            .arg(bank.Questions.size())
            .arg(bank.Chapters.size())
            .arg(bank.CarTypes.join(QStringLiteral(", ")), bank.Areas.join(QStringLiteral(", "))) +
        PapersOverview(bank, papers) + "\n" + ChaptersOverview(bank, pools) + "\n" +
        CheckContent(bank, findings, report.Notes) +
        QStringLiteral("Pictures: %1 named by %2 question rows, %3\n")
            .arg(pictureCheck.NamedCount())
            .arg(withPictures)
            .arg(pictures.Unavailable.isEmpty() ? QStringLiteral("asked of SubImage.so")
                                                : QStringLiteral("not checked")) +
        QStringLiteral("Teaching items: %1, %2\n")
            .arg(teachingItems)
            .arg(pictures.FindTeaching ? QStringLiteral("asked of their libraries")
                                       : QStringLiteral("files not checked"));
    report.Problems = findings.Finish(bank);
    return report;
}
