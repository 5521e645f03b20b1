#pragma once

#include "settings/Configure.h"

#include <QStringList>
#include <QWidget>

class FilterTestPage;
class GradeQueryPage;
class GroupBar;
class GroupBarGroup;
class ListPage;
class MainPage;
class MockExamPage;
class PathBar;
class QFrame;
class QLabel;
class QStackedWidget;
class QSystemTrayIcon;
class ShowImagePage;
class StudyTogetherPage;
class SubListPage;

// The window caption: "Veltrano助手V1.4（" + car type name and description + "）【" + area + "】".
QString MainTitleText(const TDriverInfo& driver);

// The main window: header, navigation bar and page area, the learner's settings and the
// navigation between the pages.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    void UpdateTitle();
    // Shows the non-empty texts of `items`, in order, in the path bar of the practice page.
    void SetPathBar(const QStringList& items);
    // "A" adds, "M" refreshes, "D" removes the status icon; any other text does nothing.
    void SetTrayIcon(const QString& op);
    void ShowPage(QWidget* page);

    void FormCreate();
    void FormShow();
    void FormResize();
    // Asks whether to quit; true only when the learner answers Yes.
    bool FormCloseQuery();
    void FormClose();

    void grpMainPageOpen();
    void grpSubExerciseItems0Click();
    void grpSubExerciseItems1Click();
    void grpSubExerciseItems2Click();
    void grpSubExerciseItems3Click();
    void grpSubExerciseItems4Click();
    void grpSubExerciseItems5Click();
    void grpSubExerciseItems6Click();
    void grpDriveTeachItemsClick();
    void grpMoreOptionItems0Click();
    void grpMoreOptionItems4Click();

    // Shared state.
    bool FirstShow = true;
    TDriverInfo DriverInfo;
    TKeyMap KeyMap;
    QStringList PathItems;

    // Controls, named as in the window's design.
    QWidget* pnlScreen;
    QWidget* pnlHead;
    QLabel* imgHead;
    QWidget* wbHead;
    QWidget* pnlMenu;
    GroupBar* gbMainMenu;
    GroupBarGroup* grpMainPage;
    GroupBarGroup* grpMoreOption;
    GroupBarGroup* grpDriveTeach;
    GroupBarGroup* grpSubExercise;
    QFrame* pnlMain;
    QStackedWidget* pcMain;
    MainPage* tsMainPage;
    GradeQueryPage* tsGradeQuery;
    SubListPage* tsSubList;
    StudyTogetherPage* tsStudyTogether;
    ListPage* tsList;
    FilterTestPage* tsFilterTest;
    MockExamPage* tsMockExam;
    ShowImagePage* tsShowImage;
    PathBar* pbMainPath;
    QSystemTrayIcon* TrayIcon = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildScreen();
    void BuildHead();
    void BuildMenu();
    void BuildPages();
};

// The main window of the run; null while none exists.
extern TfrmMain* frmMain;
