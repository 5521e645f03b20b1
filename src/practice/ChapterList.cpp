#include "practice/ChapterList.h"

#include "data/TQuery.h"
#include "data/uProc.h"

namespace {
const QString kChapterHintPrefix = QStringLiteral("章节练习");
constexpr int kTitleLength = 35;
} // namespace

QString ChapterListSQL(int carTypeID, int areaID) {
    return QStringLiteral("select * from Chapter where (CarTypeSubID = -1 and AreaSubID = -1) or "
                          "(CarTypeSubID = ") +
           QString::number(carTypeID) + QStringLiteral(")") + QStringLiteral("or (AreaSubID = ") +
           QString::number(areaID) + QStringLiteral(") order by ChapterID");
}

QList<TDirectoryList> ChapterItems(TQuery& chapters) {
    QList<TDirectoryList> items;
    for (chapters.First(); !chapters.Eof(); chapters.Next()) {
        TDirectoryList item;
        item.ItemCaption = chapters.FieldByName("ChapterMark").toString() + QStringLiteral(".") +
                           chapters.FieldByName("ChapterName").toString() + QStringLiteral("：") +
                           chapters.FieldByName("ChapterDesc").toString();
        item.ItemHint = kChapterHintPrefix + QStringLiteral("：") + item.ItemCaption;
        item.ItemID = chapters.FieldByName("ChapterID").toInt();
        items.append(item);
    }
    return items;
}

bool IsChapterHint(const QString& hint) {
    return hint.left(kChapterHintPrefix.size()) == kChapterHintPrefix;
}

QString ChapterPracticeExtra(int chapterID) {
    return QStringLiteral("and Chapter.ChapterID = ") + QString::number(chapterID);
}

QString CutTitle(const QString& text, int length) {
    qsizetype end = 0;
    for (int count = 0; count < length && end < text.size(); ++count) {
        // A character outside the basic plane takes two code units.
        const bool pair =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        end += pair ? 2 : 1;
    }
    if (end >= text.size())
        return text;
    return text.left(end) + QStringLiteral("...");
}

QString ChapterPathTitle(const QString& hint) {
    return CutTitle(hint.mid(hint.indexOf(QLatin1Char('.')) + 1), kTitleLength);
}

bool ShowChapterList(TItemListPage& page, const TDriverInfo& driver, TListItemClick onClick) {
    TQuery chapters;
    if (!ExecLocalSQL(chapters, ChapterListSQL(driver.SubCarTypeID, driver.SubAreaID),
                      QStringLiteral("open"), false))
        return false;
    page.BuildRowList(ChapterItems(chapters), std::move(onClick));
    return true;
}
