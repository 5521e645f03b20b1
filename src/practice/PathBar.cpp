#include "practice/PathBar.h"

#include "app/Look.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace {
const QString kSeparator = QStringLiteral(">");
}

PathBar::PathBar(QWidget* parent) : QWidget(parent), Row(new QHBoxLayout(this)) {
    Row->setContentsMargins(8, 0, 8, 0);
    Row->setSpacing(0);
    Row->addStretch();
    Look::Paint(this, Look::FrameColour);
}

void PathBar::SetItems(const QStringList& items) {
    qDeleteAll(Captions);
    qDeleteAll(Separators);
    Captions.clear();
    Separators.clear();
    ItemList = items;
    Actions = QList<std::function<void()>>(items.size());
    for (int i = 0; i < items.size(); ++i) {
        if (i > 0) {
            auto* separator = new QLabel(kSeparator, this);
            Separators.append(separator);
            Row->insertWidget(Row->count() - 1, separator);
        }
        auto* caption = new QLabel(items[i], this);
        caption->setObjectName(QStringLiteral("PathItem") + QString::number(i));
        caption->installEventFilter(this);
        Captions.append(caption);
        Row->insertWidget(Row->count() - 1, caption);
    }
}

void PathBar::SetItemAction(int index, std::function<void()> action) {
    if (index < 0 || index >= Captions.size())
        return;
    Captions[index]->setCursor(action ? Qt::PointingHandCursor : Qt::ArrowCursor);
    Actions[index] = std::move(action);
}

QString PathBar::Text() const {
    return ItemList.join(kSeparator);
}

bool PathBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const int index = Captions.indexOf(static_cast<QLabel*>(watched));
        // A copy: the action may give the bar new items.
        const std::function<void()> action = index >= 0 ? Actions[index] : nullptr;
        if (action) {
            action();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
