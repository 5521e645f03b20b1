#pragma once

#include "app/Page.h"
#include "practice/TSub.h"

class QFontMetrics;
class QLabel;
class QPushButton;
struct TDriverInfo;

// The car type line of the exam page: "准驾车型：" + the car type's name + its licence group.
QString MockExamCarTypeText(const TDriverInfo& driver);

// The rows of the proportion table: the header, then the ten chapters with their shares for
// the three car-type groups, aligned in columns by spaces for a label font of `metrics`.
QStringList MockExamProportionRows(const QFontMetrics& metrics);

// Draws a paper for the learner's car type and area into `paper` (entry 0 empty, questions
// 1 … N, form 2 first): one row per question however many chapters file it, at most the 100
// cells of the answer sheet. False, with `paper` untouched and a message owned by `owner`,
// when the bank gives no question.
bool ComposeMockExamPaper(const TDriverInfo& driver, TSubList& paper, QWidget* owner);

// The mock exam page "模拟考试": the exam's rules, the learner's car type, the share of each
// chapter and the button that starts the exam.
class MockExamPage : public TPage {
    Q_OBJECT
public:
    explicit MockExamPage(QWidget* parent = nullptr);

    QLabel* lblMockExamCarType;
    QPushButton* btnStartMockExam;
};
