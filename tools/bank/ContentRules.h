#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The rules that keep a bank from being answered without being learned: answers that give
// themselves away by their length or letter, questions that repeat each other, local rules
// without the date of the text they rest on. Plain functions over the questions' texts.

struct ContentQuestion {
    qlonglong SubId = 0;
    qlonglong Chapter = 0;
    bool Choice = false;
    QString Stem;
    QString Picture; // the question picture, empty when there is none
    QStringList Options;
    QString Answer;     // A–D or 对/错
    QString Source;     // SubMark
    bool Local = false; // in a chapter of one area
};

// Limits a bank must keep (shares of its choice or true/false questions).
constexpr double MaxKeyLongestShare = 0.35;
constexpr double MaxKeyOverTwiceShare = 0.08;
constexpr double MinLetterShare = 0.20, MaxLetterShare = 0.30;
constexpr double MinTrueShare = 0.40, MaxTrueShare = 0.60;

// The key is strictly longer than every other option.
bool KeyIsLongest(const ContentQuestion& q);
// The key is more than twice as long as every other option.
bool KeyOverTwice(const ContentQuestion& q);

struct ContentFigures {
    int Choices = 0, KeyLongest = 0, KeyOverTwice = 0;
    int TrueFalse = 0, True = 0;
    QMap<QString, int> Letters; // choice keys by letter
};
ContentFigures MeasureContent(const QList<ContentQuestion>& questions);

// Questions of one chapter with the same stem (spaces and punctuation aside) and picture:
// groups of SubIDs.
QList<QList<qlonglong>> DuplicateStems(const QList<ContentQuestion>& questions);

// Questions with the same stem and picture under different SubIDs in two chapters that one
// paper draws from (`SharePaper`), not put in one related group (`Groups`: SubID → group):
// a paper could ask the same thing twice. Pairs of SubIDs.
QList<std::pair<qlonglong, qlonglong>>
UngroupedRepeats(const QList<ContentQuestion>& questions,
                 const std::function<bool(qlonglong, qlonglong)>& SharePaper,
                 const QHash<qlonglong, QString>& Groups);

// Pairs of one chapter whose stems share most of their character pairs (and are not exact
// duplicates), or that show the same picture: for a person to judge.
QList<std::pair<qlonglong, qlonglong>> SimilarStems(const QList<ContentQuestion>& questions);
QList<QList<qlonglong>> SamePicture(const QList<ContentQuestion>& questions);

// A source names the date of the text it rests on as YYYY-MM-DD.
bool HasSourceDate(const QString& source);
// A source that names a legal text or notice (条例, 办法, 规定, 通告, a law …), which may
// change, rather than common knowledge of safe driving.
bool NamesPolicy(const QString& source);
