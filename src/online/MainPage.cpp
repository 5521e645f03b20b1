#include "online/MainPage.h"

#include <QLabel>

MainPage::MainPage(QWidget* parent) : TPage("tsMainPage", QStringLiteral("首页"), parent) {
    imgMainPage = new QLabel(this);
    imgMainPage->setObjectName("imgMainPage");
    imgMainPage->setAlignment(Qt::AlignCenter);
    imgMainPage->setScaledContents(true);
}
