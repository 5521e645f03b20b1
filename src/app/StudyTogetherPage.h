#pragma once

#include "app/Page.h"

class QLabel;
class QPlainTextEdit;

// The description of the program, "软件说明" (page tsStudyTogether): fixed, read-only text.
class TStudyTogetherPage : public TPage {
    Q_OBJECT
public:
    explicit TStudyTogetherPage(QWidget* parent = nullptr);

private:
    QLabel* lblTitle;
    QPlainTextEdit* reDescription;
};

// The full description text shown on the page.
QString StudyTogetherText();
