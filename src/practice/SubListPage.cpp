#include "practice/SubListPage.h"

#include "practice/PathBar.h"

SubListPage::SubListPage(QWidget* parent)
    : TPage("tsSubList", QStringLiteral("试题练习"), parent), pbMainPath(new PathBar(this)) {
    pbMainPath->setObjectName("pbMainPath");
    pbMainPath->setGeometry(1, 1, 832, 30);
}
