#include "exam/MockExamPage.h"

#include "settings/Configure.h"

#include <QLabel>

QString MockExamCarTypeText(const TDriverInfo& driver) {
    QString group;
    switch (driver.SubCarTypeID) {
    case 1:
        group = QStringLiteral("(C1/C2/C3/C4/C5)");
        break;
    case 2:
        group = QStringLiteral("(B2/A2)");
        break;
    default:
        group = QStringLiteral("(A1/A3/B1)");
    }
    return QStringLiteral("准驾车型：") + driver.SubCarTypeName + group;
}

MockExamPage::MockExamPage(QWidget* parent)
    : TPage("tsMockExam", QStringLiteral("模拟考试"), parent) {
    lblMockExamCarType = new QLabel(QStringLiteral("准驾车型："), this);
    lblMockExamCarType->setObjectName("lblMockExamCarType");
    lblMockExamCarType->move(32, 54);
}
