#include "data/TQuery.h"
#include "data/uDataModule.h"
#include "data/uProc.h"
#include "practice/AnswerRule.h"
#include "settings/AppPaths.h"
#include "support/TestSupport.h"

#include <QTest>
#include <memory>

namespace {

QString Plain(const QString& text) {
    return text;
}

bool MarkedInBank(int subID) {
    TQuery query;
    ExecLocalSQL(query, "select WrongMark from Sub where SubID=" + QString::number(subID), "open",
                 false);
    return !query.Rows.isEmpty() && query.Rows[0][0].toBool();
}

} // namespace

// The answer rule that practice and the mock exam share, on a copy of the sample bank.
class TestAnswerRule : public QObject {
    Q_OBJECT
    std::unique_ptr<TdmMain> DataModule;
    TSub Question;

private slots:
    void initTestCase() {
        TestSupport::UseFreshDataFolder(true);
        DataModule = std::make_unique<TdmMain>();
        dmMain = DataModule.get();
        DataModule->DataModuleCreate(AppPaths::BankFile());
        QVERIFY(DataModule->Connected());
        TQuery query;
        QVERIFY(ExecLocalSQL(query, "select min(SubID) from Sub", "open", false));
        Question.SubID = query.Rows[0][0].toInt();
        Question.SubAnswer = "B";
        QVERIFY(ExecLocalSQL(query, "update Sub set WrongMark=false", "execute", false));
    }
    void cleanupTestCase() {
        dmMain = nullptr;
        DataModule.reset();
    }

    void questionsOfTheSetAreOneToN() {
        const TSubList set(4);
        QVERIFY(!HasQuestion(set, 0));
        QVERIFY(HasQuestion(set, 1));
        QVERIFY(HasQuestion(set, 3));
        QVERIFY(!HasQuestion(set, 4));
        QVERIFY(!HasQuestion(TSubList(), 1));
    }

    void rightAnswerKeepsTheMarkWrongOneSetsIt() {
        QVERIFY(RecordAnswer(SharedQuery(), Question, "B", Plain));
        QCOMPARE(Question.MyAnswer, QStringLiteral("B"));
        QVERIFY(!Question.WrongMark);
        QVERIFY(!MarkedInBank(Question.SubID));
        QVERIFY(!RecordAnswer(SharedQuery(), Question, "C", Plain));
        QVERIFY(Question.WrongMark);
        QVERIFY(MarkedInBank(Question.SubID));
        // Answering right afterwards leaves the question in the wrong-question set.
        QVERIFY(RecordAnswer(SharedQuery(), Question, "B", Plain));
        QVERIFY(MarkedInBank(Question.SubID));
        QVERIFY(SetWrongMark(SharedQuery(), Question, false));
        QVERIFY(!Question.WrongMark);
        QVERIFY(!MarkedInBank(Question.SubID));
    }

    void withoutBankTheAnswerStaysButNoMark() {
        dmMain = nullptr;
        TSub sub = Question;
        QVERIFY(!RecordAnswer(SharedQuery(), sub, "A", Plain));
        QCOMPARE(sub.MyAnswer, QStringLiteral("A"));
        QVERIFY(!sub.WrongMark);
        QVERIFY(!SetWrongMark(SharedQuery(), sub, true));
        dmMain = DataModule.get();
    }
};

QTEST_MAIN(TestAnswerRule)
#include "tst_AnswerRule.moc"
