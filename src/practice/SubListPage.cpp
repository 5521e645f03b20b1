#include "practice/SubListPage.h"

SubListPage::SubListPage(QWidget* parent)
    : TPage("tsSubList", QStringLiteral("试题练习"), parent) {}

void SubListPage::PlacePathBar(QWidget* pathBar) {
    pathBar->setParent(this);
    pathBar->setGeometry(1, 1, 832, 30);
}
