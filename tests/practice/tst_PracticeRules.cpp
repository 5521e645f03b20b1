#include "practice/KeyRules.h"
#include "practice/PracticeRules.h"
#include "practice/TSub.h"
#include "settings/uKeyboardSet.h"

#include <QKeyEvent>
#include <QSet>
#include <QTest>

namespace {

QString Plain(const QString& text) {
    return text;
}

TQuery SubRows(int count) {
    TQuery query;
    query.Fields = {"ID",         "SubID",         "ChapterID",         "SubMark",
                    "SubContent", "SubContentPic", "SubContentPicType", "AAnswer",
                    "BAnswer",    "CAnswer",       "DAnswer",           "SubAnswer",
                    "SubAnalyse", "SubAnalysePic", "SubAnalysePicType", "WrongMark"};
    for (int i = 1; i <= count; ++i)
        query.Rows.append({i, 100 + i, 3, "m", "content", "  pic12 ", " JPG ", "a", "b", "c", "d",
                           "A", "why", QVariant(), QVariant(), i % 2});
    query.Active = true;
    return query;
}

} // namespace

class TestPracticeRules : public QObject {
    Q_OBJECT
private slots:
    void statementsReadAsTheBankExpects() {
        QCOMPARE(PracticeSQL(1, 3, PracticeMode::WrongQuestions, PracticeMode::ChapterOrder),
                 QStringLiteral(
                     "select s.* from Sub s inner join (select min(Sub.ID) as SelID, Sub.SubID "
                     "from Sub inner join Chapter on Sub.ChapterID=Chapter.ChapterID where "
                     "((CarTypeSubID = -1 and AreaSubID = -1) or (CarTypeSubID = 1) or "
                     "(AreaSubID = 3)) and WrongMark = true group by SubID) p on s.ID=p.SelID "
                     "order by s.ChapterID,s.SubID"));
        const QString random = PracticeSQL(2, 7, PracticeMode::AllQuestions, 2);
        QVERIFY(random.contains("(CarTypeSubID = 2) or (AreaSubID = 7))   group by SubID"));
        QVERIFY(random.endsWith("on s.ID=p.SelID order by rnd(s.SubID)"));
        QCOMPARE(SetWrongMarkSQL(42, true), "update Sub set WrongMark=true where SubID=42");
        QCOMPARE(SetWrongMarkSQL(42, false), "update Sub set WrongMark=false where SubID=42");
        QCOMPARE(ModePathText("错题练习", 23), QStringLiteral("错题练习（共计23题）"));
    }

    void setIsReadOneBasedWithCleanedPictureNames() {
        TQuery rows = SubRows(23);
        const TSubList list = ReadSubList(rows);
        QCOMPARE(list.size(), 24);
        QCOMPARE(QuestionCount(list), 23);
        QCOMPARE(list[0].SubID, 0);
        QCOMPARE(list[1].SubID, 101);
        QCOMPARE(list[23].SubID, 123);
        QCOMPARE(list[1].SubContentPic, "pic12");
        QCOMPARE(list[1].SubContentPicType, "jpg");
        QCOMPARE(list[1].SubAnalysePic, QString());
        QVERIFY(list[1].WrongMark);
        QVERIFY(!list[2].WrongMark);
        QVERIFY(list[5].MyAnswer.isEmpty());

        TQuery none = SubRows(0);
        QCOMPARE(ReadSubList(none).size(), 1);
        QCOMPARE(QuestionCount(TSubList()), 0);
    }

    void gridNumbersFifteenQuestionsARow() {
        QCOMPARE(GridRowCount(0), 0);
        QCOMPARE(GridRowCount(15), 1);
        QCOMPARE(GridRowCount(23), 2);
        QCOMPARE(GridRowCount(75), 5);
        QCOMPARE(GridRowCount(76), 6);
        QCOMPARE(GridRowOf(15), 0);
        QCOMPARE(GridColumnOf(15), 14);
        QCOMPARE(GridRowOf(16), 1);
        QCOMPARE(GridColumnOf(16), 0);
        for (int question : {1, 15, 16, 23, 100})
            QCOMPARE(QuestionAtCell(GridRowOf(question), GridColumnOf(question)), question);
    }

    void questionTextDropsLineFeedsOnly() {
        TSub choice;
        choice.SubContent = "Which\nsign?\r";
        choice.AAnswer = "one\n";
        choice.BAnswer = "two";
        choice.CAnswer = "three";
        choice.DAnswer = "fo\nur";
        QCOMPARE(QuestionText(7, choice, Plain),
                 QStringLiteral("7、 Whichsign?\r\n\nA：one\n\nB：two\n\nC：three\n\nD：four"));
        TSub judge = choice;
        judge.AAnswer = "   ";
        QVERIFY(IsJudgeQuestion(judge));
        QCOMPARE(QuestionText(8, judge, Plain), QStringLiteral("8、 Whichsign?\r\n\n"));
    }

    void scoreCountsEachQuestionWithItsLatestAnswer() {
        TSubList list(6);
        for (TSub& sub : list)
            sub.SubAnswer = "B";
        list[1].MyAnswer = "B";
        QCOMPARE(RightRateText(ScoreSubList(list, Plain)), QStringLiteral("正确率：100.00%"));
        QCOMPARE(AllAndRightText(ScoreSubList(list, Plain)), QStringLiteral("正确/答题：1/1"));
        list[2].MyAnswer = "C";
        QCOMPARE(RightRateText(ScoreSubList(list, Plain)), QStringLiteral("正确率：50.00%"));
        list[3].MyAnswer = "B";
        QCOMPARE(RightRateText(ScoreSubList(list, Plain)), QStringLiteral("正确率：66.67%"));
        QCOMPARE(AllAndRightText(ScoreSubList(list, Plain)), QStringLiteral("正确/答题：2/3"));
        list[2].MyAnswer = "B";
        QCOMPARE(AllAndRightText(ScoreSubList(list, Plain)), QStringLiteral("正确/答题：3/3"));
        QCOMPARE(RightRateText({}), QStringLiteral("正确率：0.00%"));
        QCOMPARE(AllAndRightText({}), QStringLiteral("正确/答题：0/0"));
        list[0].MyAnswer = "A"; // entry 0 is never counted
        QCOMPARE(ScoreSubList(list, Plain).Answered, 3);
    }

    void currentCellOutshinesTheAnswerState() {
        QCOMPARE(AnswerState("", "A"), TAnswerState::Unanswered);
        QCOMPARE(AnswerState("对", "错"), TAnswerState::Wrong);
        QCOMPARE(CellColors(true, TAnswerState::Wrong).Background, QColor(166, 202, 240));
        QCOMPARE(CellColors(false, TAnswerState::Wrong).Text, QColor(255, 0, 0));
        QCOMPARE(CellColors(false, TAnswerState::Right).Text, QColor(Qt::black));
    }

    void progressBarReachesEveryQuestion() {
        QCOMPARE(ProgressQuestionAt(0, 832, 100), 1);
        QCOMPARE(ProgressQuestionAt(8, 832, 100), 1);
        QCOMPARE(ProgressQuestionAt(9, 832, 100), 2);
        QCOMPARE(ProgressQuestionAt(831, 832, 100), 100);
        QCOMPARE(ProgressQuestionAt(832, 832, 100), 0);
        QCOMPARE(ProgressQuestionAt(-1, 832, 100), 0);
        QCOMPARE(ProgressQuestionAt(400, 832, 0), 0);
        for (int total : {1, 23, 100, 832}) {
            QSet<int> reached;
            int previous = 1;
            for (int x = 0; x < 832; ++x) {
                const int question = ProgressQuestionAt(x, 832, total);
                QVERIFY(question >= previous);
                previous = question;
                reached.insert(question);
            }
            QCOMPARE(reached.size(), total);
        }
    }

    void keyEventsMapToWindowsCodes() {
        const QList<std::tuple<int, bool, int>> cases{
            {Qt::Key_0, true, 96},         {Qt::Key_9, true, 105},
            {Qt::Key_7, false, 55},        {Qt::Key_PageUp, true, 33},
            {Qt::Key_PageDown, false, 34}, {Qt::Key_Left, false, 37},
            {Qt::Key_Down, true, 40},      {Qt::Key_Plus, true, 107},
            {Qt::Key_Minus, true, 109},    {Qt::Key_Equal, false, 187},
            {Qt::Key_Plus, false, 187},    {Qt::Key_Minus, false, 189},
            {Qt::Key_A, false, 65},        {Qt::Key_Space, false, 32},
            {Qt::Key_Launch0, false, 0}};
        for (const auto& [key, keypad, code] : cases)
            QCOMPARE(WindowsKeyCode(key, keypad), code);
        const QKeyEvent keypadFour(QEvent::KeyPress, Qt::Key_4, Qt::KeypadModifier, "4");
        QCOMPARE(WindowsKeyCode(keypadFour), 100);
        const QKeyEvent shiftB(QEvent::KeyPress, Qt::Key_B, Qt::ShiftModifier, "B");
        QCOMPARE(WindowsKeyCode(shiftB), 66);
    }

    void keyRulesPickTheButton() {
        const TKeyMap map = DefaultKeyMap();
        auto choice = [&](int key) { return MatchKeyRule(key, map, "B", "C"); };
        auto judge = [&](int key) { return MatchKeyRule(key, map, "对", "错"); };
        for (int key : {37, 38, 109, 189, 33})
            QCOMPARE(choice(key), TKeyAction::Last);
        for (int key : {39, 40, 107, 187, 34})
            QCOMPARE(choice(key), TKeyAction::Next);
        QCOMPARE(choice(103), TKeyAction::A);
        QCOMPARE(choice(104), TKeyAction::B);
        QCOMPARE(choice(105), TKeyAction::C);
        QCOMPARE(choice(101), TKeyAction::D);
        QCOMPARE(choice(68), TKeyAction::D);
        QCOMPARE(choice(100), TKeyAction::None);
        QCOMPARE(judge(100), TKeyAction::B);
        QCOMPARE(judge(102), TKeyAction::C);
        QCOMPARE(judge(66), TKeyAction::B);
        QCOMPARE(judge(67), TKeyAction::C);
        QCOMPARE(judge(104), TKeyAction::None);
        QCOMPARE(judge(65), TKeyAction::A); // taken, though btnA is hidden then
        QCOMPARE(choice(32), TKeyAction::None);
        QCOMPARE(choice(256 + 65), TKeyAction::None);
        QCOMPARE(choice(-1), TKeyAction::None);
    }

    void keyRulesWithAnUnsetOrSharedEntry() {
        const TKeyMap unset;
        QCOMPARE(MatchKeyRule(32, unset, "B", "C"), TKeyAction::None);
        QCOMPARE(MatchKeyRule(95, unset, "B", "C"), TKeyAction::None);
        QCOMPARE(MatchKeyRule(38, unset, "B", "C"), TKeyAction::Last);
        QCOMPARE(MatchKeyRule(65, unset, "B", "C"), TKeyAction::A);

        TKeyMap shared = DefaultKeyMap();
        shared.Right = shared.A;
        QCOMPARE(MatchKeyRule(103, shared, "对", "错"), TKeyAction::A);
    }
};

QTEST_MAIN(TestPracticeRules)
#include "tst_PracticeRules.moc"
