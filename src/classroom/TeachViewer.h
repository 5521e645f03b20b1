#pragma once

#include "app/Page.h"

#include <QList>
#include <QString>
#include <functional>

class QAbstractButton;
class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class TFlashSlot;

// One teaching item, as read from the item query.
struct TDriveTeachInfo {
    QString DriveTeachFirstName;
    QString TeachName;
    QString TeachCaption;
    QString TeachDesc;
    QString TeachType; // lower-cased
};

// The controls of one slot of the viewer; each may be absent.
struct TShowImageItem {
    QFrame* ImagePnl = nullptr;
    QLabel* ImageImg = nullptr;
    QLabel* ImageLbl = nullptr;
    QLabel* GifImg = nullptr;
    TFlashSlot* SwfImg = nullptr;
    QTextEdit* TxtImg = nullptr;
    QString SlotType; // the type that chose the content control
};

// The page tsShowImage: the teaching items of one classroom entry in a grid of twelve
// slots, one large slot with a caption, or one slot filling the page, with paging buttons.
class TTeachViewer : public TPage {
    Q_OBJECT
public:
    explicit TTeachViewer(QWidget* parent = nullptr);

    // Called when the viewer makes itself the shown page.
    std::function<void()> Activate;

    // Loads and shows the items of an entry; false, with everything as it was, when the
    // entry has none.
    bool LoadTeachItems(quint32 id);
    // Fills the slots with page `page` (from 1) and sets the paging controls.
    void ShowTeachPage(int page);
    void btnLastPageClick(QAbstractButton* sender);
    // Destroys the controls of every slot; the slot list keeps its length.
    void FreeShowImageItems();

    QList<TDriveTeachInfo> DriveTeachInfoList;
    QList<TShowImageItem> ShowImageItems;

private:
    void BuildSlots(quint32 id);
    void MakeContentControl(TShowImageItem& slot, int index, const QString& type);
    void DropContentControl(TShowImageItem& slot);
    void BlankSlot(TShowImageItem& slot);
    void FillSlot(TShowImageItem& slot, int index, const TDriveTeachInfo& item);
    void ShowFile(TShowImageItem& slot, const TDriveTeachInfo& item, const QString& path);
    void ComposeMeters(QTextEdit* control);
    void ShowSlotNotice(TShowImageItem& slot, const QString& text);

    quint32 ShownID = 0;
    QPushButton* btnLastPage;
    QPushButton* btnNextPage;
    QLabel* lblPage;
    // Shown when an entry without items was asked for and no slot is on the page.
    QLabel* lblNoItems;
};
