#pragma once

#include "app/Page.h"

class PathBar;

// The practice page "试题练习": the path bar above the question on screen.
class SubListPage : public TPage {
    Q_OBJECT
public:
    explicit SubListPage(QWidget* parent = nullptr);

    PathBar* pbMainPath;
};
