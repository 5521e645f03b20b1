#pragma once

#include "app/Page.h"

class QLabel;

// The home page "首页": the local home picture or, once reachable, the web site's home page
// (the browser wbMainPage, made by the area's TWebPanel).
class MainPage : public TPage {
    Q_OBJECT
public:
    explicit MainPage(QWidget* parent = nullptr);

    QLabel* imgMainPage;
};
