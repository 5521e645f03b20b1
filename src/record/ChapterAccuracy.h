#pragma once

#include <QList>
#include <QString>

// Answers of one chapter in the learner record.
struct TChapterTally {
    int ChapterID = 0;
    int Answered = 0;
    int Right = 0;
};

// Right ÷ answered, 0 for a chapter without answers.
double AccuracyOf(const TChapterTally& tally);
// "62.50%".
QString AccuracyText(const TChapterTally& tally);
// Chapters with answers, weakest first: lower accuracy first; at equal accuracy the chapter
// with more answers (the surer weakness) first, then by ChapterID.
QList<TChapterTally> WeakestFirst(QList<TChapterTally> tallies);
