#include "record/ExamRecord.h"

#include "record/LearnerRecord.h"
#include "record/RecordClock.h"

bool NoteMockExam(TLearnerRecord& record, const TSubList& paper, int score, int useTime,
                  const TDriverInfo& driver, const TAnswerDecoder& decode) {
    TPaperRecord entry{RecordClock::Now(),
                       score,
                       QuestionCount(paper),
                       useTime,
                       driver.SubCarTypeID,
                       driver.SubCarTypeName + driver.SubCarTypeDesc,
                       driver.SubAreaID,
                       driver.SubAreaName,
                       {}};
    QList<TSub> answered;
    QList<bool> rights;
    for (int i = 1; i <= QuestionCount(paper); ++i) {
        const TSub& sub = paper[i];
        const bool right = !sub.MyAnswer.isEmpty() && decode(sub.SubAnswer) == sub.MyAnswer;
        if (!right)
            entry.WrongSubIDs.append(sub.SubID);
        if (!sub.MyAnswer.isEmpty()) {
            answered.append(sub);
            rights.append(right);
        }
    }
    return record.NotePaper(entry, answered, rights);
}
