#pragma once

#include "app/Page.h"

class QLabel;
class QPushButton;
class QTableWidget;

// 我的收藏: the questions starred on the practice page, practised as a set.
class TFavouritePage : public TPage {
    Q_OBJECT
public:
    explicit TFavouritePage(QWidget* parent = nullptr);

    void Reload();

signals:
    void FavouritesStarted(const QList<int>& subIDs);

private:
    QLabel* lblFavouriteCount;
    QTableWidget* sgFavourites;
    QPushButton* btnPractiseFavourites;
    QList<int> SubIDs;
};
