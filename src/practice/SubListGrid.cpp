#include "practice/SubListGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

class TSubCellDelegate : public QStyledItemDelegate {
public:
    explicit TSubCellDelegate(TSubListGrid* grid) : QStyledItemDelegate(grid), Grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString text = index.data().toString().trimmed();
        if (text.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const bool current = index == Grid->currentIndex();
        const TCellColors colors = CellColors(current, Grid->StateOf(text.toInt()));
        painter->fillRect(option.rect, colors.Background);
        painter->setPen(colors.Text);
        painter->setFont(option.font);
        painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, text);
    }

private:
    TSubListGrid* Grid;
};

} // namespace

TSubListGrid::TSubListGrid(TStateSource stateOf, QWidget* parent)
    : QTableWidget(1, GridColumns, parent), StateSource(std::move(stateOf)) {
    setObjectName(QStringLiteral("sgSubList"));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(25);
    verticalHeader()->setMinimumSectionSize(25);
    setShowGrid(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(NoSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabKeyNavigation(false);
    setItemDelegate(new TSubCellDelegate(this));
    SetColumnWidths(54);
}

void TSubListGrid::Number(int questionCount) {
    Total = questionCount;
    clearContents();
    setRowCount(qMax(1, GridRowCount(questionCount)));
    for (int question = 1; question <= questionCount; ++question) {
        auto* item = new QTableWidgetItem(QString::number(question));
        item->setFlags(Qt::ItemIsEnabled);
        setItem(GridRowOf(question), GridColumnOf(question), item);
    }
}

void TSubListGrid::SetColumnWidths(int width) {
    for (int column = 0; column < GridColumns; ++column)
        setColumnWidth(column, width);
}

void TSubListGrid::ShowQuestion(int question) {
    setCurrentCell(GridRowOf(question), GridColumnOf(question));
    viewport()->update();
}

void TSubListGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (!cell.isValid())
        return;
    const int question = QuestionAtCell(cell.row(), cell.column());
    if (question <= Total)
        emit questionClicked(question);
}

void TSubListGrid::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void TSubListGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

QModelIndex TSubListGrid::moveCursor(CursorAction, Qt::KeyboardModifiers) {
    return currentIndex();
}
