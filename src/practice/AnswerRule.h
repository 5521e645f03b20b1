#pragma once

#include "practice/PracticeRules.h"
#include "practice/TSub.h"

class TQuery;

// The one answer rule of practice and mock exam: the learner's answer is kept in the set,
// compared with the decoded correct answer, and a wrong answer marks the question in the
// bank for the wrong-question practice.

// The data module's shared query; while no bank is open (no data module), a stand-in lets
// the query helper report the missing connection instead of the caller failing.
TQuery& SharedQuery();

// True when `index` names a question of the set (1 … N).
bool HasQuestion(const TSubList& list, int index);

// Puts the question into the wrong-question set or takes it out, in the bank through
// `query` (no message on failure) and, when the bank took it, in `sub`. Returns whether
// the bank took it.
bool SetWrongMark(TQuery& query, TSub& sub, bool wrong);

// Records `answer` ("A" … "D", "对" or "错") as the learner's answer to `sub` and returns
// whether it equals the decoded correct answer. A wrong answer marks the question wrong;
// a right one leaves the mark as it was.
bool RecordAnswer(TQuery& query, TSub& sub, const QString& answer, const TAnswerDecoder& decode);
