#include "practice/KeyButtons.h"

#include <QPushButton>

namespace {

QPushButton* ButtonOf(TKeyAction action, const TKeyButtons& buttons) {
    switch (action) {
    case TKeyAction::None:
        return nullptr;
    case TKeyAction::Last:
        return buttons.Last;
    case TKeyAction::Next:
        return buttons.Next;
    case TKeyAction::A:
        return buttons.A;
    case TKeyAction::B:
        return buttons.B;
    case TKeyAction::C:
        return buttons.C;
    case TKeyAction::D:
        return buttons.D;
    }
    return nullptr;
}

} // namespace

bool PressKeyButton(TKeyAction action, const TKeyButtons& buttons) {
    QPushButton* button = ButtonOf(action, buttons);
    if (!button)
        return false;
    if (button->isEnabled() && !button->isHidden())
        button->click();
    return true;
}
