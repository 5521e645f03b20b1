#pragma once

#include "practice/PracticeRules.h"

#include <QTableWidget>
#include <functional>

// The question grid: 15 numbered cells a row, one per question of the set, coloured by
// the state of each answer; the current cell is the question on screen. Cells are chosen
// only by the program (ShowQuestion) and by left clicks on numbered cells, which are
// reported as questionClicked; keys never move the current cell.
class TSubListGrid : public QTableWidget {
    Q_OBJECT
public:
    using TStateSource = std::function<TAnswerState(int question)>;

    TSubListGrid(TStateSource stateOf, QWidget* parent = nullptr);

    // Numbers the cells for a set of `questionCount` questions (at least one row stays).
    void Number(int questionCount);
    int QuestionTotal() const { return Total; }
    void SetColumnWidths(int width);
    void ShowQuestion(int question);
    TAnswerState StateOf(int question) const { return StateSource(question); }

signals:
    void questionClicked(int question);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    TStateSource StateSource;
    int Total = 0;
};
