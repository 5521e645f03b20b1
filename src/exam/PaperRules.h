#pragma once

#include <QList>
#include <QMultiHash>
#include <QString>

class TQuery;

// How a mock-exam paper is drawn from the bank. Widget-free: the bank check calls the same
// functions, so what it proves is what the program draws.

// One chapter of a paper and the number of questions it contributes.
struct TChapterCount {
    int ChapterID = 0;
    int Count = 0;
};

// The count query: per chapter that applies to car type `carTypeID` and area `areaID`
// (or to every paper), its count column for the car type, in chapter order.
QString PaperCountSQL(int carTypeID, int areaID);

// The entries of a paper from the rows of the count query, in their order. An empty count
// reads as 0; in area 1 chapter 1 contributes five questions more.
QList<TChapterCount> ChapterCounts(const TQuery& counts, int areaID);

// The questions a count draws from a chapter's form-1 (three fifths) and form-2 (two fifths)
// questions, remainders dropped. A negative count (a damaged bank) draws nothing.
int FormOneDraw(int count);
int FormTwoDraw(int count);

// The paper statement (Jet dialect): the candidates of every entry and form, one row per
// SubID and chapter (the smallest ID), ordered form 2 first and randomly within a form.
// PickPaper then takes the paper from them.
QString PaperSQL(const QList<TChapterCount>& entries);

// Questions of which a paper holds one at most, by SubID: the groups each stands in.
using TRelatedGroups = QMultiHash<qlonglong, QString>;
QString RelatedGroupsSQL();
TRelatedGroups RelatedGroups(const TQuery& rows);

// Keeps of the candidates, in their order, per entry and form the first questions up to
// its draw, passing over a question already in the paper (one filed in two of its
// chapters) and one whose related group already has a question in the paper.
void PickPaper(TQuery& candidates, const QList<TChapterCount>& entries,
               const TRelatedGroups& groups);
