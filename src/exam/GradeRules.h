#pragma once

#include <QString>
#include <QStringList>

// Widget-free rules of the grade page: pages of 17 rows, page buttons, cell texts.

constexpr int GradePageRows = 17;

// Pages for `rows` rows: the count divided by 17, rounded up.
int GradePageCount(int rows);
// Rows (1-based, inclusive) that page `page` shows; first > last for an empty page.
int GradePageFirstRow(int page);
int GradePageLastRow(int page, int rows);
// The items of the page list: "1/P" … "P/P".
QStringList GradePageItems(int pages);
// The page an item of the page list names (the number before "/"); 0 when none.
int GradePageOfItem(const QString& item);

// Which of first/previous and next/last are enabled on page `page` of `pages`.
struct TPageButtons {
    bool FirstAndLast = false; // tbFirst, tbLast (first and previous page)
    bool NextAndEnd = false;   // tbNext, tbEnd (next and last page)
};
TPageButtons GradePageButtons(int page, int pages);

// "30分5秒" for 1805 seconds.
QString UseTimeText(int seconds);
// An upload time as the grid shows it ("2026-12-09 13:05:00", local time); texts that are
// no date are shown as they came.
QString ReferDateText(const QString& stored);
// "共" n "条记录，每页17条记录".
QString RecordCountText(int rows);
