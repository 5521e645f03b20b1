#pragma once

#include "app/Page.h"

// The page "列表" on which the chapter and teaching lists are built at run time.
class ListPage : public TPage {
    Q_OBJECT
public:
    explicit ListPage(QWidget* parent = nullptr)
        : TPage("tsList", QStringLiteral("列表"), parent) {}
};
