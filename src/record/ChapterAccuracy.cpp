#include "record/ChapterAccuracy.h"

#include <algorithm>

double AccuracyOf(const TChapterTally& tally) {
    return tally.Answered > 0 ? double(tally.Right) / tally.Answered : 0.0;
}

QString AccuracyText(const TChapterTally& tally) {
    return QString::asprintf("%.2f%%", AccuracyOf(tally) * 100);
}

QList<TChapterTally> WeakestFirst(QList<TChapterTally> tallies) {
    tallies.removeIf([](const TChapterTally& t) { return t.Answered <= 0; });
    std::stable_sort(tallies.begin(), tallies.end(),
                     [](const TChapterTally& a, const TChapterTally& b) {
                         // Compared as cross products: exact, no rounding of the rates.
                         const qint64 left = qint64(a.Right) * b.Answered;
                         const qint64 right = qint64(b.Right) * a.Answered;
                         if (left != right)
                             return left < right;
                         if (a.Answered != b.Answered)
                             return a.Answered > b.Answered;
                         return a.ChapterID < b.ChapterID;
                     });
    return tallies;
}
