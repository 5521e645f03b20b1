// The status icon's menu, the "关于软件" entries, the description page and the window's
// size commands.
#include "app/GroupBar.h"
#include "app/Page.h"
#include "app/WindowSize.h"
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "online/URLInfo.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QStringList VisibleCaptions(const QList<QAction*>& actions) {
    QStringList captions;
    for (const QAction* action : actions) {
        if (action->isVisible())
            captions.append(action->text());
    }
    return captions;
}

QAction* MenuItem(TfrmMain& window, const char* name) {
    return window.pmIcon->findChild<QAction*>(name);
}

} // namespace

class WindowCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        TestSupport::UseFreshDataFolder(false);
        qputenv("VELTRANO_SITE", "site.lan:8000");
        OpenRecorder::Enable(true);
    }

    void iconMenuHasItsItemsAndOneHandler() {
        TfrmMain window;
        QCOMPARE(window.TrayIcon->toolTip(), QStringLiteral("Veltrano助手V1.4"));
        QCOMPARE(VisibleCaptions(window.pmIcon->actions()),
                 QStringList({"显示主窗体(&S)", "键盘设置(&K)", "意见反馈(&O)", "Veltrano网(&T)",
                              "退出系统(&Q)"}));
        QAction* mobile = MenuItem(window, "miMobilVersion");
        QVERIFY(!mobile->isVisible() && !mobile->isEnabled());
        MenuItem(window, "miOpinionFeedback")->trigger();
        MenuItem(window, "miTogether")->trigger();
        mobile->trigger();
        QCOMPARE(OpenRecorder::Opened(),
                 QStringList({"http://site.lan:8000/tellme/", "http://site.lan:8000"}));
    }

    void quitAsksAndNoKeepsTheProgramWithItsIcon() {
        TfrmMain window;
        window.show();
        MessageBoxHook::SetNextAnswer(MsgAnswer::No);
        MenuItem(window, "miQuit")->trigger();
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{"是否要退出Veltrano助手系统！"});
        QVERIFY(window.isVisible());
        QVERIFY(window.TrayIcon);
        MessageBoxHook::SetNextAnswer(MsgAnswer::Yes);
        MenuItem(window, "miQuit")->trigger();
        QVERIFY(!window.isVisible());
    }

    void keyboardItemRestoresBeforeTheDialog() {
        TfrmMain window;
        window.show();
        window.showMinimized();
        bool minimisedDuringDialog = true;
        QTimer::singleShot(0, &window, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            minimisedDuringDialog = window.isMinimized();
            if (dialog)
                dialog->close();
        });
        MenuItem(window, "miKeyBoardSet")->trigger();
        QVERIFY(!minimisedDuringDialog);
        window.showMinimized();
        window.TrayIconActivated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!window.isMinimized());
    }

    void aboutGroupEntriesAndDescription() {
        TfrmMain window;
        window.show();
        QStringList shown;
        for (const QToolButton* item : window.grpMoreOption->Items())
            shown.append(item->isHidden() ? "(" + item->text() + ")" : item->text());
        QCOMPARE(shown, QStringList({"软件说明", "(手机版本)", "意见反馈", "软件更新", "成绩查询",
                                     "键盘设置"}));
        window.findChild<QToolButton*>("grpMoreOptionItems2")->click();
        QCOMPARE(OpenRecorder::Opened(), QStringList{"http://site.lan:8000/tellme/"});
        window.findChild<QToolButton*>("grpMoreOptionItems0")->click();
        QCOMPARE(window.pcMain->currentWidget(), window.tsStudyTogether());
        const auto* text = window.tsStudyTogether()->findChild<QPlainTextEdit*>("reStudyTogether");
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->geometry(), QRect(36, 85, 760, 481));
        const QString description = text->toPlainText();
        const QStringList required{"软件6大特点：", "章节练习", "顺序练习", "随机练习", "专项练习",
                                   "错题练习",      "模拟考试", "交通法规", "交通标志", "交警手势",
                                   "事故图解",      "仪表图解", "评判标准", "动画讲解", "地区题库",
                                   "仿真考试",      "试题分析", "驾驶课堂", "理论学习"};
        for (const QString& part : required)
            QVERIFY2(description.contains(part), qPrintable(part));
    }

    void maximiseLiftsTheLimitAndRestoreFixesIt() {
        TfrmMain window;
        window.show();
        QCOMPARE(window.SizeLimits, kFixedLimits);
        window.WMSysCommand(SC_MAXIMIZE);
        QCOMPARE(window.SizeLimits, kMaximisedLimits);
        QVERIFY(window.isMaximized());
        window.WMSysCommand(SC_RESTORE);
        QCOMPARE(window.SizeLimits, kFixedLimits);
        QCOMPARE(window.size(), QSize(1012, 720));
        window.TitleBarDoubleClick();
        QVERIFY(window.isMaximized());
        QCOMPARE(window.SizeLimits, kMaximisedLimits);
        window.TitleBarDoubleClick();
        QVERIFY(!window.isMaximized());
        QCOMPARE(window.size(), QSize(1012, 720));
        window.WMSysCommand(0xF060);
        QCOMPARE(window.SizeLimits, kFixedLimits);
    }

    void fixedSizeHoldsOnlyForANormalWindowWithFixedLimits() {
        QCOMPARE(RequiredSize(kFixedLimits, Qt::WindowNoState), QSize(1012, 720));
        QCOMPARE(RequiredSize(kFixedLimits, Qt::WindowActive), QSize(1012, 720));
        QVERIFY(!RequiredSize(kFixedLimits, Qt::WindowMaximized).isValid());
        QVERIFY(!RequiredSize(kFixedLimits, Qt::WindowMinimized).isValid());
        QVERIFY(!RequiredSize(kFixedLimits, Qt::WindowFullScreen).isValid());
        QVERIFY(!RequiredSize(kMaximisedLimits, Qt::WindowNoState).isValid());
        QVERIFY(!RequiredSize({1012, 720, 1200, 720}, Qt::WindowNoState).isValid());
    }

    void dragOfTheFrameReturnsToTheFixedSize() {
        TfrmMain window;
        window.show();
        window.resize(1100, 800);
        QTRY_COMPARE(window.size(), QSize(1012, 720));
        window.WMSysCommand(SC_MAXIMIZE);
        QTest::qWait(50);
        const QSize maximised = window.size();
        QVERIFY(maximised != QSize(1012, 720));
        QTest::qWait(50);
        QCOMPARE(window.size(), maximised);
    }
};

QTEST_MAIN(WindowCommandsTest)
#include "tst_WindowCommands.moc"
