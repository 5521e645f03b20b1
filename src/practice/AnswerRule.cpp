#include "practice/AnswerRule.h"

#include "data/uDataModule.h"
#include "data/uProc.h"

TQuery& SharedQuery() {
    static TQuery standIn;
    return dmMain ? dmMain->adoqSub : standIn;
}

bool HasQuestion(const TSubList& list, int index) {
    return index >= 1 && index <= QuestionCount(list);
}

bool SetWrongMark(TQuery& query, TSub& sub, bool wrong) {
    if (!ExecLocalSQL(query, SetWrongMarkSQL(sub.SubID, wrong), QStringLiteral("execute"), false))
        return false;
    sub.WrongMark = wrong;
    return true;
}

bool RecordAnswer(TQuery& query, TSub& sub, const QString& answer, const TAnswerDecoder& decode) {
    sub.MyAnswer = answer;
    const bool right = decode(sub.SubAnswer) == answer;
    if (!right)
        SetWrongMark(query, sub, true);
    return right;
}
