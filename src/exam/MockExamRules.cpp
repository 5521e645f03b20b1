#include "exam/MockExamRules.h"

#include "practice/AnswerRule.h"

void CutPaper(TSubList& paper, int cells) {
    if (QuestionCount(paper) > cells)
        paper.resize(cells + 1);
}

QString CountdownText(int seconds) {
    const int left = qMax(seconds, 0);
    return QString::asprintf("%.2d:%.2d", left / 60, left % 60);
}

int CountdownSeconds(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return -1;
    bool minutesOk = false;
    bool secondsOk = false;
    const int minutes = text.left(colon).trimmed().toInt(&minutesOk);
    const int seconds = text.mid(colon + 1).trimmed().toInt(&secondsOk);
    if (!minutesOk || !secondsOk || minutes < 0 || seconds < 0 || minutes > 9999)
        return -1;
    return minutes * 60 + seconds;
}

int UseTime(const QString& clockText) {
    const int left = CountdownSeconds(clockText);
    return left < 0 ? ExamSeconds : qBound(0, ExamSeconds - left, ExamSeconds);
}

int RightCount(const TSubList& paper, const TAnswerDecoder& decode) {
    return ScoreSubList(paper, decode).Correct;
}

QString ResultText(int score) {
    if (score >= PassMark)
        return QStringLiteral("您本次考试得") + QString::number(score) +
               QStringLiteral("分，及格！");
    return QStringLiteral("很遗憾，您本次考试得") + QString::number(score) +
           QStringLiteral("分，不及格！祝你下次考试成功！");
}

QString AnswerOfCaption(const QString& caption) {
    if (caption == QStringLiteral("√"))
        return QStringLiteral("对");
    if (caption == QStringLiteral("×"))
        return QStringLiteral("错");
    return caption;
}

QString CaptionOfAnswer(const QString& answer) {
    if (answer == QStringLiteral("对"))
        return QStringLiteral("√");
    if (answer == QStringLiteral("错"))
        return QStringLiteral("×");
    return answer;
}

QString SheetCellCaption(int number, const QString& buttonCaption) {
    const QString n = QString::number(number);
    return buttonCaption.isEmpty() ? n : n + QStringLiteral("\n   ") + buttonCaption;
}

QString ExamLicenceText(int carTypeID) {
    switch (carTypeID) {
    case 1:
        return QStringLiteral("C1");
    case 2:
        return QStringLiteral("A2");
    default:
        return QStringLiteral("A1");
    }
}

QColor SheetCellColor(TSheetMode mode, const TSubList& paper, int number, bool current,
                      const TAnswerDecoder& decode) {
    const QColor white(255, 255, 255);
    if (!HasQuestion(paper, number))
        return white;
    if (current)
        return QColor(166, 202, 240);
    const TSub& sub = paper[number];
    if (mode == TSheetMode::Answering)
        return sub.MyAnswer.isEmpty() ? white : QColor(192, 220, 192);
    const bool right = AnswerState(sub.MyAnswer, decode(sub.SubAnswer)) == TAnswerState::Right;
    return right ? white : QColor(255, 0, 0);
}

namespace {

QString Quoted(const QString& text) {
    return QStringLiteral("'") + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QStringLiteral("'");
}

} // namespace

QString InsertGradeCommand(const TGrade& grade) {
    QString command = QStringLiteral("exec procInsertGrade ") + Quoted(grade.EmpID) +
                      QStringLiteral(",") + Quoted(grade.EmpName) + QStringLiteral(",") +
                      QString::number(grade.UseTime) + QStringLiteral(",") +
                      QString::number(grade.Mark);
    if (!grade.Key.isEmpty())
        command += QStringLiteral(",") + Quoted(grade.Key);
    return command;
}
