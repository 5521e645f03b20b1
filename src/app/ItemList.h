#pragma once

#include "app/Page.h"

#include <QList>
#include <QRect>
#include <QString>
#include <functional>

class QLabel;
class QScrollArea;

// One item of a run-time list. A builder receives the caption, hint and key; the page keeps
// one entry per shown item in which only the three controls are set.
struct TDirectoryList {
    QWidget* ItemPanel = nullptr;
    QLabel* ItemImage = nullptr;
    QLabel* ItemLabel = nullptr;
    QString ItemCaption;
    QString ItemHint;
    int ItemID = 0;
};

// ---- Geometry of the two list styles, in pixels on the page ----

// Rows are 45 pixels high for fewer than 14 items, 40 from 14 on.
int ListRowHeight(int itemCount);
QRect ListRowGeometry(int index, int itemCount);
// Tile i stands in column i mod 4, row i div 4, its caption 10 pixels below it.
QRect ListTileGeometry(int index);
QRect ListTileCaptionGeometry(int index);
// The height the page needs to show every item down to the lower edge of the last one; the
// page scrolls when this passes its lower edge.
int ListContentHeight(int itemCount, bool tiles);
// The index in a control name such as "ListPnl12" (a seven-character prefix and a decimal
// number); -1 when the name carries none.
int ListItemIndex(const QString& controlName);

// A click on an item: the clicked control's tag (the item's key) and hint.
using TListItemClick = std::function<void(int tag, const QString& hint)>;
// The picture file a tile shows; an empty path leaves the tile without a picture.
using TTilePicture = std::function<QString(const TDirectoryList& item)>;

// The page tsList: one list of items at a time, as full-width rows with a changing
// background picture or as four columns of picture tiles with a caption under each. The
// page scrolls when the items pass its lower edge.
class TItemListPage : public TPage {
    Q_OBJECT
public:
    explicit TItemListPage(QWidget* parent = nullptr);

    void BuildRowList(const QList<TDirectoryList>& items, TListItemClick onClick);
    void BuildTileList(const QList<TDirectoryList>& items, TTilePicture picture,
                       TListItemClick onClick);
    // Destroys the controls of every shown item.
    void FreeListItems();
    const QList<TDirectoryList>& ListItems() const { return Items; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartList(int itemCount, bool tiles, TListItemClick onClick);
    QLabel* MakeCaption(QWidget* parent, const TDirectoryList& item, int index);
    bool RowEvent(QObject* watched, QEvent* event, const TDirectoryList& entry);
    bool TileEvent(QObject* watched, QEvent* event, const TDirectoryList& entry);
    void Click(QObject* control);

    QScrollArea* Scroller;
    QWidget* Content;
    QList<TDirectoryList> Items;
    bool Tiles = false;
    TListItemClick OnClick;
};
