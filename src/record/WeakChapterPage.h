#pragma once

#include "app/Page.h"

class QLabel;
class QTableWidget;

// 薄弱章节: the accuracy of every chapter the learner has answered, weakest first, with
// counts. One click on a row practises that chapter.
class TWeakChapterPage : public TPage {
    Q_OBJECT
public:
    explicit TWeakChapterPage(QWidget* parent = nullptr);

    // Reads the record and the chapter names again.
    void Reload();

signals:
    // `title` is the chapter's "mark.name".
    void ChapterChosen(int chapterID, const QString& title);

private:
    QLabel* lblWeakTitle;
    QTableWidget* sgWeakChapters;
};
