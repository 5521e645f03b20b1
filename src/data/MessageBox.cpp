#include "data/MessageBox.h"

#include <QMessageBox>
#include <QMutex>
#include <QPushButton>
#include <QQueue>

namespace {

struct HookState {
    QMutex lock;
    bool enabled = false;
    QQueue<MsgAnswer> answers;
    QStringList recorded;
};

HookState& Hook() {
    static HookState state;
    return state;
}

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

MsgAnswer AnswerFromHook(const QString& text, MsgButtons buttons) {
    HookState& hook = Hook();
    QMutexLocker locker(&hook.lock);
    hook.recorded.append(text);
    if (!hook.answers.isEmpty())
        return hook.answers.dequeue();
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

} // namespace

MsgAnswer ShowMessageBox(QWidget* owner, const QString& text, MsgIcon icon, MsgButtons buttons,
                         const QString& caption) {
    if (MessageBoxHook::Enabled())
        return AnswerFromHook(text, buttons);

    QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::NoButton, owner);
    if (buttons == MsgButtons::YesNo) {
        box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        box.exec();
        return box.buttonRole(box.clickedButton()) == QMessageBox::YesRole ? MsgAnswer::Yes
                                                                           : MsgAnswer::No;
    }
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    return MsgAnswer::Ok;
}

namespace MessageBoxHook {

void Enable(bool on) {
    QMutexLocker locker(&Hook().lock);
    Hook().enabled = on;
}

bool Enabled() {
    QMutexLocker locker(&Hook().lock);
    return Hook().enabled;
}

void SetNextAnswer(MsgAnswer answer) {
    QMutexLocker locker(&Hook().lock);
    Hook().answers.enqueue(answer);
}

QStringList Recorded() {
    QMutexLocker locker(&Hook().lock);
    return Hook().recorded;
}

void Clear() {
    QMutexLocker locker(&Hook().lock);
    Hook().recorded.clear();
    Hook().answers.clear();
}

} // namespace MessageBoxHook
