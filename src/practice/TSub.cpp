#include "practice/TSub.h"

namespace {

// The columns of table Sub that a question record reads, located once per result.
struct TSubColumns {
    explicit TSubColumns(const TQuery& dataSet)
        : SubID(dataSet.FieldIndex(QStringLiteral("SubID"))),
          ChapterID(dataSet.FieldIndex(QStringLiteral("ChapterID"))),
          SubMark(dataSet.FieldIndex(QStringLiteral("SubMark"))),
          SubContent(dataSet.FieldIndex(QStringLiteral("SubContent"))),
          SubContentPic(dataSet.FieldIndex(QStringLiteral("SubContentPic"))),
          SubContentPicType(dataSet.FieldIndex(QStringLiteral("SubContentPicType"))),
          AAnswer(dataSet.FieldIndex(QStringLiteral("AAnswer"))),
          BAnswer(dataSet.FieldIndex(QStringLiteral("BAnswer"))),
          CAnswer(dataSet.FieldIndex(QStringLiteral("CAnswer"))),
          DAnswer(dataSet.FieldIndex(QStringLiteral("DAnswer"))),
          SubAnswer(dataSet.FieldIndex(QStringLiteral("SubAnswer"))),
          SubAnalyse(dataSet.FieldIndex(QStringLiteral("SubAnalyse"))),
          SubAnalysePic(dataSet.FieldIndex(QStringLiteral("SubAnalysePic"))),
          SubAnalysePicType(dataSet.FieldIndex(QStringLiteral("SubAnalysePicType"))),
          WrongMark(dataSet.FieldIndex(QStringLiteral("WrongMark"))) {}

    int SubID, ChapterID, SubMark, SubContent, SubContentPic, SubContentPicType, AAnswer, BAnswer,
        CAnswer, DAnswer, SubAnswer, SubAnalyse, SubAnalysePic, SubAnalysePicType, WrongMark;
};

// A missing column or a null value reads as an invalid value: 0, false or empty text.
QVariant Value(const QVariantList& row, int column) {
    return column >= 0 && column < row.size() ? row[column] : QVariant();
}

QString Text(const QVariantList& row, int column) {
    return Value(row, column).toString();
}

QString Trimmed(const QVariantList& row, int column) {
    return Text(row, column).trimmed();
}

TSub ReadSub(const QVariantList& row, const TSubColumns& columns) {
    TSub sub;
    sub.SubID = Value(row, columns.SubID).toInt();
    sub.ChapterID = Value(row, columns.ChapterID).toInt();
    sub.SubMark = Text(row, columns.SubMark);
    sub.SubContent = Text(row, columns.SubContent);
    sub.SubContentPic = Trimmed(row, columns.SubContentPic);
    sub.SubContentPicType = Trimmed(row, columns.SubContentPicType).toLower();
    sub.AAnswer = Text(row, columns.AAnswer);
    sub.BAnswer = Text(row, columns.BAnswer);
    sub.CAnswer = Text(row, columns.CAnswer);
    sub.DAnswer = Text(row, columns.DAnswer);
    sub.SubAnswer = Text(row, columns.SubAnswer);
    sub.SubAnalyse = Text(row, columns.SubAnalyse);
    sub.SubAnalysePic = Trimmed(row, columns.SubAnalysePic);
    sub.SubAnalysePicType = Trimmed(row, columns.SubAnalysePicType).toLower();
    sub.WrongMark = Value(row, columns.WrongMark).toBool();
    return sub;
}

} // namespace

TSubList ReadSubList(TQuery& dataSet) {
    const TSubColumns columns(dataSet);
    TSubList list;
    list.reserve(dataSet.RecordCount() + 1);
    list.append(TSub());
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        list.append(ReadSub(dataSet.Rows[dataSet.CurrentRow()], columns));
    return list;
}

bool IsJudgeQuestion(const TSub& sub) {
    return sub.AAnswer.trimmed().isEmpty();
}

int GridRowCount(int questionCount) {
    return (questionCount + GridColumns - 1) / GridColumns;
}

int GridRowOf(int question) {
    return (question - 1) / GridColumns;
}

int GridColumnOf(int question) {
    return (question - 1) % GridColumns;
}

int QuestionAtCell(int row, int column) {
    return GridColumns * row + column + 1;
}
