#include "classroom/TeachCatalogue.h"

#include "app/ItemList.h"
#include "classroom/TeachRules.h"
#include "classroom/TeachViewer.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"

namespace {
const char16_t* const kCategories[] = {u"交通法规", u"交通标志", u"交警手势", u"事故图解",
                                       u"仪表图解", u"评判标准", u"动画讲解"};
// The entries without a catalogue open these identifiers whatever the catalogue says.
constexpr quint32 kGestures = 13;
constexpr quint32 kAccidents = 14;
constexpr quint32 kMeters = 15;

// The thumbnail of a tile from the library of its category; none for other categories.
QString TileThumbnail(const TDirectoryList& item) {
    const QString name = TeachThumbnailName(item.ItemID);
    if (item.ItemHint == QStringView(u"动画讲解"))
        return LoadLibraryImage(TeachLibrary::VideoTeach, name, QStringLiteral("jpg"));
    if (item.ItemHint == QStringView(u"交通标志"))
        return LoadLibraryImage(TeachLibrary::TrafficSign, name, QStringLiteral("jpg"));
    return {};
}
} // namespace

QString TeachCategory(int entry) {
    if (entry < 0 || entry >= int(std::size(kCategories)))
        return {};
    return QString::fromUtf16(kCategories[entry]);
}

QList<TDirectoryList> TeachListItems(const QString& category, TQuery& rows) {
    QList<TDirectoryList> items;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        TDirectoryList item;
        item.ItemCaption =
            TeachRowCaption(category, rows.CurrentRow(),
                            rows.FieldByName(QStringLiteral("DriveTeachSecondName")).toString());
        item.ItemHint = category;
        item.ItemID = rows.FieldByName(QStringLiteral("DriveTeachID")).toInt();
        items.append(item);
    }
    return items;
}

TTeachCatalogue::TTeachCatalogue(TItemListPage& list, TTeachViewer& viewer,
                                 std::function<void(QWidget*)> showPage)
    : List(list), Viewer(viewer), ShowPage(std::move(showPage)) {}

void TTeachCatalogue::EntryClick(int entry) {
    Viewer.FreeShowImageItems();
    const QString category = TeachCategory(entry);
    const quint32 fixed[] = {0, 0, kGestures, kAccidents, kMeters, 0, 0};
    if (category.isEmpty())
        return;
    if (fixed[entry] != 0) {
        Viewer.LoadTeachItems(fixed[entry]);
        ShowPage(&Viewer);
        return;
    }
    ShowTeachList(category);
    ShowPage(&List);
}

bool TTeachCatalogue::ShowTeachList(const QString& category) {
    TQuery rows;
    if (!ExecLocalSQL(rows, TeachListSQL(category), QStringLiteral("open"), false))
        return false;
    const QList<TDirectoryList> items = TeachListItems(category, rows);
    if (IsRowCategory(category))
        List.BuildRowList(items, [this](int tag, const QString&) { RowClick(tag); });
    else
        List.BuildTileList(items, TileThumbnail,
                           [this](int tag, const QString&) { TeachItemClick(tag); });
    return true;
}

void TTeachCatalogue::TeachItemClick(int tag) {
    Viewer.LoadTeachItems(quint32(tag));
}

void TTeachCatalogue::RowClick(int tag) {
    Viewer.LoadTeachItems(quint32(tag));
    ShowPage(&Viewer);
}
