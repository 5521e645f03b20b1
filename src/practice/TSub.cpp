#include "practice/TSub.h"

namespace {

QString TextField(const TQuery& dataSet, const char* name) {
    return dataSet.FieldByName(QString::fromLatin1(name)).toString();
}

QString TrimmedField(const TQuery& dataSet, const char* name) {
    return TextField(dataSet, name).trimmed();
}

TSub ReadSub(const TQuery& dataSet) {
    TSub sub;
    sub.SubID = dataSet.FieldByName(QStringLiteral("SubID")).toInt();
    sub.ChapterID = dataSet.FieldByName(QStringLiteral("ChapterID")).toInt();
    sub.SubMark = TextField(dataSet, "SubMark");
    sub.SubContent = TextField(dataSet, "SubContent");
    sub.SubContentPic = TrimmedField(dataSet, "SubContentPic");
    sub.SubContentPicType = TrimmedField(dataSet, "SubContentPicType").toLower();
    sub.AAnswer = TextField(dataSet, "AAnswer");
    sub.BAnswer = TextField(dataSet, "BAnswer");
    sub.CAnswer = TextField(dataSet, "CAnswer");
    sub.DAnswer = TextField(dataSet, "DAnswer");
    sub.SubAnswer = TextField(dataSet, "SubAnswer");
    sub.SubAnalyse = TextField(dataSet, "SubAnalyse");
    sub.SubAnalysePic = TrimmedField(dataSet, "SubAnalysePic");
    sub.SubAnalysePicType = TrimmedField(dataSet, "SubAnalysePicType").toLower();
    sub.WrongMark = dataSet.FieldByName(QStringLiteral("WrongMark")).toBool();
    return sub;
}

} // namespace

TSubList ReadSubList(TQuery& dataSet) {
    TSubList list;
    list.reserve(dataSet.RecordCount() + 1);
    list.append(TSub());
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        list.append(ReadSub(dataSet));
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
