#pragma once

#include <QList>
#include <QString>
#include <functional>

class QWidget;
class TItemListPage;
class TQuery;
class TTeachViewer;
struct TDirectoryList;

// The category of navigation entry 0 … 6 of the driving classroom ("交通法规" …); empty for
// another number.
QString TeachCategory(int entry);
// One list item per catalogue row, in row order: numbered captions for the text
// categories, the hint the category and the key DriveTeachID.
QList<TDirectoryList> TeachListItems(const QString& category, TQuery& rows);

// The driving classroom's seven entries: the catalogues of four categories on the list page
// and the viewer for the other three, which have fixed identifiers.
class TTeachCatalogue {
public:
    TTeachCatalogue(TItemListPage& list, TTeachViewer& viewer,
                    std::function<void(QWidget*)> showPage);

    // The click on navigation entry 0 … 6.
    void EntryClick(int entry);
    // Lists the category's catalogue; false, with the list as it was, when the catalogue
    // could not be read.
    bool ShowTeachList(const QString& category);
    // A tile: its entry in the viewer, which comes to the front only when the entry has items.
    void TeachItemClick(int tag);
    // A row of a text category: its entry in the viewer, which comes to the front.
    void RowClick(int tag);

private:
    TItemListPage& List;
    TTeachViewer& Viewer;
    std::function<void(QWidget*)> ShowPage;
};
