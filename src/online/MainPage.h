#pragma once

#include "app/Page.h"

class QLabel;

// The home page "首页": the local home picture (and, once reachable, the web site's page).
class MainPage : public TPage {
    Q_OBJECT
public:
    explicit MainPage(QWidget* parent = nullptr);

    QLabel* imgMainPage;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
