#include "practice/KeyRules.h"

#include <QKeyEvent>
#include <array>

namespace {

int KeypadCode(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return VirtualKey::Numpad0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return 110;
    case Qt::Key_Slash:
        return 111;
    case Qt::Key_Enter:
        return 13;
    }
    return 0;
}

int MainKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    }
    return 0;
}

struct TKeyRule {
    TKeyAction Action;
    std::array<int, 4> FixedKeys; // unused places hold -1
    int ConfiguredKey;            // -1 when the map entry is not set
    bool Applies;
};

int ConfiguredCode(int entry, int base) {
    if (entry < 0)
        return -1;
    const int code = base + entry;
    return code <= 255 ? code : -1;
}

bool RuleHolds(const TKeyRule& rule, int key) {
    if (!rule.Applies)
        return false;
    if (key == rule.ConfiguredKey)
        return true;
    for (int fixed : rule.FixedKeys)
        if (fixed == key)
            return true;
    return false;
}

} // namespace

int WindowsKeyCode(int qtKey, bool keypad) {
    if (keypad) {
        const int code = KeypadCode(qtKey);
        if (code != 0)
            return code;
    }
    return MainKeyCode(qtKey);
}

int WindowsKeyCode(const QKeyEvent& event) {
    return WindowsKeyCode(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

TKeyAction MatchKeyRule(int key, const TKeyMap& map, const QString& captionB,
                        const QString& captionC) {
    if (key < 0 || key > 255)
        return TKeyAction::None;
    const int nav = VirtualKey::PageUp;
    const int pad = VirtualKey::Numpad0;
    const bool choiceB = captionB == QStringLiteral("B");
    const bool choiceC = captionC == QStringLiteral("C");
    const TKeyRule rules[] = {
        {TKeyAction::Last, {37, 38, 109, 189}, ConfiguredCode(map.Last, nav), true},
        {TKeyAction::Next, {39, 40, 107, 187}, ConfiguredCode(map.Next, nav), true},
        {TKeyAction::A, {65, -1, -1, -1}, ConfiguredCode(map.A, pad), true},
        {TKeyAction::B, {66, -1, -1, -1}, ConfiguredCode(map.B, pad), choiceB},
        {TKeyAction::C, {67, -1, -1, -1}, ConfiguredCode(map.C, pad), choiceC},
        {TKeyAction::D, {68, -1, -1, -1}, ConfiguredCode(map.D, pad), true},
        {TKeyAction::B,
         {66, -1, -1, -1},
         ConfiguredCode(map.Right, pad),
         captionB == QStringLiteral("对")},
        {TKeyAction::C,
         {67, -1, -1, -1},
         ConfiguredCode(map.Wrong, pad),
         captionC == QStringLiteral("错")},
    };
    for (const TKeyRule& rule : rules)
        if (RuleHolds(rule, key))
            return rule.Action;
    return TKeyAction::None;
}
