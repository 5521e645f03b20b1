#include "app/ItemList.h"

#include "app/Look.h"

#include "data/uProc.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QColor kTileBorder(Qt::white);
const QColor kTileFocus(244, 240, 179);
const QColor kTilePress(253, 175, 109);
const QColor kCaptionColour(0, 0, 255);
constexpr int kTileBorderWidth = 6;
constexpr int kColumns = 4;
constexpr int kPrefixLength = 7;

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, colour);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

// Name, tag and hint of one control of item `index`.
void Mark(QWidget* control, const char* prefix, int index, const TDirectoryList& item,
          bool tagged) {
    control->setObjectName(QString::fromLatin1(prefix) + QString::number(index));
    control->setProperty("hint", item.ItemHint);
    if (tagged)
        control->setProperty("tag", item.ItemID);
}

// A destroyed control leaves the page at once; the object itself goes once the event that
// led here is handled, since a click on the list may be what rebuilds it.
template <typename T> void Destroy(T*& control) {
    if (!control)
        return;
    control->hide();
    control->setParent(nullptr);
    control->deleteLater();
    control = nullptr;
}

bool IsLeftRelease(QEvent* event, QObject* watched) {
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* control = static_cast<QWidget*>(watched);
    return mouse->button() == Qt::LeftButton &&
           control->rect().contains(mouse->position().toPoint());
}

} // namespace

int ListRowHeight(int itemCount) {
    return itemCount < 14 ? 45 : 40;
}

QRect ListRowGeometry(int index, int itemCount) {
    const int height = ListRowHeight(itemCount);
    return {0, 10 + index * height, 825, height};
}

QRect ListTileGeometry(int index) {
    return {40 + 200 * (index % kColumns), 30 + 170 * (index / kColumns), 150, 115};
}

QRect ListTileCaptionGeometry(int index) {
    return {ListTileGeometry(index).left(), 155 + 170 * (index / kColumns), 150, 35};
}

int ListContentHeight(int itemCount, bool tiles) {
    if (itemCount <= 0)
        return 0;
    const int last = itemCount - 1;
    const QRect lowest = tiles ? ListTileCaptionGeometry(last) : ListRowGeometry(last, itemCount);
    return lowest.top() + lowest.height();
}

int ListItemIndex(const QString& controlName) {
    bool ok = false;
    const int index = controlName.mid(kPrefixLength).toInt(&ok, 10);
    return ok && index >= 0 && controlName.size() > kPrefixLength ? index : -1;
}

TItemListPage::TItemListPage(QWidget* parent)
    : TPage(QStringLiteral("tsList"), QStringLiteral("列表"), parent),
      Scroller(new QScrollArea(this)), Content(new QWidget) {
    Content->setObjectName("ListContent");
    SetBackground(Content, Qt::white);
    Scroller->setObjectName("ListScroller");
    Scroller->setFrameShape(QFrame::NoFrame);
    Scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Scroller->setWidget(Content);
    SetBackground(Scroller->viewport(), Qt::white);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Scroller);
}

void TItemListPage::StartList(int itemCount, bool tiles, TListItemClick onClick) {
    FreeListItems();
    Items = QList<TDirectoryList>(itemCount);
    Tiles = tiles;
    OnClick = std::move(onClick);
    Content->resize(ListRowGeometry(0, 1).width(), ListContentHeight(itemCount, tiles));
    Scroller->verticalScrollBar()->setValue(0);
}

QLabel* TItemListPage::MakeCaption(QWidget* parent, const TDirectoryList& item, int index) {
    auto* label = new QLabel(item.ItemCaption, parent);
    label->setFont(Look::SongPointFont(11));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, kCaptionColour);
    label->setPalette(colours);
    Mark(label, "ListLbl", index, item, !Tiles);
    return label;
}

void TItemListPage::BuildRowList(const QList<TDirectoryList>& items, TListItemClick onClick) {
    StartList(items.size(), false, std::move(onClick));
    for (int i = 0; i < items.size(); ++i) {
        const TDirectoryList& item = items[i];
        TDirectoryList& entry = Items[i];
        entry.ItemPanel = new QWidget(Content);
        entry.ItemPanel->setGeometry(ListRowGeometry(i, items.size()));
        SetBackground(entry.ItemPanel, Qt::white);
        Mark(entry.ItemPanel, "ListPnl", i, item, true);

        entry.ItemImage = new QLabel(entry.ItemPanel);
        entry.ItemImage->setGeometry(entry.ItemPanel->rect());
        entry.ItemImage->setAlignment(Qt::AlignCenter);
        entry.ItemImage->setScaledContents(true);
        LoadResImage(entry.ItemImage, QStringLiteral("ListNormal"));
        Mark(entry.ItemImage, "ListImg", i, item, true);

        entry.ItemLabel = MakeCaption(entry.ItemPanel, item, i);
        entry.ItemLabel->move(90, 14);
        entry.ItemLabel->adjustSize();

        for (QWidget* control : {entry.ItemPanel, static_cast<QWidget*>(entry.ItemImage),
                                 static_cast<QWidget*>(entry.ItemLabel)}) {
            control->installEventFilter(this);
            control->show();
        }
    }
}

void TItemListPage::BuildTileList(const QList<TDirectoryList>& items, TTilePicture picture,
                                  TListItemClick onClick) {
    StartList(items.size(), true, std::move(onClick));
    for (int i = 0; i < items.size(); ++i) {
        const TDirectoryList& item = items[i];
        TDirectoryList& entry = Items[i];
        entry.ItemPanel = new QWidget(Content);
        entry.ItemPanel->setGeometry(ListTileGeometry(i));
        SetBackground(entry.ItemPanel, kTileBorder);
        Mark(entry.ItemPanel, "ListPnl", i, item, false);

        entry.ItemImage = new QLabel(entry.ItemPanel);
        entry.ItemImage->setGeometry(entry.ItemPanel->rect().adjusted(
            kTileBorderWidth, kTileBorderWidth, -kTileBorderWidth, -kTileBorderWidth));
        entry.ItemImage->setAlignment(Qt::AlignCenter);
        entry.ItemImage->setScaledContents(true);
        entry.ItemImage->setCursor(Qt::PointingHandCursor);
        if (picture)
            LoadPictureFile(entry.ItemImage, picture(item));
        Mark(entry.ItemImage, "ListImg", i, item, true);

        entry.ItemLabel = MakeCaption(Content, item, i);
        entry.ItemLabel->setGeometry(ListTileCaptionGeometry(i));
        entry.ItemLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        entry.ItemLabel->setWordWrap(true);

        entry.ItemPanel->installEventFilter(this);
        entry.ItemImage->installEventFilter(this);
        entry.ItemPanel->show();
        entry.ItemImage->show();
        entry.ItemLabel->show();
    }
}

void TItemListPage::FreeListItems() {
    for (TDirectoryList& entry : Items) {
        Destroy(entry.ItemLabel);
        Destroy(entry.ItemImage);
        Destroy(entry.ItemPanel);
    }
}

bool TItemListPage::eventFilter(QObject* watched, QEvent* event) {
    const int index = ListItemIndex(watched->objectName());
    // An item being destroyed (its picture already gone) takes no more events: hiding its
    // panel under the pointer sends one.
    if (index < 0 || index >= Items.size() || !Items[index].ItemPanel || !Items[index].ItemImage)
        return TPage::eventFilter(watched, event);
    const TDirectoryList& entry = Items[index];
    const bool used = Tiles ? TileEvent(watched, event, entry) : RowEvent(watched, event, entry);
    return used || TPage::eventFilter(watched, event);
}

bool TItemListPage::RowEvent(QObject* watched, QEvent* event, const TDirectoryList& entry) {
    QLabel* picture = entry.ItemImage;
    if (watched == entry.ItemPanel) {
        if (event->type() == QEvent::Enter)
            LoadResImage(picture, QStringLiteral("ListFocus"));
        else if (event->type() == QEvent::Leave)
            LoadResImage(picture, QStringLiteral("ListNormal"));
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        LoadResImage(picture, QStringLiteral("ListPress"));
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        LoadResImage(picture, QStringLiteral("ListFocus"));
        if (IsLeftRelease(event, watched))
            Click(watched);
        return true;
    }
    return false;
}

bool TItemListPage::TileEvent(QObject* watched, QEvent* event, const TDirectoryList& entry) {
    QWidget* panel = entry.ItemPanel;
    if (watched == panel) {
        if (event->type() == QEvent::Enter)
            SetBackground(panel, kTileFocus);
        else if (event->type() == QEvent::Leave)
            SetBackground(panel, kTileBorder);
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        SetBackground(panel, kTilePress);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        SetBackground(panel, kTileFocus);
        if (IsLeftRelease(event, watched))
            Click(watched);
        return true;
    }
    return false;
}

void TItemListPage::Click(QObject* control) {
    // The handler may rebuild the list, so it gets copies and runs last.
    const int tag = control->property("tag").toInt();
    const QString hint = control->property("hint").toString();
    const TListItemClick handler = OnClick;
    if (handler)
        handler(tag, hint);
}
