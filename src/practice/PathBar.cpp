#include "practice/PathBar.h"

#include "app/Look.h"

#include <QHBoxLayout>
#include <QLabel>

PathBar::PathBar(QWidget* parent) : QWidget(parent), Line(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(Line);
    Look::Paint(this, Look::FrameColour);
}

void PathBar::SetItems(const QStringList& items) {
    ItemList = items;
    Line->setText(Text());
}

QString PathBar::Text() const {
    return ItemList.join(QStringLiteral(">"));
}
