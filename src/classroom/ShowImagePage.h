#pragma once

#include "app/Page.h"

// The teaching content page "显示图像".
class ShowImagePage : public TPage {
    Q_OBJECT
public:
    explicit ShowImagePage(QWidget* parent = nullptr)
        : TPage("tsShowImage", QStringLiteral("显示图像"), parent) {}
};
