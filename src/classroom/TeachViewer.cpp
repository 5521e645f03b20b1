#include "classroom/TeachViewer.h"

#include "app/Look.h"

#include "classroom/FlashSlot.h"
#include "classroom/TeachRules.h"
#include "data/PictureFiles.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

const QString kMeterCategory = QStringLiteral("仪表图解");

// Painting goes on while slots are built and filled; input waits, so that no click can
// free the slots this loop is working on.
void LetWindowPaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The content file of an item from its category's library; empty when the category names
// no library or the library has no such file.
QString TeachFile(const TDriveTeachInfo& item) {
    const auto library = TeachLibraryOfCategory(item.DriveTeachFirstName);
    return library ? LoadLibraryImage(*library, item.TeachName, item.TeachType) : QString();
}

QString MissingFileNotice(const TDriveTeachInfo& item) {
    return QStringLiteral("找不到教学文件：") + item.TeachName + u'.' + item.TeachType;
}

// A text file: rich text when it is an HTML document, plain text otherwise; UTF-8.
void LoadTextFile(QTextEdit* control, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read");
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(file.readAll());
    if (utf8.hasError())
        throw std::runtime_error("not UTF-8 text");
    if (Qt::mightBeRichText(text))
        control->setHtml(text);
    else
        control->setPlainText(text);
}

// The picture of a slot: centred, scaled down to the slot when larger, proportions kept.
void ShowPicture(QLabel* control, const QString& path) {
    const QImage image = ReadPictureFile(path);
    QPixmap picture = QPixmap::fromImage(image);
    const QSize room = control->parentWidget()->contentsRect().size();
    if (picture.width() > room.width() || picture.height() > room.height())
        picture = picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    control->setPixmap(picture);
}

void ShowAnimation(QLabel* control, const QString& path) {
    auto* movie = new QMovie(path, QByteArray(), control);
    if (!movie->isValid()) {
        delete movie;
        throw std::runtime_error("not an animation");
    }
    if (QMovie* previous = control->movie())
        previous->deleteLater();
    control->setMovie(movie);
    movie->start();
}

} // namespace

TTeachViewer::TTeachViewer(QWidget* parent)
    : TPage(QStringLiteral("tsShowImage"), QStringLiteral("显示图像"), parent),
      btnLastPage(new QPushButton(QStringLiteral("上一页"), this)),
      btnNextPage(new QPushButton(QStringLiteral("下一页"), this)), lblPage(new QLabel(this)),
      lblNoItems(new QLabel(QStringLiteral("此条目暂无教学内容。"), this)) {
    btnLastPage->setObjectName(QStringLiteral("btnLastPage"));
    btnLastPage->setGeometry(246, 536, 120, 40);
    btnNextPage->setObjectName(QStringLiteral("btnNextPage"));
    btnNextPage->setGeometry(446, 536, 120, 40);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    lblPage->setGeometry(366, 550, 80, 14);
    lblPage->setAlignment(Qt::AlignCenter);
    lblPage->setFont(Look::SongPointFont(9, true));
    lblPage->setStyleSheet(QStringLiteral("color: red"));
    lblPage->setText(QStringLiteral("1/1"));
    lblNoItems->setObjectName(QStringLiteral("lblNoItems"));
    lblNoItems->setGeometry(25, 25, 780, 30);
    lblNoItems->hide();
    for (QPushButton* button : {btnLastPage, btnNextPage})
        connect(button, &QPushButton::clicked, this, [this, button] { btnLastPageClick(button); });
}

bool TTeachViewer::LoadTeachItems(quint32 id) {
    {
        TQuery query;
        if (ExecLocalSQL(query, TeachItemsSQL(id), QStringLiteral("open"), false)) {
            QList<TDriveTeachInfo> items;
            for (query.First(); !query.Eof(); query.Next())
                items.append({query.FieldByName(QStringLiteral("DriveTeachFirstName")).toString(),
                              query.FieldByName(QStringLiteral("TeachName")).toString(),
                              query.FieldByName(QStringLiteral("TeachCaption")).toString(),
                              query.FieldByName(QStringLiteral("TeachDesc")).toString(),
                              query.FieldByName(QStringLiteral("TeachType")).toString().toLower()});
            DriveTeachInfoList = items;
        }
    }
    if (DriveTeachInfoList.isEmpty()) {
        const bool slotShown =
            std::any_of(ShowImageItems.cbegin(), ShowImageItems.cend(),
                        [](const TShowImageItem& slot) { return slot.ImagePnl; });
        lblNoItems->setVisible(!slotShown);
        return false;
    }
    lblNoItems->hide();
    if (Activate)
        Activate();
    BuildSlots(id);
    ShowTeachPage(FirstTeachPage(id));
    return true;
}

void TTeachViewer::BuildSlots(quint32 id) {
    ShownID = id;
    const TeachLayout layout = TeachLayoutOf(id);
    FreeShowImageItems();
    ShowImageItems = QList<TShowImageItem>(layout.Slots);
    const bool fullPage = layout.Form == TeachForm::FullPage;
    for (QWidget* control : std::initializer_list<QWidget*>{btnLastPage, btnNextPage, lblPage})
        control->setVisible(!fullPage);
    for (int i = 0; i < layout.Slots; ++i) {
        LetWindowPaint();
        TShowImageItem& slot = ShowImageItems[i];
        slot.ImagePnl = new QFrame(this);
        slot.ImagePnl->setObjectName(QStringLiteral("ImagePnl") + QString::number(i));
        slot.ImagePnl->setStyleSheet(
            QStringLiteral("QFrame#%1 { background: white; border: 2px solid rgb(192, 220, 255); }")
                .arg(slot.ImagePnl->objectName()));
        auto* fill = new QVBoxLayout(slot.ImagePnl);
        fill->setContentsMargins(2, 2, 2, 2);
        if (fullPage) {
            slot.ImagePnl->setGeometry(rect());
        } else {
            slot.ImagePnl->setGeometry(TeachSlotRect(layout, i));
            slot.ImageLbl = new QLabel(this);
            slot.ImageLbl->setObjectName(QStringLiteral("ImageLbl") + QString::number(i));
            slot.ImageLbl->setGeometry(TeachCaptionRect(layout, i));
            slot.ImageLbl->setAlignment(Qt::AlignCenter);
            slot.ImageLbl->setWordWrap(true);
            slot.ImageLbl->setFont(Look::SongPointFont(11));
            slot.ImageLbl->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255)"));
            slot.ImageLbl->show();
        }
        slot.ImagePnl->show();
        const QString type =
            i < DriveTeachInfoList.size() ? DriveTeachInfoList.at(i).TeachType : QString();
        MakeContentControl(slot, i, type);
    }
}

void TTeachViewer::MakeContentControl(TShowImageItem& slot, int index, const QString& type) {
    slot.SlotType = type;
    const QString number = QString::number(index);
    QWidget* control = nullptr;
    switch (TeachSlotControl(type, ShownID)) {
    case SlotControl::None:
        return;
    case SlotControl::Picture:
        slot.ImageImg = new QLabel(slot.ImagePnl);
        slot.ImageImg->setObjectName(QStringLiteral("ImageImg") + number);
        slot.ImageImg->setAlignment(Qt::AlignCenter);
        slot.ImageImg->setWordWrap(true);
        control = slot.ImageImg;
        break;
    case SlotControl::Animation:
        slot.GifImg = new QLabel(slot.ImagePnl);
        slot.GifImg->setObjectName(QStringLiteral("GifImg") + number);
        slot.GifImg->setAlignment(Qt::AlignCenter);
        slot.GifImg->setWordWrap(true);
        control = slot.GifImg;
        break;
    case SlotControl::Flash:
        slot.SwfImg = new TFlashSlot(slot.ImagePnl);
        slot.SwfImg->setObjectName(QStringLiteral("SwfImg") + number);
        control = slot.SwfImg;
        break;
    case SlotControl::RichText:
        slot.TxtImg = new QTextEdit(slot.ImagePnl);
        slot.TxtImg->setObjectName(QStringLiteral("TxtImg") + number);
        slot.TxtImg->setFrameShape(QFrame::NoFrame);
        slot.TxtImg->document()->setDocumentMargin(20);
        slot.TxtImg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        slot.TxtImg->setReadOnly(true);
        slot.TxtImg->setStyleSheet(QStringLiteral("background: white"));
        control = slot.TxtImg;
        break;
    }
    slot.ImagePnl->layout()->addWidget(control);
    control->show();
    if (slot.SwfImg)
        slot.SwfImg->setFocus();
}

void TTeachViewer::DropContentControl(TShowImageItem& slot) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{slot.ImageImg, slot.GifImg, slot.SwfImg, slot.TxtImg})
        delete control;
    slot.ImageImg = nullptr;
    slot.GifImg = nullptr;
    slot.SwfImg = nullptr;
    slot.TxtImg = nullptr;
}

void TTeachViewer::FreeShowImageItems() {
    for (TShowImageItem& slot : ShowImageItems) {
        delete slot.ImageLbl;
        delete slot.ImagePnl; // takes its content control with it
        slot = TShowImageItem();
    }
}

void TTeachViewer::ShowTeachPage(int page) {
    if (DriveTeachInfoList.isEmpty())
        return;
    int perPage = 0;
    for (const TShowImageItem& slot : ShowImageItems)
        perPage += slot.ImagePnl ? 1 : 0;
    if (perPage == 0)
        return;
    const int count = TeachPageCount(DriveTeachInfoList.size(), perPage);
    page = qBound(1, page, count);
    const PageButtons buttons = TeachPageButtons(page, count);
    btnLastPage->setEnabled(buttons.LastEnabled);
    btnNextPage->setEnabled(buttons.NextEnabled);
    for (int i = 0; i < perPage; ++i) {
        LetWindowPaint();
        if (i >= ShowImageItems.size() || !ShowImageItems[i].ImagePnl)
            return; // freed while the window painted
        const int c = (page - 1) * perPage + i;
        if (c >= DriveTeachInfoList.size())
            BlankSlot(ShowImageItems[i]);
        else
            FillSlot(ShowImageItems[i], i, DriveTeachInfoList.at(c));
    }
    lblPage->setText(TeachPageText(page, count));
}

void TTeachViewer::BlankSlot(TShowImageItem& slot) {
    if (slot.ImageLbl)
        slot.ImageLbl->clear();
    for (QWidget* control :
         std::initializer_list<QWidget*>{slot.ImageImg, slot.GifImg, slot.SwfImg, slot.TxtImg})
        if (control)
            control->setToolTip(QString());
    if (slot.ImageImg)
        slot.ImageImg->clear();
    if (slot.GifImg) {
        if (QMovie* movie = slot.GifImg->movie())
            movie->deleteLater();
        slot.GifImg->clear();
    }
    if (slot.SwfImg)
        slot.SwfImg->Clear();
    if (slot.TxtImg)
        slot.TxtImg->clear();
}

void TTeachViewer::FillSlot(TShowImageItem& slot, int index, const TDriveTeachInfo& item) {
    // A lesson of the sequence may be a film or an animated picture: its slot takes the
    // control of the lesson shown, not of the first one.
    if (IsLessonSequence(ShownID) && slot.SlotType != item.TeachType) {
        DropContentControl(slot);
        MakeContentControl(slot, index, item.TeachType);
    }
    BlankSlot(slot);
    if (slot.ImageLbl)
        slot.ImageLbl->setText(item.TeachCaption);
    const QString path = item.DriveTeachFirstName == kMeterCategory ? QString() : TeachFile(item);
    try {
        ShowFile(slot, item, path);
    } catch (const std::exception&) {
        ShowSlotNotice(slot, QStringLiteral("无法显示教学文件：") + item.TeachName + u'.' +
                                 item.TeachType);
    }
}

void TTeachViewer::ShowFile(TShowImageItem& slot, const TDriveTeachInfo& item,
                            const QString& path) {
    const SlotShow show = TeachSlotShow(slot.SlotType, item.DriveTeachFirstName);
    QWidget* control = nullptr;
    if (show == SlotShow::Composition && slot.TxtImg) {
        ComposeMeters(slot.TxtImg);
        return;
    }
    if (show != SlotShow::Nothing && path.isEmpty()) {
        ShowSlotNotice(slot, MissingFileNotice(item));
        return;
    }
    switch (show) {
    case SlotShow::Picture:
        if ((control = slot.ImageImg))
            ShowPicture(slot.ImageImg, path);
        break;
    case SlotShow::Animation:
        if ((control = slot.GifImg))
            ShowAnimation(slot.GifImg, path);
        break;
    case SlotShow::Flash:
        if ((control = slot.SwfImg)) {
            slot.SwfImg->SetMovie(path);
            slot.SwfImg->Play();
        }
        break;
    case SlotShow::InsertedPicture:
        if ((control = slot.TxtImg))
            InsertPicture(slot.TxtImg, path);
        break;
    case SlotShow::Text:
        if ((control = slot.TxtImg))
            LoadTextFile(slot.TxtImg, path);
        break;
    case SlotShow::Composition:
    case SlotShow::Nothing:
        break;
    }
    if (control)
        control->setToolTip(item.TeachDesc);
}

void TTeachViewer::ComposeMeters(QTextEdit* control) {
    control->clear();
    qsizetype length = 0; // line breaks counted twice
    for (int j = 0; j < DriveTeachInfoList.size(); ++j) {
        const TDriveTeachInfo& item = DriveTeachInfoList.at(j);
        QTextCursor end(control->document());
        end.movePosition(QTextCursor::End);
        if (j > 0)
            end.insertBlock();
        end.insertText(item.TeachDesc);
        QTextCursor caret(control->document());
        caret.setPosition(int(CompositionCaret(length, j)));
        control->setTextCursor(caret);
        length += item.TeachDesc.size() + 2;
        const QString picture =
            LoadLibraryImage(TeachLibrary::MeterSchema, item.TeachName, item.TeachType);
        try {
            if (!picture.isEmpty())
                InsertPicture(control, picture);
        } catch (const std::exception&) {
            // The line keeps its description; the lamp's picture is left out.
        }
        length += picture.isEmpty() ? 0 : 1;
    }
    control->moveCursor(QTextCursor::Start);
}

void TTeachViewer::ShowSlotNotice(TShowImageItem& slot, const QString& text) {
    if (slot.ImageImg)
        slot.ImageImg->setText(text);
    else if (slot.GifImg)
        slot.GifImg->setText(text);
    else if (slot.SwfImg)
        slot.SwfImg->ShowNotice(text);
    else if (slot.TxtImg)
        slot.TxtImg->setPlainText(text);
}

void TTeachViewer::btnLastPageClick(QAbstractButton* sender) {
    const int target = TeachPageTarget(sender->text(), lblPage->text());
    if (target > 0)
        ShowTeachPage(target);
}
