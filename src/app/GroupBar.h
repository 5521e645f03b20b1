#pragma once

#include <QList>
#include <QWidget>

class QButtonGroup;
class QPushButton;
class QToolButton;
class QVBoxLayout;

// One group of a GroupBar: a caption strip and, while the group is open, its items.
class GroupBarGroup : public QWidget {
    Q_OBJECT
public:
    GroupBarGroup(const QString& name, const QString& caption, QWidget* parent);

    QString Caption() const;
    QPushButton* CaptionStrip() const { return Strip; }
    const QList<QToolButton*>& Items() const { return ItemList; }
    bool IsOpen() const;

private:
    friend class GroupBar;
    QPushButton* Strip;
    QWidget* ItemArea;
    QVBoxLayout* ItemLayout;
    QList<QToolButton*> ItemList;
};

// An Outlook-style navigation bar: groups stacked top to bottom, one open at a time; the
// open group shows its items as large icons with captions, and one item at a time is
// selected across all groups.
class GroupBar : public QWidget {
    Q_OBJECT
public:
    explicit GroupBar(QWidget* parent = nullptr);

    GroupBarGroup* AddGroup(const QString& name, const QString& caption);
    // The item is named after its group: "<group>Items<index>".
    QToolButton* AddItem(GroupBarGroup* group, const QString& caption, const QIcon& icon);

    void OpenGroup(GroupBarGroup* group);
    GroupBarGroup* OpenedGroup() const;
    QToolButton* SelectedItem() const;
    // Highlights `item` alone; null highlights none.
    void SelectItem(QToolButton* item);

signals:
    // A group's strip was clicked and the group is now open.
    void GroupOpened(GroupBarGroup* group);

private:
    QVBoxLayout* Layout;
    QList<GroupBarGroup*> Groups;
    QButtonGroup* Selection;
};
