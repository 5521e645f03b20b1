#include "classroom/TeachRules.h"

#include <QStringList>

namespace {
const QString kRuleCategory = QStringLiteral("交通法规");
const QString kJudgeCategory = QStringLiteral("评判标准");
const QString kMeterCategory = QStringLiteral("仪表图解");
constexpr quint32 kFirstLesson = 32;
constexpr quint32 kLastLesson = 41;

bool IsPictureType(const QString& type) {
    return type == QLatin1String("jpg") || type == QLatin1String("bmp") ||
           type == QLatin1String("png");
}

bool IsTextType(const QString& type) {
    return type == QLatin1String("txt") || type == QLatin1String("rtf");
}
} // namespace

QString TeachListSQL(const QString& category) {
    QString literal = category;
    literal.replace(u'\'', QStringLiteral("''"));
    return QStringLiteral("select DriveTeachID, DriveTeachSecondName from DriveTeach where "
                          "DriveTeachFirstName= '") +
           literal + QStringLiteral("' order by DriveTeachID");
}

bool IsRowCategory(const QString& category) {
    return category == kRuleCategory || category == kJudgeCategory;
}

QString TeachRowCaption(const QString& category, int index, const QString& name) {
    if (!IsRowCategory(category))
        return name;
    return QString::number(index + 1) + QStringLiteral("、") + name;
}

QString TeachThumbnailName(int id) {
    return QStringLiteral("J") + QString::number(id);
}

bool IsLessonSequence(quint32 id) {
    return id >= kFirstLesson && id <= kLastLesson;
}

QString TeachItemsSQL(quint32 id) {
    const QString head = QStringLiteral(
        "select b.DriveTeachFirstName,a.* from DriveTeachList a inner join DriveTeach b on "
        "a.DriveTeachID=b.DriveTeachID where b.DriveTeachID");
    if (IsLessonSequence(id))
        return head + QStringLiteral(" between 32 and 41 order by a.DriveTeachID");
    return head + QStringLiteral("= ") + QString::number(id) +
           QStringLiteral(" order by a.TeachName");
}

int FirstTeachPage(quint32 id) {
    return IsLessonSequence(id) ? int(id - kFirstLesson + 1) : 1;
}

TeachLayout TeachLayoutOf(quint32 id) {
    const QSize singleCaption(780, 30);
    if (id >= 1 && id <= 7)
        return {12, TeachForm::Grid, QSize(175, 120), QSize(175, 15)};
    if (id == 15 || (id >= 17 && id <= 30) || (id >= 42 && id <= 45))
        return {1, TeachForm::FullPage, QSize(), QSize()};
    if (IsLessonSequence(id))
        return {1, TeachForm::Single, QSize(780, 480), singleCaption};
    return {1, TeachForm::Single, QSize(780, 440), singleCaption};
}

QRect TeachSlotRect(const TeachLayout& layout, int index) {
    const QSize size = layout.SlotSize;
    return {25 + (index % 4) * (size.width() + 25), 25 + (index / 4) * (size.height() + 40),
            size.width(), size.height()};
}

QRect TeachCaptionRect(const TeachLayout& layout, int index) {
    const QRect slot = TeachSlotRect(layout, index);
    return {slot.left(), slot.bottom() + 1 + 10, layout.CaptionSize.width(),
            layout.CaptionSize.height()};
}

SlotControl TeachSlotControl(const QString& type, quint32 id) {
    const bool insideText = id == 15 || id == 42;
    if (IsPictureType(type))
        return insideText ? SlotControl::RichText : SlotControl::Picture;
    if (type == QLatin1String("gif"))
        return SlotControl::Animation;
    if (type == QLatin1String("swf"))
        return SlotControl::Flash;
    if (IsTextType(type) || insideText)
        return SlotControl::RichText;
    return SlotControl::None;
}

SlotShow TeachSlotShow(const QString& slotType, const QString& category) {
    const bool textCategory = category == kMeterCategory || category == kJudgeCategory;
    if (IsPictureType(slotType) && !textCategory)
        return SlotShow::Picture;
    if (slotType == QLatin1String("gif"))
        return SlotShow::Animation;
    if (slotType == QLatin1String("swf"))
        return SlotShow::Flash;
    if (IsTextType(slotType) || textCategory) {
        if (category == kMeterCategory)
            return SlotShow::Composition;
        return slotType == QLatin1String("jpg") ? SlotShow::InsertedPicture : SlotShow::Text;
    }
    return SlotShow::Nothing;
}

int TeachPageCount(int items, int perPage) {
    if (perPage <= 0)
        return 0;
    return items / perPage + (items % perPage ? 1 : 0);
}

PageButtons TeachPageButtons(int page, int count) {
    if (page == 1)
        return {false, true};
    if (page == count)
        return {true, false};
    return {true, true};
}

QString TeachPageText(int page, int count) {
    return QString::number(page) + u'/' + QString::number(count);
}

int TeachPageTarget(const QString& buttonCaption, const QString& pageText) {
    const QStringList parts = pageText.split(u'/');
    if (parts.size() < 2)
        return 0;
    bool currentOk = false;
    bool countOk = false;
    const int current = parts.at(0).trimmed().toInt(&currentOk);
    const int count = parts.at(1).trimmed().toInt(&countOk);
    if (!currentOk || !countOk)
        return 0;
    if (buttonCaption == QStringLiteral("上一页"))
        return current > 1 ? current - 1 : 0;
    if (buttonCaption == QStringLiteral("下一页") && count > current)
        return current + 1;
    return 0;
}

qsizetype CompositionCaret(qsizetype textLength, int index) {
    return textLength - index;
}
