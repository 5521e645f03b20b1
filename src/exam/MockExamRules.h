#pragma once

#include "practice/PracticeRules.h"
#include "practice/TSub.h"
#include "settings/Configure.h"

#include <QColor>
#include <QString>

// Widget-free rules of the mock exam: paper limits, countdown, scoring, the answer sheet
// and the upload command.

constexpr int AnswerSheetCells = 100;
constexpr int PassMark = 90;
constexpr int ExamSeconds = 45 * 60;

// Cuts a paper to the cells of the answer sheet.
void CutPaper(TSubList& paper, int cells = AnswerSheetCells);

// The countdown as the clock shows it: minutes and seconds, two digits each ("45:00").
QString CountdownText(int seconds);
// The seconds a clock text stands for: minutes before the first ":", seconds after it.
// -1 for a text that does not read so.
int CountdownSeconds(const QString& text);
// The seconds spent on an exam whose clock reads `clockText`, within 0 … 2700.
int UseTime(const QString& clockText);

// Questions whose answer equals the decoded correct answer; unanswered ones count nothing.
int RightCount(const TSubList& paper, const TAnswerDecoder& decode);
// The result line of the result dialog for a score.
QString ResultText(int score);

// The exam buttons show judge answers as "√" and "×"; the set stores "对" and "错".
QString AnswerOfCaption(const QString& caption);
QString CaptionOfAnswer(const QString& answer);
// An answer-sheet cell: its number, and once answered a line feed, three blanks and the
// answer as the button shows it.
QString SheetCellCaption(int number, const QString& buttonCaption);
// The licence class the exam panel shows for a car type.
QString ExamLicenceText(int carTypeID);

// The colour of cell `number` when it becomes the current one or is left: while answering
// sky blue (current), money green (answered) or white; in the review sky blue (current),
// white (answered correctly) or red. Cells without a question stay white.
enum class TSheetMode { Answering, Review };
QColor SheetCellColor(TSheetMode mode, const TSubList& paper, int number, bool current,
                      const TAnswerDecoder& decode);

// The upload of a passing grade: "exec procInsertGrade 'ID','name',useTime,mark" with
// quotes inside the texts doubled, and the grade's key as a fifth text when it has one.
struct TGrade {
    QString Key;
    QString EmpID;
    QString EmpName;
    int UseTime = 0;
    int Mark = 0;
};
QString InsertGradeCommand(const TGrade& grade);
