#pragma once

#include "settings/Configure.h"

#include <QHash>
#include <QList>
#include <QString>

class QLabel;
class QTableWidget;
class QWidget;

// What the record's pages read from the question bank, and the controls they share.

// "mark.name" of every chapter of the bank, by ChapterID; empty when the bank cannot say.
QHash<int, QString> ChapterNames();
// A chapter's name for a table: its "mark.name", or "第n章" for a chapter the bank lost.
QString ChapterNameOf(const QHash<int, QString>& names, int chapterID);
// How many questions each of the learner's chapters holds, by ChapterID.
QHash<int, int> ChapterWeights(const TDriverInfo& driver);
// The extra condition of a practice set made of the questions `subIDs`.
QString SubSetExtra(const QList<int>& subIDs);

// A read-only table of whole rows with the given column captions, named `name`.
QTableWidget* MakeRecordTable(QWidget* parent, const char* name, const QStringList& captions);
// Appends one row of texts to a table made by MakeRecordTable.
void AddRecordRow(QTableWidget* table, const QStringList& texts);
// A bold heading line of a record page.
QLabel* MakeRecordHeading(QWidget* parent, const char* name);
