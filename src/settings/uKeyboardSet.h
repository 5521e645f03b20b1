#pragma once

#include "settings/Configure.h"

#include <QDialog>

class QComboBox;

// The key map "恢复默认" offers: keypad 7, 8, 9, 5 for A to D, 4 for 对, 6 for 错,
// PageUp back and PageDown forward.
TKeyMap DefaultKeyMap();

// True when two keys that must differ are the same: any two of A, B, C and D, 对 and 错,
// or back and forward. Two unset entries count as the same.
bool HotKeysClash(const TKeyMap& map);

// The keyboard dialog "键盘设置": shows the main window's key map in eight lists and, on
// "保存设置", stores the chosen keys in it and in Configure.ini.
class TfrmKeyboardSet : public QDialog {
    Q_OBJECT
public:
    TfrmKeyboardSet(TKeyMap& keyMap, QWidget* owner);

    void btnSaveClick();
    void btnRecoverClick();

private:
    void ShowKeyMap(const TKeyMap& map);
    TKeyMap ChosenKeyMap() const;

    TKeyMap& KeyMap;
    QComboBox* cbKeyA = nullptr;
    QComboBox* cbKeyB = nullptr;
    QComboBox* cbKeyC = nullptr;
    QComboBox* cbKeyD = nullptr;
    QComboBox* cbKeyRight = nullptr;
    QComboBox* cbKeyWrong = nullptr;
    QComboBox* cbKeyLast = nullptr;
    QComboBox* cbKeyNext = nullptr;
};
