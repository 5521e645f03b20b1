#pragma once

#include "practice/KeyRules.h"

class QPushButton;

// The buttons that the answer keys press; a null button has no key.
struct TKeyButtons {
    QPushButton* Last;
    QPushButton* Next;
    QPushButton* A;
    QPushButton* B;
    QPushButton* C;
    QPushButton* D;
};

// Clicks the button that `action` names when it is enabled and shown. False when the key
// names no action or no button, so that the key goes on to its usual handling.
bool PressKeyButton(TKeyAction action, const TKeyButtons& buttons);
