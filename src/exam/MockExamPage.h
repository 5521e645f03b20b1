#pragma once

#include "app/Page.h"

class QLabel;
struct TDriverInfo;

// The car type line of the exam page: "准驾车型：" + the car type's name + its licence group.
QString MockExamCarTypeText(const TDriverInfo& driver);

// The mock exam page "模拟考试": the exam's rules and the learner's car type.
class MockExamPage : public TPage {
    Q_OBJECT
public:
    explicit MockExamPage(QWidget* parent = nullptr);

    QLabel* lblMockExamCarType;
};
