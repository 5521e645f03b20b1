#include "record/PassEstimate.h"

#include <algorithm>
#include <cmath>

QString PassEstimateRuleText() {
    return QStringLiteral(
               "估算方法：把最近%1次模拟考试的得分率与各章正确率（按各章在题库中的题量加权，"
               "未练过的章节按五成计）合成每题答对的概率，再按%2题中至少答对%3题的"
               "二项分布算出通过的机会。")
        .arg(PassRule::RecentPapers)
        .arg(PassRule::PaperQuestions)
        .arg(PassRule::PassScore);
}

double ChanceOfAtLeast(int needed, int questions, double rate) {
    if (needed <= 0)
        return 1.0;
    if (needed > questions || rate <= 0.0)
        return 0.0;
    if (rate >= 1.0)
        return 1.0;
    double sum = 0;
    for (int k = needed; k <= questions; ++k) {
        const double logTerm = std::lgamma(questions + 1.0) - std::lgamma(k + 1.0) -
                               std::lgamma(questions - k + 1.0) + k * std::log(rate) +
                               (questions - k) * std::log1p(-rate);
        sum += std::exp(logTerm);
    }
    return std::clamp(sum, 0.0, 1.0);
}

namespace {

// Σ w·(right + 1)/(answered + 2) ÷ Σ w: each chapter's accuracy pulled towards one half
// by as much as it has few answers.
double ChapterRate(const QList<TChapterTally>& tallies, const QHash<int, int>& weights) {
    QHash<int, TChapterTally> byChapter;
    for (const TChapterTally& tally : tallies)
        byChapter.insert(tally.ChapterID, tally);
    QHash<int, int> used = weights;
    if (used.isEmpty())
        for (const TChapterTally& tally : tallies)
            used.insert(tally.ChapterID, tally.Answered);
    double sum = 0;
    double total = 0;
    for (auto it = used.cbegin(); it != used.cend(); ++it) {
        if (it.value() <= 0)
            continue;
        const TChapterTally tally = byChapter.value(it.key());
        sum += it.value() * (tally.Right + 1.0) / (tally.Answered + 2.0);
        total += it.value();
    }
    return total > 0 ? sum / total : 0.0;
}

} // namespace

TPassEstimate EstimatePass(const QList<TPaperScore>& papers, const QList<TChapterTally>& tallies,
                           const QHash<int, int>& chapterWeights) {
    TPassEstimate estimate;
    int scored = 0;
    int asked = 0;
    for (const TPaperScore& paper : papers) {
        if (estimate.PapersUsed == PassRule::RecentPapers)
            break;
        if (paper.Questions <= 0)
            continue;
        scored += std::clamp(paper.Score, 0, paper.Questions);
        asked += paper.Questions;
        ++estimate.PapersUsed;
    }
    for (const TChapterTally& tally : tallies)
        estimate.AnswersUsed += std::max(tally.Answered, 0);
    const bool haveChapters = estimate.AnswersUsed > 0;
    if (estimate.PapersUsed == 0 && estimate.AnswersUsed < PassRule::MinimumAnswers)
        return estimate;
    const double paperRate = asked > 0 ? double(scored) / asked : 0.0;
    const double chapterRate = haveChapters ? ChapterRate(tallies, chapterWeights) : 0.0;
    const int chapterShare = haveChapters ? PassRule::ChapterWeight : 0;
    estimate.QuestionRate = (estimate.PapersUsed * paperRate + chapterShare * chapterRate) /
                            (estimate.PapersUsed + chapterShare);
    estimate.PassChance =
        ChanceOfAtLeast(PassRule::PassScore, PassRule::PaperQuestions, estimate.QuestionRate);
    estimate.Known = true;
    return estimate;
}

double MeanOfLast(const QList<int>& scores, int count) {
    const qsizetype from = std::max<qsizetype>(0, scores.size() - count);
    if (from >= scores.size())
        return 0.0;
    double sum = 0;
    for (qsizetype i = from; i < scores.size(); ++i)
        sum += scores[i];
    return sum / double(scores.size() - from);
}
