#pragma once

#include "app/Page.h"

// The software description page "Veltrano".
class StudyTogetherPage : public TPage {
    Q_OBJECT
public:
    explicit StudyTogetherPage(QWidget* parent = nullptr)
        : TPage("tsStudyTogether", QStringLiteral("Veltrano"), parent) {}
};
