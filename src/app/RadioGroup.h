#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;

// A captioned group of options in columns of which at most one is chosen; nothing is
// chosen after the options are replaced. The options are named objectName + "Item" + index.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& name, const QString& caption, int columns, int itemHeight,
                QWidget* parent = nullptr);

    void SetItems(const QStringList& items);
    QStringList Items() const { return ItemList; }
    // The position of the chosen option; -1 when none is chosen.
    int ItemIndex() const;
    // Chooses the option at `index`; an index outside the options chooses none.
    void SetItemIndex(int index);
    QString ItemText(int index) const { return ItemList.value(index); }

signals:
    // The option at `index` has just been chosen.
    void Chosen(int index);

private:
    QStringList ItemList;
    QButtonGroup* Options;
    QGridLayout* Grid;
    int Columns;
    int ItemHeight;
};
