#include "practice/PlanBar.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

TPlanBar::TPlanBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pbPlan"));
}

void TPlanBar::SetTotal(int total) {
    TotalCount = qMax(0, total);
    update();
}

void TPlanBar::SetPosition(int position) {
    Done = qBound(0, position, TotalCount);
    update();
}

void TPlanBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), QColor(255, 255, 255));
    if (TotalCount > 0 && Done > 0) {
        const int filled = int(qint64(width()) * Done / TotalCount);
        QLinearGradient gradient(0, 0, width(), 0);
        gradient.setColorAt(0.0, QColor(192, 220, 255));
        gradient.setColorAt(1.0, QColor(30, 110, 210));
        painter.fillRect(QRect(0, 0, filled, height()), gradient);
    }
    painter.setPen(QColor(160, 190, 225));
    painter.drawRect(frame);
}

void TPlanBar::mousePressEvent(QMouseEvent* event) {
    emit pressedAt(event->position().toPoint().x());
}
