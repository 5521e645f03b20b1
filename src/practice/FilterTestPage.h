#pragma once

#include "app/Page.h"

// The special practice page "专项练习".
class FilterTestPage : public TPage {
    Q_OBJECT
public:
    explicit FilterTestPage(QWidget* parent = nullptr)
        : TPage("tsFilterTest", QStringLiteral("专项练习"), parent) {}
};
