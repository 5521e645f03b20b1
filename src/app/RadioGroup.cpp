#include "app/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& name, const QString& caption, int columns, int itemHeight,
                         QWidget* parent)
    : QGroupBox(caption, parent), Options(new QButtonGroup(this)), Grid(new QGridLayout(this)),
      Columns(columns), ItemHeight(itemHeight) {
    setObjectName(name);
    Grid->setContentsMargins(4, 2, 4, 2);
    Grid->setSpacing(0);
    Grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    // Mouse, keyboard and code all choose through the button's check.
    connect(Options, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit Chosen(id);
    });
}

void TRadioGroup::SetItems(const QStringList& items) {
    for (QAbstractButton* button : Options->buttons()) {
        Options->removeButton(button);
        delete button;
    }
    ItemList = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* option = new QRadioButton(items[i], this);
        option->setObjectName(objectName() + QStringLiteral("Item") + QString::number(i));
        option->setFixedHeight(ItemHeight);
        Options->addButton(option, i);
        Grid->addWidget(option, i / Columns, i % Columns);
    }
    for (int column = 0; column < Columns; ++column)
        Grid->setColumnStretch(column, 1);
}

int TRadioGroup::ItemIndex() const {
    return Options->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* option = Options->button(index)) {
        option->setChecked(true);
        return;
    }
    // An exclusive group keeps its choice against unchecking, so it lets go for a moment.
    Options->setExclusive(false);
    if (QAbstractButton* chosen = Options->checkedButton())
        chosen->setChecked(false);
    Options->setExclusive(true);
}
