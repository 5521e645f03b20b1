#include "practice/PracticeRules.h"

QString PracticeSQL(int carTypeID, int areaID, const QString& extra, int order) {
    return QStringLiteral("select s.* from Sub s inner join (select min(Sub.ID) as SelID, "
                          "Sub.SubID from Sub inner join Chapter on "
                          "Sub.ChapterID=Chapter.ChapterID where ((CarTypeSubID = -1 and "
                          "AreaSubID = -1) or (CarTypeSubID = ") +
           QString::number(carTypeID) + QStringLiteral(") ") + QStringLiteral("or (AreaSubID = ") +
           QString::number(areaID) + QStringLiteral(")) ") + extra +
           QStringLiteral(" group by SubID) p ") + QStringLiteral("on s.ID=p.SelID ") +
           (order == PracticeMode::ChapterOrder ? QStringLiteral("order by s.ChapterID,s.SubID")
                                                : QStringLiteral("order by rnd(s.SubID)"));
}

QString SetWrongMarkSQL(int subID, bool wrong) {
    return (wrong ? QStringLiteral("update Sub set WrongMark=true where SubID=")
                  : QStringLiteral("update Sub set WrongMark=false where SubID=")) +
           QString::number(subID);
}

namespace {

QString Flattened(const QString& text) {
    QString flat = text;
    flat.remove(QChar(10));
    return flat;
}

} // namespace

QString QuestionText(int number, const TSub& sub, const TAnswerDecoder& decode) {
    const QString gap = QStringLiteral("\n\n");
    QString text =
        QString::number(number) + QStringLiteral("、 ") + Flattened(decode(sub.SubContent)) + gap;
    if (IsJudgeQuestion(sub))
        return text;
    return text + QStringLiteral("A：") + Flattened(decode(sub.AAnswer)) + gap +
           QStringLiteral("B：") + Flattened(decode(sub.BAnswer)) + gap + QStringLiteral("C：") +
           Flattened(decode(sub.CAnswer)) + gap + QStringLiteral("D：") +
           Flattened(decode(sub.DAnswer));
}

TPracticeScore ScoreSubList(const TSubList& list, const TAnswerDecoder& decode) {
    TPracticeScore score;
    for (int i = 1; i < list.size(); ++i) {
        const TSub& sub = list[i];
        if (sub.MyAnswer.isEmpty())
            continue;
        ++score.Answered;
        if (sub.MyAnswer == decode(sub.SubAnswer))
            ++score.Correct;
    }
    return score;
}

QString RightRateText(const TPracticeScore& score) {
    const double rate = score.Answered == 0 ? 0.0 : score.Correct * 100.0 / score.Answered;
    return QStringLiteral("正确率：") + QString::asprintf("%.2f", rate) + QStringLiteral("%");
}

QString AllAndRightText(const TPracticeScore& score) {
    return QStringLiteral("正确/答题：") + QString::number(score.Correct) + QStringLiteral("/") +
           QString::number(score.Answered);
}

TAnswerState AnswerState(const QString& myAnswer, const QString& rightAnswer) {
    if (myAnswer.isEmpty())
        return TAnswerState::Unanswered;
    return myAnswer == rightAnswer ? TAnswerState::Right : TAnswerState::Wrong;
}

TCellColors CellColors(bool current, TAnswerState state) {
    const QColor skyBlue(166, 202, 240);
    const QColor moneyGreen(192, 220, 192);
    if (current)
        return {skyBlue, QColor(0, 0, 255)};
    switch (state) {
    case TAnswerState::Unanswered:
        return {QColor(255, 255, 255), QColor(0, 0, 0)};
    case TAnswerState::Right:
        return {moneyGreen, QColor(0, 0, 0)};
    case TAnswerState::Wrong:
        break;
    }
    return {moneyGreen, QColor(255, 0, 0)};
}

int ProgressQuestionAt(int x, int width, int total) {
    if (total <= 0 || width <= 0 || x < 0 || x >= width)
        return 0;
    return int(qint64(x) * total / width) + 1;
}

QString ModePathText(const QString& modeCaption, int questionCount) {
    return modeCaption + QStringLiteral("（共计") + QString::number(questionCount) +
           QStringLiteral("题）");
}
