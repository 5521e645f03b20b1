#pragma once

#include "app/ItemList.h"
#include "settings/Configure.h"

#include <QList>
#include <QString>

class TQuery;

// The chapters that apply to a car type and an area: the common ones (-1, -1), the car
// type's and the area's, in ChapterID order.
QString ChapterListSQL(int carTypeID, int areaID);
// One list item per chapter row, in row order: caption "mark.name：desc", hint
// "章节练习：" + caption, key ChapterID.
QList<TDirectoryList> ChapterItems(TQuery& chapters);
// True for the hint of a chapter row, false for any other list's rows.
bool IsChapterHint(const QString& hint);
// The extra condition of the practice set of one chapter.
QString ChapterPracticeExtra(int chapterID);
// The chapter's title in the path bar: the hint after its first ".", cut to 35 characters
// and "..." when longer. Characters are whole characters, never halves of one.
QString ChapterPathTitle(const QString& hint);
// The first `length` characters of `text` and "..." when it is longer than that.
QString CutTitle(const QString& text, int length);

// Lists the learner's chapters as rows on `page`, each calling `onClick`. A failing query
// builds nothing and leaves the page as it was; false then.
bool ShowChapterList(TItemListPage& page, const TDriverInfo& driver, TListItemClick onClick);
