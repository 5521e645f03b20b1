#pragma once

#include "app/Page.h"

// The grade query page "成绩查询".
class GradeQueryPage : public TPage {
    Q_OBJECT
public:
    explicit GradeQueryPage(QWidget* parent = nullptr)
        : TPage("tsGradeQuery", QStringLiteral("成绩查询"), parent) {}
};
