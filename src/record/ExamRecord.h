#pragma once

#include "practice/PracticeRules.h"
#include "practice/TSub.h"
#include "settings/Configure.h"

class TLearnerRecord;

// Keeps a submitted mock exam in `record`: the paper (score, use time, car type, area, the
// questions not answered right) and every answer given in it. Questions left unanswered
// count as wrong in the paper but are no answers. False when the record could not take it.
bool NoteMockExam(TLearnerRecord& record, const TSubList& paper, int score, int useTime,
                  const TDriverInfo& driver, const TAnswerDecoder& decode);
