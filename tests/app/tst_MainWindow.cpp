#include "app/GroupBar.h"
#include "app/Look.h"
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "exam/MockExamPage.h"
#include "practice/PathBar.h"
#include "practice/PracticePage.h"
#include "settings/AppPaths.h"
#include "settings/Configure.h"
#include "support/TestSupport.h"

#include "PrivateTempFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QStringList Captions(const GroupBarGroup* group) {
    QStringList captions;
    for (const QToolButton* item : group->Items())
        captions.append(item->text());
    return captions;
}

QString CurrentPage(const TfrmMain& window) {
    return window.pcMain->currentWidget()->objectName();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The window's private picture folder goes below a runtime folder of this test.
        qputenv("XDG_RUNTIME_DIR", RuntimeFolder.path().toLocal8Bit());
        // The program's own face, so that sizes that follow the font are the program's.
        Look::UseSongFace();
    }

    void init() { TestSupport::UseFreshDataFolder(false); }

    void titleWithoutSettingsHoldsOnlyItsFixedParts() {
        TfrmMain window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Veltrano助手"));
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Veltrano助手V1.4（）【】"));
        QCOMPARE(window.DriverInfo.SubAreaID, 1);
        QCOMPARE(window.DriverInfo.SubCarTypeID, 1);
        QCOMPARE(window.KeyMap.A, -1);
    }

    void titleAndCarTypeLineFollowTheSettings() {
        Configure::WriteString("DriverInfo", "SubCarTypeName", QStringLiteral("小车"));
        Configure::WriteString("DriverInfo", "SubCarTypeDesc", "C1/C2");
        Configure::WriteString("DriverInfo", "SubAreaName", QStringLiteral("北京"));
        Configure::WriteInteger("DriverInfo", "SubCarTypeID", 2);
        Configure::WriteInteger("Keyboard", "A", 7);
        TfrmMain window;
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Veltrano助手V1.4（小车C1/C2）【北京】"));
        QCOMPARE(window.KeyMap.A, 7);
        window.findChild<QToolButton*>("grpSubExerciseItems6")->click();
        QCOMPARE(CurrentPage(window), QStringLiteral("tsMockExam"));
        QCOMPARE(window.tsMockExam()->lblMockExamCarType->text(),
                 QStringLiteral("准驾车型：小车(B2/A2)"));
    }

    void carTypeLineChoosesTheLicenceGroup() {
        TDriverInfo driver;
        driver.SubCarTypeName = QStringLiteral("客车");
        const QStringList expected{"(A1/A3/B1)", "(C1/C2/C3/C4/C5)", "(B2/A2)", "(A1/A3/B1)",
                                   "(A1/A3/B1)"};
        for (int id = 0; id < 5; ++id) {
            driver.SubCarTypeID = id == 4 ? -1 : id;
            QCOMPARE(MockExamCarTypeText(driver), QStringLiteral("准驾车型：客车") + expected[id]);
        }
    }

    void layoutAndNavigationBarAreAsDesigned() {
        TfrmMain window;
        window.show();
        // The client area is the screen panel, with no empty band beside or below it.
        QCOMPARE(window.minimumSize(), QSize(1012, 720));
        QCOMPARE(window.size(), QSize(1012, 720));
        QCOMPARE(window.SizeLimits, kFixedLimits);
        QCOMPARE(window.pnlScreen->geometry(), window.rect());
        QCOMPARE(window.pnlScreen->size(), QSize(1012, 720));
        QCOMPARE(window.pnlMain->geometry(), QRect(162, 100, 850, 620));
        // The banner fills the header; its browser is made only when the site is reachable.
        QCOMPARE(window.imgHead->size(), QSize(1012, 100));
        QVERIFY(!window.findChild<QWidget*>("wbHead"));
        QCOMPARE(window.pcMain->size(), QSize(834, 604));
        // A start builds the home page alone; the others join on first use, whatever the
        // order of that use, at their place in the design.
        QCOMPARE(window.pcMain->count(), 1);
        window.tsPassEstimate();
        window.tsShowImage();
        window.tsFavourite();
        window.tsGradeQuery();
        window.tsReview();
        window.tsMockExam();
        window.tsWeakChapters();
        window.tsFilterTest();
        window.tsScoreChart();
        window.tsList();
        window.tsStudyTogether();
        window.tsSubList();
        QCOMPARE(window.tsSubList(), window.tsSubList());
        QStringList pages;
        for (int i = 0; i < window.pcMain->count(); ++i)
            pages.append(window.pcMain->widget(i)->objectName());
        // The design's pages, then the learner record's.
        QCOMPARE(pages,
                 (QStringList{"tsMainPage", "tsGradeQuery", "tsSubList", "tsStudyTogether",
                              "tsList", "tsFilterTest", "tsMockExam", "tsShowImage", "tsScoreChart",
                              "tsWeakChapters", "tsReview", "tsFavourite", "tsPassEstimate"}));

        QCOMPARE(window.findChild<GroupBarGroup*>("grpMainPage")->Caption(),
                 QStringLiteral(" 软件首页"));
        const auto* more = window.findChild<GroupBarGroup*>("grpMoreOption");
        const auto* teach = window.findChild<GroupBarGroup*>("grpDriveTeach");
        const auto* exercise = window.findChild<GroupBarGroup*>("grpSubExercise");
        QCOMPARE(more->Caption(), QStringLiteral("     关于软件       "));
        QCOMPARE(teach->Caption(), QStringLiteral("     驾驶课堂        "));
        QCOMPARE(exercise->Caption(), QStringLiteral("     理论学习        "));
        QCOMPARE(Captions(more).join(','),
                 QStringLiteral("软件说明,手机版本,意见反馈,软件更新,成绩查询,键盘设置"));
        QCOMPARE(Captions(teach).join(','),
                 QStringLiteral("交通法规,交通标志,交警手势,事故图解,仪表图解,评判标准,动画讲解"));
        QCOMPARE(Captions(exercise).join(','),
                 QStringLiteral("题库选择,章节练习,顺序练习,随机练习,专项练习,错题练习,模拟考试"));
        auto* mobile = window.findChild<QToolButton*>("grpMoreOptionItems1");
        QVERIFY(mobile->isHidden() && !mobile->isEnabled());

        // The first showing opens the theory group on the home page.
        QVERIFY(exercise->IsOpen() && !more->IsOpen() && !teach->IsOpen());
        QCOMPARE(CurrentPage(window), QStringLiteral("tsMainPage"));
    }

    void navigationShowsPagesAndKeepsOneGroupOpen() {
        TfrmMain window;
        window.show();
        const QList<QPair<QString, QString>> steps{
            {"grpSubExerciseItems1", "tsList"},         {"grpSubExerciseItems4", "tsFilterTest"},
            {"grpSubExerciseItems0", "tsMainPage"},     {"grpDriveTeachItems3", "tsShowImage"},
            {"grpMoreOptionItems0", "tsStudyTogether"}, {"grpMoreOptionItems4", "tsGradeQuery"},
        };
        for (const auto& [item, page] : steps) {
            auto* button = window.findChild<QToolButton*>(item);
            // 题库选择 opens its dialog modally; closing it keeps the page it showed.
            QTimer::singleShot(0, [] {
                if (QWidget* dialog = QApplication::activeModalWidget())
                    dialog->close();
            });
            button->click();
            QCOMPARE(CurrentPage(window), page);
            QCOMPARE(window.gbMainMenu->SelectedItem(), button);
        }
        auto* teach = window.findChild<GroupBarGroup*>("grpDriveTeach");
        teach->CaptionStrip()->click();
        QCOMPARE(window.gbMainMenu->OpenedGroup(), teach);
        // The home entry opens the theory group instead of its own empty group.
        window.findChild<GroupBarGroup*>("grpMainPage")->CaptionStrip()->click();
        QCOMPARE(window.gbMainMenu->OpenedGroup()->objectName(), QStringLiteral("grpSubExercise"));
        QCOMPARE(CurrentPage(window), QStringLiteral("tsMainPage"));
    }

    void practicePageFillsThePageArea() {
        TfrmMain window;
        window.show();
        window.ShowPage(window.tsSubList());
        const QSize page(834, 604);
        QCOMPARE(window.tsSubList()->size(), page);
        auto* upper = window.findChild<QWidget*>("pnlMain1");
        auto* lower = window.findChild<QWidget*>("pnlMain2");
        QCOMPARE(upper->geometry(), QRect(0, 0, 834, 415));
        QCOMPARE(lower->geometry(), QRect(0, 415, 834, 189));
        QCOMPARE(window.findChild<QWidget*>("pcSub")->geometry(), QRect(0, 20, 834, 169));
        QCOMPARE(window.pbMainPath()->geometry(), QRect(0, 0, 834, 30));
        QCOMPARE(window.findChild<QWidget*>("pbPlan")->geometry(), QRect(0, 397, 834, 18));
        QCOMPARE(window.findChild<QWidget*>("sgSubList")->size(), QSize(830, 139));
    }

    void failedPracticeLeavesTheHighlightOnTheShownPage() {
        TestSupport::UseFreshDataFolder(true);
        LoadLibraries();
        TdmMain dataModule;
        dataModule.DataModuleCreate(AppPaths::BankFile());
        QVERIFY(dataModule.Connected());
        dmMain = &dataModule;
        const auto noDataModule = qScopeGuard([] { dmMain = nullptr; });
        TfrmMain window;
        window.show();
        auto* chapters = window.findChild<QToolButton*>("grpSubExerciseItems1");
        chapters->click();
        QCOMPARE(CurrentPage(window), QStringLiteral("tsList"));
        // No question is marked wrong in a fresh bank.
        window.findChild<QToolButton*>("grpSubExerciseItems5")->click();
        QCOMPARE(MessageBoxHook::Recorded(),
                 QStringList{QStringLiteral("没有相关试题，请重新选择！")});
        QCOMPARE(CurrentPage(window), QStringLiteral("tsList"));
        QCOMPARE(window.gbMainMenu->SelectedItem(), chapters);
    }

    void showingAgainKeepsThePage() {
        TfrmMain window;
        window.show();
        window.findChild<QToolButton*>("grpSubExerciseItems6")->click();
        window.hide();
        window.show();
        QCOMPARE(CurrentPage(window), QStringLiteral("tsMockExam"));
    }

    void pathBarShowsOnlyNonEmptyItems() {
        TfrmMain window;
        window.SetPathBar(
            {QStringLiteral("（小车）"), QString(), QStringLiteral("顺序练习（共计5题）")});
        QCOMPARE(window.pbMainPath()->Items(),
                 (QStringList{QStringLiteral("（小车）"), QStringLiteral("顺序练习（共计5题）")}));
        QCOMPARE(window.pbMainPath()->Text(), QStringLiteral("（小车）>顺序练习（共计5题）"));
        window.SetPathBar({QString(), QString(), QString()});
        QVERIFY(window.pbMainPath()->Items().isEmpty());
    }

    void screenStaysCentredWhenTheWindowGrows() {
        TfrmMain window;
        window.show();
        QCOMPARE(window.pnlScreen->pos(), QPoint(0, 0));
        window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        // A client area of 1293 × 867 is a framed window of 1301 × 901:
        // top (901 - 720 - 40) div 2 + 3, left (1301 - 1012) div 2 - 4
        window.resize(1293, 867);
        QCOMPARE(window.pnlScreen->pos(), QPoint(140, 73));
    }

    void answeringNoKeepsTheWindowAndItsIcon() {
        TfrmMain window;
        window.show();
        MessageBoxHook::SetNextAnswer(MsgAnswer::No);
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QCOMPARE(MessageBoxHook::Recorded(),
                 QStringList{QStringLiteral("是否要退出Veltrano助手系统！")});
        QVERIFY(window.TrayIcon);
        QCOMPARE(window.TrayIcon->toolTip(), QStringLiteral("Veltrano助手V1.4"));
    }

    void closingEmptiesThePrivatePictureFolder() {
        const QString tavisk = QString::fromStdString(veltrano::PrivateTempFolder());
        QVERIFY(!tavisk.isEmpty());
        QVERIFY(QDir().mkpath(tavisk + "sub"));
        QFile picture(tavisk + "sub/S1.jpg");
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.close();
        TfrmMain window;
        window.show();
        MessageBoxHook::SetNextAnswer(MsgAnswer::Yes);
        QVERIFY(window.close());
        QVERIFY(!QFile::exists(tavisk + "sub/S1.jpg"));
        QVERIFY(QDir(tavisk + "sub").exists());
    }

    void trayIconFollowsItsOperations() {
        TfrmMain window;
        QSystemTrayIcon* icon = window.TrayIcon;
        QVERIFY(icon);
        window.SetTrayIcon("A");
        QCOMPARE(window.TrayIcon, icon);
        window.SetTrayIcon("x");
        QCOMPARE(window.TrayIcon, icon);
        window.SetTrayIcon("D");
        QVERIFY(!window.TrayIcon);
        window.SetTrayIcon("M");
        QVERIFY(!window.TrayIcon);
    }

private:
    QTemporaryDir RuntimeFolder;
};

QTEST_MAIN(MainWindowTest)
#include "tst_MainWindow.moc"
