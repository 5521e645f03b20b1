#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>

// Widget-free rules of the driving classroom: catalogue and item statements, the slot
// layout by identifier, the content control of a slot, paging and the caret of the
// instrument-diagram composition.

// The catalogue entries of a category, in DriveTeachID order; the category is quoted as an
// SQL text literal.
QString TeachListSQL(const QString& category);
// "交通法规" and "评判标准" list texts as numbered rows; the other categories list tiles.
bool IsRowCategory(const QString& category);
// The caption of catalogue row `index` (from 0): "1、name" for the row categories, the
// name alone for the others.
QString TeachRowCaption(const QString& category, int index, const QString& name);
// The thumbnail of a tile: "J" followed by the identifier.
QString TeachThumbnailName(int id);

// The teaching items of an entry; the lessons 32 to 41 are loaded as one sequence.
QString TeachItemsSQL(quint32 id);
bool IsLessonSequence(quint32 id);
// The page the viewer opens at: the lesson's place in the sequence, else 1.
int FirstTeachPage(quint32 id);

enum class TeachForm { Grid, Single, FullPage };

struct TeachLayout {
    int Slots = 1;
    TeachForm Form = TeachForm::Single;
    QSize SlotSize;    // empty for the full-page form
    QSize CaptionSize; // empty for the full-page form
};
TeachLayout TeachLayoutOf(quint32 id);
// Slot `index` of a grid or single layout, and its caption 10 pixels below it.
QRect TeachSlotRect(const TeachLayout& layout, int index);
QRect TeachCaptionRect(const TeachLayout& layout, int index);

enum class SlotControl { None, Picture, Animation, Flash, RichText };
// The control of a slot, chosen from the type of the item it shows first; identifiers 15
// and 42 show pictures inside rich text.
SlotControl TeachSlotControl(const QString& type, quint32 id);

// How an item is shown in a slot whose control was chosen by `slotType`.
enum class SlotShow { Nothing, Picture, Animation, Flash, Composition, InsertedPicture, Text };
SlotShow TeachSlotShow(const QString& slotType, const QString& category);

// Pages of `items` with `perPage` slots each.
int TeachPageCount(int items, int perPage);
struct PageButtons {
    bool LastEnabled = false;
    bool NextEnabled = false;
};
// Page 1 leaves "下一页" enabled even when it is the only page.
PageButtons TeachPageButtons(int page, int count);
QString TeachPageText(int page, int count);
// The page a paging button leads to from the page label's text, or 0 when it leads nowhere.
int TeachPageTarget(const QString& buttonCaption, const QString& pageText);

// The caret position at the start of line `index` of the composition, when the text before
// it is `textLength` characters long counting each line break twice.
qsizetype CompositionCaret(qsizetype textLength, int index);
