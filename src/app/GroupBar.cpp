#include "app/GroupBar.h"

#include "app/Look.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kStripHeight = 22;
constexpr int kIconSize = 40;

} // namespace

GroupBarGroup::GroupBarGroup(const QString& name, const QString& caption, QWidget* parent)
    : QWidget(parent), Strip(new QPushButton(caption, this)), ItemArea(new QWidget(this)),
      ItemLayout(new QVBoxLayout(ItemArea)) {
    setObjectName(name);
    Strip->setObjectName(name + "Caption");
    Strip->setFixedHeight(kStripHeight);
    Strip->setFont(Look::SongFont(13, true));
    Strip->setFlat(true);
    Strip->setStyleSheet("QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                         "stop:0 #E8F0F8, stop:1 #A8C8F0); border: 1px solid #8CB0E0; }");
    ItemLayout->setContentsMargins(0, 6, 0, 6);
    ItemLayout->setSpacing(4);
    ItemLayout->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    ItemArea->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Strip);
    layout->addWidget(ItemArea, 1);
}

QString GroupBarGroup::Caption() const {
    return Strip->text();
}

bool GroupBarGroup::IsOpen() const {
    return !ItemArea->isHidden();
}

GroupBar::GroupBar(QWidget* parent)
    : QWidget(parent), Layout(new QVBoxLayout(this)), Selection(new QButtonGroup(this)) {
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    Layout->addStretch(1);
    Selection->setExclusive(true);
    Look::Paint(this, Look::WindowColour);
}

GroupBarGroup* GroupBar::AddGroup(const QString& name, const QString& caption) {
    auto* group = new GroupBarGroup(name, caption, this);
    Layout->insertWidget(Groups.size(), group);
    Groups.append(group);
    connect(group->Strip, &QPushButton::clicked, this, [this, group] {
        OpenGroup(group);
        emit GroupOpened(group);
    });
    return group;
}

QToolButton* GroupBar::AddItem(GroupBarGroup* group, const QString& caption, const QIcon& icon) {
    auto* item = new QToolButton(group->ItemArea);
    item->setObjectName(group->objectName() + "Items" + QString::number(group->ItemList.size()));
    item->setText(caption);
    item->setIcon(icon);
    item->setIconSize(QSize(kIconSize, kIconSize));
    item->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    item->setAutoRaise(true);
    item->setCheckable(true);
    item->setMinimumWidth(120);
    group->ItemLayout->addWidget(item);
    group->ItemList.append(item);
    Selection->addButton(item);
    return item;
}

void GroupBar::OpenGroup(GroupBarGroup* group) {
    // The open group takes all the room left, which pushes the strips below it down.
    for (qsizetype i = 0; i < Groups.size(); ++i) {
        const bool open = Groups[i] == group;
        Groups[i]->ItemArea->setVisible(open);
        Layout->setStretch(i, open ? 1 : 0);
    }
    Layout->setStretch(Groups.size(), group ? 0 : 1);
}

GroupBarGroup* GroupBar::OpenedGroup() const {
    for (GroupBarGroup* group : Groups) {
        if (group->IsOpen())
            return group;
    }
    return nullptr;
}

QToolButton* GroupBar::SelectedItem() const {
    return qobject_cast<QToolButton*>(Selection->checkedButton());
}

void GroupBar::SelectItem(QToolButton* item) {
    if (item) {
        item->setChecked(true);
        return;
    }
    // An exclusive group never lets its last checked button go by itself.
    QAbstractButton* checked = Selection->checkedButton();
    if (!checked)
        return;
    Selection->setExclusive(false);
    checked->setChecked(false);
    Selection->setExclusive(true);
}
