#pragma once

#include "data/TQuery.h"

#include <QList>
#include <QString>

// One question as the practice page and the mock exam see it. Texts marked "encoded" are
// stored encoded and pass through CodeToStr before they are shown or compared.
struct TSub {
    int SubID = 0;
    int ChapterID = 0;
    QString SubMark;
    QString SubContent; // encoded
    QString SubContentPic;
    QString SubContentPicType; // lower case
    QString AAnswer;           // encoded; empty for a true/false question
    QString BAnswer;           // encoded
    QString CAnswer;           // encoded
    QString DAnswer;           // encoded
    QString SubAnswer;         // encoded
    QString SubAnalyse;        // encoded
    QString SubAnalysePic;
    QString SubAnalysePicType; // lower case
    bool WrongMark = false;
    QString MyAnswer; // "", "A".."D", "对" or "错"; lives only in memory
};

// The question set, used from index 1; entry 0 is an empty record nothing reads, so a set of
// N questions has N + 1 entries.
using TSubList = QList<TSub>;

inline int QuestionCount(const TSubList& list) {
    return list.isEmpty() ? 0 : int(list.size()) - 1;
}

// A set of N + 1 entries filled from every row of `dataSet` (columns of table Sub), in row
// order. The data set's row pointer ends past the last row.
TSubList ReadSubList(TQuery& dataSet);

// True for a true/false question: its stored option A is empty or blank.
bool IsJudgeQuestion(const TSub& sub);

// The question grid holds 15 questions a row, numbered from 1 left to right, row by row.
constexpr int GridColumns = 15;
int GridRowCount(int questionCount);
int GridRowOf(int question);
int GridColumnOf(int question);
int QuestionAtCell(int row, int column);
