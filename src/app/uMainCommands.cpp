// The main window's online areas, status icon and window commands.
#include "app/uMain.h"

#include "data/MessageBox.h"
#include "data/uProc.h"
#include "online/WebPanel.h"
#include "online/uConnectURLThread.h"
#include "settings/uKeyboardSet.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>

namespace {

struct IconMenuItem {
    const char* name;
    const char* caption;
};

// The icon menu, in order; the hidden mobile entry can never be chosen.
const IconMenuItem kIconMenuItems[] = {
    {"miShowMainForm", "显示主窗体(&S)"},  {"miKeyBoardSet", "键盘设置(&K)"},
    {"miOpinionFeedback", "意见反馈(&O)"}, {"miMobilVersion", "手机版本(&M)"},
    {"miTogether", "Veltrano网(&T)"},      {"miQuit", "退出系统(&Q)"},
};

} // namespace

void TfrmMain::ShowHeadPanel(bool online, const QString& address) {
    HeadPanel->Show(online, address);
}

void TfrmMain::ShowHomePanel(bool online, const QString& address) {
    HomePanel->Show(online, address);
    // The strip stays over the picture and over a browser made just now.
    lblRecordStrip->raise();
}

void TfrmMain::StartConnectCheck(bool checkHead, bool checkHome) {
    auto* check = new TConnectURLThread(HeadURL, HomeURL);
    check->CheckHead = checkHead;
    check->CheckHome = checkHome;
    connect(check, &TConnectURLThread::HeadChecked, this, &TfrmMain::ShowHeadPanel);
    connect(check, &TConnectURLThread::HomeChecked, this, &TfrmMain::ShowHomePanel);
    connect(check, &QThread::finished, check, &QObject::deleteLater);
    check->start();
}

void TfrmMain::VersionChecked(VersionCheckAnswer answer) {
    switch (answer) {
    case VersionCheckAnswer::Nothing:
        return;
    case VersionCheckAnswer::Latest:
        ShowMessageBox(this, QStringLiteral("本软件已经是最新版本！"), MsgIcon::Information);
        return;
    case VersionCheckAnswer::OpenDownload:
        OpenInExplorer(URLInfo.DownloadURL);
        return;
    case VersionCheckAnswer::Ask:
    case VersionCheckAnswer::AskThenQuit:
        break;
    }
    if (ShowMessageBox(this, QStringLiteral("发现本软件有新版本，是否下载新版本！"),
                       MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    OpenInExplorer(URLInfo.DownloadURL);
    if (answer == VersionCheckAnswer::AskThenQuit)
        QMetaObject::invokeMethod(this, &TfrmMain::QuitForUpdate, Qt::QueuedConnection);
}

void TfrmMain::QuitForUpdate() {
    Pause(1000);
    QCoreApplication::exit(0);
}

void TfrmMain::grpMoreOptionItems2Click() {
    OpenInExplorer(URLInfo.FeedbackURL);
}

void TfrmMain::grpMoreOptionItems3Click() {
    StartVersionCheck(2);
}

void TfrmMain::BuildIconMenu() {
    pmIcon = new QMenu(this);
    pmIcon->setObjectName("pmIcon");
    for (const IconMenuItem& item : kIconMenuItems) {
        QAction* action = pmIcon->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(item.name);
        connect(action, &QAction::triggered, this, [this, action] { miShowMainFormClick(action); });
    }
    QAction* mobile = pmIcon->findChild<QAction*>("miMobilVersion");
    mobile->setVisible(false);
    mobile->setEnabled(false);
}

void TfrmMain::TrayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    const QPoint cursor = QCursor::pos();
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        RestoreApplication();
        break;
    case QSystemTrayIcon::Context:
        raise();
        activateWindow();
        pmIcon->popup(cursor);
        break;
    default:
        break;
    }
}

void TfrmMain::RestoreApplication() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TfrmMain::miShowMainFormClick(QAction* sender) {
    const QString caption = sender->text();
    if (caption == QStringLiteral("显示主窗体(&S)")) {
        RestoreApplication();
    } else if (caption == QStringLiteral("键盘设置(&K)")) {
        RestoreApplication();
        TfrmKeyboardSet dialog(KeyMap, this);
        dialog.exec();
    } else if (caption == QStringLiteral("意见反馈(&O)")) {
        OpenInExplorer(URLInfo.FeedbackURL);
    } else if (caption == QStringLiteral("手机版本(&M)")) {
        return;
    } else if (caption == QStringLiteral("Veltrano网(&T)")) {
        OpenInExplorer(URLInfo.SiteURL);
    } else {
        close();
    }
}

void TfrmMain::SetSizeLimits(const TSizeLimits& limits) {
    SizeLimits = limits;
    // The window manager offers maximising only to a window whose size it may change, so
    // the fixed size is kept by the window itself (KeepRequiredSize), not by a maximum.
    setMinimumSize(limits.MinWidth, limits.MinHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void TfrmMain::KeepRequiredSize() {
    const QSize required = RequiredSize(SizeLimits, windowState());
    if (required.isValid() && size() != required)
        resize(required);
}

void TfrmMain::WMSysCommand(int command) {
    if (command == SC_MAXIMIZE) {
        SetSizeLimits(kMaximisedLimits);
        showMaximized();
    } else if (command == SC_RESTORE) {
        showNormal();
        SetSizeLimits(kFixedLimits);
        KeepRequiredSize();
    }
}

void TfrmMain::TitleBarDoubleClick() {
    WMSysCommand(SizeLimits.MaxHeight != 0 ? SC_MAXIMIZE : SC_RESTORE);
}

void TfrmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // The window manager's own maximise and restore (its buttons, its title bar) take the
    // same limits as the window's commands.
    if (isMaximized() || isFullScreen()) {
        SetSizeLimits(kMaximisedLimits);
    } else if (!isMinimized()) {
        SetSizeLimits(kFixedLimits);
        KeepRequiredSize();
    }
}
