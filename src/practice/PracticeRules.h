#pragma once

#include "practice/TSub.h"

#include <QColor>
#include <QString>
#include <functional>

// The practice query for the learner's car type and area: every applicable question once
// (its row with the smallest ID), narrowed by `extra` (blank or beginning with "and"), in
// chapter order when `order` is 1 and in random order otherwise.
QString PracticeSQL(int carTypeID, int areaID, const QString& extra, int order);

// Extra conditions and order codes of the practice modes started from the navigation bar.
namespace PracticeMode {
inline const QString AllQuestions = QStringLiteral(" ");
inline const QString WrongQuestions = QStringLiteral("and WrongMark = true");
constexpr int ChapterOrder = 1;
constexpr int RandomOrder = 2;
} // namespace PracticeMode

// Statements that put a question into the wrong-question set or take it out.
QString SetWrongMarkSQL(int subID, bool wrong);

// Turns a stored (encoded) text into plain text; CodeToStr in the program.
using TAnswerDecoder = std::function<QString(const QString&)>;

// The text of question `number` as the question box shows it: the number, "、 ", the
// question and, for a choice question, its four options. Line feeds inside the stored texts
// are dropped (carriage returns stay), so only the separating blank lines break lines.
QString QuestionText(int number, const TSub& sub, const TAnswerDecoder& decode);

// Answered and correctly answered questions of a set, each counted with its latest answer.
struct TPracticeScore {
    int Answered = 0;
    int Correct = 0;
};
TPracticeScore ScoreSubList(const TSubList& list, const TAnswerDecoder& decode);
QString RightRateText(const TPracticeScore& score);
QString AllAndRightText(const TPracticeScore& score);

// How a question of the grid stands, and the colours of its cell.
enum class TAnswerState { Unanswered, Right, Wrong };
TAnswerState AnswerState(const QString& myAnswer, const QString& rightAnswer);
struct TCellColors {
    QColor Background;
    QColor Text;
};
TCellColors CellColors(bool current, TAnswerState state);

// The question under horizontal position `x` of a progress bar `width` pixels wide that
// spans questions 1 … `total`: the bar is split into `total` equal slices, the last one
// ending at the right edge. 0 when x lies outside the bar or the set is empty.
int ProgressQuestionAt(int x, int width, int total);

// The caption of the path bar's second item for a practice mode, with its question count.
QString ModePathText(const QString& modeCaption, int questionCount);
