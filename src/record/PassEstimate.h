#pragma once

#include "record/ChapterAccuracy.h"

#include <QHash>
#include <QList>
#include <QString>

// One mock exam's result: the score and the questions of its paper.
struct TPaperScore {
    int Score = 0;
    int Questions = 0;
};

struct TPassEstimate {
    // False while the record holds too little to say anything.
    bool Known = false;
    // The chance of answering one question of the next paper right.
    double QuestionRate = 0;
    // The chance of 90 or more right answers out of 100.
    double PassChance = 0;
    int PapersUsed = 0;
    int AnswersUsed = 0;
};

namespace PassRule {
constexpr int RecentPapers = 5;
// Answers needed for an estimate when there is no paper yet.
constexpr int MinimumAnswers = 30;
// The chapter accuracy counts as this many papers in the blend.
constexpr int ChapterWeight = 3;
constexpr int PaperQuestions = 100;
constexpr int PassScore = 90;
} // namespace PassRule

// How the estimate is made, for the page.
QString PassEstimateRuleText();

// The probability of at least `needed` right answers out of `questions` when each is right
// with probability `rate`, independently.
double ChanceOfAtLeast(int needed, int questions, double rate);

// `papers` newest first; `tallies` the answers per chapter; `chapterWeights` how many
// questions each chapter holds in the bank (the paper draws in these proportions). A chapter
// of the bank without answers counts as a coin toss, so unpractised chapters pull the
// estimate down. Without weights the chapters weigh by their answers.
TPassEstimate EstimatePass(const QList<TPaperScore>& papers, const QList<TChapterTally>& tallies,
                           const QHash<int, int>& chapterWeights);

// The mean of the last `count` scores of `scores` (oldest first); 0 for none.
double MeanOfLast(const QList<int>& scores, int count);
