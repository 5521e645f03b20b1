#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class MsgIcon { Information, Warning, Error, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// The one message box of the program: caption "信息" unless another is given, an icon and
// OK or Yes/No buttons; modal, owned by `owner` (none when null). Returns the answer.
MsgAnswer ShowMessageBox(QWidget* owner, const QString& text, MsgIcon icon,
                         MsgButtons buttons = MsgButtons::Ok,
                         const QString& caption = QStringLiteral("信息"));

// Test hook: while enabled, no box is shown; each text is recorded and the next queued
// answer is returned (Yes for Yes/No boxes and Ok otherwise when the queue is empty).
namespace MessageBoxHook {
void Enable(bool on);
bool Enabled();
void SetNextAnswer(MsgAnswer answer);
QStringList Recorded();
void Clear();
} // namespace MessageBoxHook
