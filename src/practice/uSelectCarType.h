#pragma once

#include "settings/Configure.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class TRadioGroup;

// A car type as the dialog lists it, "name(classes)", taken apart again: the name before the
// first "(", the classes between it and the first ")" after it. A text without "(" is all
// name; a "(" without a closing ")" gives the classes up to the end.
struct TCarTypeText {
    QString Name;
    QString Desc;
};
TCarTypeText SplitCarTypeText(const QString& text);
// The preselected positions for the learner's numbers among `count` entries: an area
// outside the list selects nothing (-1); a car type below the list selects nothing and one
// beyond it the last car type.
int AreaPosition(int subAreaID, int count);
int CarTypePosition(int subCarTypeID, int count);

// What the learner chose in the dialog; a position of -1 is no choice.
struct TCarTypeChoice {
    int AreaPosition = -1;
    QString AreaName;
    int CarTypePosition = -1;
    QString CarTypeText;
};
// Stores the choice in the settings, all keys in one write. With no car type chosen it
// writes nothing and returns false.
bool SaveCarTypeChoice(const TCarTypeChoice& choice);

// The dialog "车型选择": the bank's car types and areas with the learner's current choice
// preselected; "开始练习" stores the new choice, the close box changes nothing.
class TfrmSelectCarType : public QDialog {
    Q_OBJECT
public:
    TfrmSelectCarType(const TDriverInfo& current, QWidget* parent = nullptr);

    void FormShow();
    void btnStartClick();

signals:
    // The choice is stored in the settings.
    void ChoiceSaved();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const TDriverInfo Current;
    TRadioGroup* rgSelectCarType;
    QComboBox* cbSelectArea;
    QPushButton* btnStart;
};
