#include "settings/uKeyboardSet.h"

#include "data/MessageBox.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

struct TKeyRow {
    const char* ListName;
    const char* Text;
    int ListLeft;
    int ListTop;
    int LabelTop;
    bool Navigation;
};

const TKeyRow KeyRows[] = {
    {"cbKeyA", "答案A：使用 A键 或               键（数字小键盘上的按钮）", 151, 21, 25, false},
    {"cbKeyB", "答案B：使用 B键 或               键（数字小键盘上的按钮）", 151, 53, 57, false},
    {"cbKeyC", "答案C：使用 C键 或               键（数字小键盘上的按钮）", 151, 85, 89, false},
    {"cbKeyD", "答案D：使用 D键 或               键（数字小键盘上的按钮）", 151, 117, 121, false},
    {"cbKeyRight", "答案对：使用 B键 或              键（数字小键盘上的按钮）", 151, 165, 169,
     false},
    {"cbKeyWrong", "答案错：使用 C键 或              键（数字小键盘上的按钮）", 151, 197, 201,
     false},
    {"cbKeyLast", "上一题：使用 ← 键 或 ↑ 键 或 - 键 或               键", 284, 245, 249, true},
    {"cbKeyNext", "下一题：使用 → 键 或 ↓ 键 或 + 键 或               键", 284, 275, 281, true},
};

QComboBox* MakeKeyList(QWidget* panel, const TKeyRow& row) {
    auto* label = new QLabel(QString::fromUtf8(row.Text), panel);
    label->setFont(panel->window()->font());
    label->move(10, row.LabelTop);
    label->adjustSize();
    auto* list = new QComboBox(panel);
    list->setObjectName(QString::fromLatin1(row.ListName));
    list->setGeometry(row.ListLeft, row.ListTop, 85, 22);
    QFont listFont = label->font();
    listFont.setPixelSize(12);
    list->setFont(listFont);
    if (row.Navigation) {
        list->addItems({QStringLiteral("PageUp"), QStringLiteral("PageDown")});
    } else {
        for (int digit = 0; digit <= 9; ++digit)
            list->addItem(QStringLiteral("Number %1").arg(digit));
    }
    return list;
}

void AddSeparator(QWidget* panel, int top) {
    auto* line = new QFrame(panel);
    line->setGeometry(10, top, 400, 1);
    line->setStyleSheet(QStringLiteral("border-top: 1px dashed rgb(150, 170, 200);"));
}

void Select(QComboBox* list, int position) {
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

} // namespace

TKeyMap DefaultKeyMap() {
    TKeyMap map;
    map.A = 7;
    map.B = 8;
    map.C = 9;
    map.D = 5;
    map.Right = 4;
    map.Wrong = 6;
    map.Last = 0;
    map.Next = 1;
    return map;
}

bool HotKeysClash(const TKeyMap& map) {
    return map.A == map.B || map.A == map.C || map.A == map.D || map.B == map.C || map.B == map.D ||
           map.C == map.D || map.Right == map.Wrong || map.Last == map.Next;
}

TfrmKeyboardSet::TfrmKeyboardSet(TKeyMap& keyMap, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), KeyMap(keyMap) {
    setObjectName(QStringLiteral("frmKeyboardSet"));
    setWindowTitle(QStringLiteral("键盘设置"));
    setFixedSize(455, 440);
    // The rows' captions leave a gap of spaces for their lists, measured in the half-width
    // Latin letters of 宋体; a monospaced CJK face keeps those metrics where 宋体 is missing.
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("Noto Sans Mono CJK SC")});
    font.setPixelSize(14);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(237, 247, 245));
    setPalette(palette);
    setAutoFillBackground(true);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnlKeys"));
    panel->setGeometry(13, 13, 420, 320);
    panel->setStyleSheet(
        QStringLiteral("#pnlKeys { background: white; border: 2px solid rgb(192, 220, 255); }"));
    QComboBox** lists[] = {&cbKeyA,     &cbKeyB,     &cbKeyC,    &cbKeyD,
                           &cbKeyRight, &cbKeyWrong, &cbKeyLast, &cbKeyNext};
    for (int i = 0; i < 8; ++i)
        *lists[i] = MakeKeyList(panel, KeyRows[i]);
    AddSeparator(panel, 144);
    AddSeparator(panel, 224);

    auto* btnSave = new QPushButton(QStringLiteral("保存设置"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setGeometry(86, 349, 120, 40);
    auto* btnRecover = new QPushButton(QStringLiteral("恢复默认"), this);
    btnRecover->setObjectName(QStringLiteral("btnRecover"));
    btnRecover->setGeometry(249, 349, 120, 40);
    btnSave->setAutoDefault(false);
    btnRecover->setAutoDefault(false);
    connect(btnSave, &QPushButton::clicked, this, &TfrmKeyboardSet::btnSaveClick);
    connect(btnRecover, &QPushButton::clicked, this, &TfrmKeyboardSet::btnRecoverClick);

    ShowKeyMap(KeyMap);
}

void TfrmKeyboardSet::ShowKeyMap(const TKeyMap& map) {
    Select(cbKeyA, map.A);
    Select(cbKeyB, map.B);
    Select(cbKeyC, map.C);
    Select(cbKeyD, map.D);
    Select(cbKeyRight, map.Right);
    Select(cbKeyWrong, map.Wrong);
    Select(cbKeyLast, map.Last);
    Select(cbKeyNext, map.Next);
}

TKeyMap TfrmKeyboardSet::ChosenKeyMap() const {
    TKeyMap map;
    map.A = cbKeyA->currentIndex();
    map.B = cbKeyB->currentIndex();
    map.C = cbKeyC->currentIndex();
    map.D = cbKeyD->currentIndex();
    map.Right = cbKeyRight->currentIndex();
    map.Wrong = cbKeyWrong->currentIndex();
    map.Last = cbKeyLast->currentIndex();
    map.Next = cbKeyNext->currentIndex();
    return map;
}

void TfrmKeyboardSet::btnRecoverClick() {
    ShowKeyMap(DefaultKeyMap());
}

void TfrmKeyboardSet::btnSaveClick() {
    const TKeyMap chosen = ChosenKeyMap();
    if (HotKeysClash(chosen)) {
        ShowMessageBox(this, QStringLiteral("热键不能相同，请重新设置！"), MsgIcon::Warning);
        return;
    }
    KeyMap = chosen;
    SaveKeyMap(KeyMap);
    accept();
}
