#pragma once

#include "app/Page.h"

// The practice page "试题练习", with the main window's path bar across its top.
class SubListPage : public TPage {
    Q_OBJECT
public:
    explicit SubListPage(QWidget* parent = nullptr);

    void PlacePathBar(QWidget* pathBar);
};
