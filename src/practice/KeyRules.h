#pragma once

#include "settings/Configure.h"

#include <QString>

class QKeyEvent;

// The Windows virtual-key code of a key press, so that the key rules and the key map read
// in the codes learners' keyboards are described in: keypad digits 96–105 (NumLock on),
// PageUp 33, PageDown 34, arrows 37–40, letters 65–90, keypad plus 107 and minus 109,
// the plus/equals key 187, the minus key 189. 0 for a key without such a code.
int WindowsKeyCode(int qtKey, bool keypad);
int WindowsKeyCode(const QKeyEvent& event);

namespace VirtualKey {
constexpr int PageUp = 33;
constexpr int Numpad0 = 96;
} // namespace VirtualKey

// Which button of the practice page a key press stands for. Judge answers ("对", "错")
// press btnB and btnC.
enum class TKeyAction { None, Last, Next, A, B, C, D };

// The key rules of the practice page, tried in order: previous, next, A, B (choice
// question), C (choice question), D, 对 (true/false question), 错 (true/false question).
// Each rule holds its fixed keys plus the configured key of its map entry; an entry that
// is not set (negative) adds no key. `captionB` and `captionC` are the captions of btnB
// and btnC, which tell a choice question from a true/false one.
TKeyAction MatchKeyRule(int key, const TKeyMap& map, const QString& captionB,
                        const QString& captionC);
