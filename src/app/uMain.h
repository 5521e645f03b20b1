#pragma once

#include "app/WindowSize.h"
#include "online/URLInfo.h"
#include "online/uGetExeVersionThread.h"
#include "practice/TSub.h"
#include "settings/Configure.h"

#include <QStringList>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>

class GroupBar;
class GradeQueryPage;
class GroupBarGroup;
class MainPage;
class MockExamPage;
class PathBar;
class QFrame;
class QKeyEvent;
class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolButton;
class QSystemTrayIcon;
class TFilterPage;
class TItemListPage;
class TPage;
class TPracticePage;
class TFavouritePage;
class TPassEstimatePage;
class TReviewPage;
class TScoreChartPage;
class TWeakChapterPage;
class TQuery;
class TTeachCatalogue;
class TTeachViewer;
class TWebPanel;

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
    void grpDriveTeachItems0Click();
    void grpDriveTeachItems1Click();
    void grpDriveTeachItems2Click();
    void grpDriveTeachItems3Click();
    void grpDriveTeachItems4Click();
    void grpDriveTeachItems5Click();
    void grpDriveTeachItems6Click();
    // Destroys the controls of the teaching viewer; navigation entries call it first.
    void FreeShowImageItems();
    void grpMoreOptionItems0Click();
    void grpMoreOptionItems2Click();
    void grpMoreOptionItems3Click();
    void grpMoreOptionItems4Click();
    void grpMoreOptionItems5Click();
    void btnStartMockExamClick();
    // The 学习记录 group: score chart, weak chapters, review, favourites, pass estimate.
    void grpStudyRecordItems0Click();
    void grpStudyRecordItems1Click();
    void grpStudyRecordItems2Click();
    void grpStudyRecordItems3Click();
    void grpStudyRecordItems4Click();
    // The review entry's due count and the home page's record strip, after a change of the
    // learner record.
    void RefreshRecordViews();
    // Practises the questions `subIDs` as a set under the path `mode`; a click on the mode
    // in the path bar returns through `back`.
    void StartRecordPractice(const QString& mode, const QList<int>& subIDs,
                             void (TfrmMain::*back)());
    void PractiseWeakChapter(int chapterID, const QString& title);

    // Draws a mock-exam paper into SubList and sets SubIndex to 1; false, with a message and
    // SubList as it was, when the bank gives no question.
    bool LoadMockExamSubList();

    // Web panels: the header and the home page show the site's page (online) or their
    // local picture.
    void ShowHeadPanel(bool online, const QString& address);
    void ShowHomePanel(bool online, const QString& address);
    // A connection check of the header and/or home address on its own thread.
    void StartConnectCheck(bool checkHead, bool checkHome);
    // A version check on its own thread: mode 1 at start-up, 2 on request.
    void StartVersionCheck(int mode);
    void VersionChecked(VersionCheckAnswer answer);
    // Ends the program a second later, without the close question.
    void QuitForUpdate();

    // Status icon and window commands.
    void RestoreApplication();
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void miShowMainFormClick(QAction* sender);
    // SC_MAXIMIZE lifts the size limits and maximises; SC_RESTORE restores and fixes the
    // window at 1020 × 754 again.
    void WMSysCommand(int command);
    // The title bar's double click: maximises a fixed window, restores a maximised one.
    void TitleBarDoubleClick();
    void SetSizeLimits(const TSizeLimits& limits);
    // A normal window with fixed limits returns to its fixed size (after a drag of its frame).
    void KeepRequiredSize();

    // The practice set: loads the learner's questions narrowed by `Extra` in chapter order
    // (Order 1) or random order, resets the practice page and shows question 1; false, with
    // everything as it was, when no question was loaded.
    bool LoadPractice(const QString& Extra, int Order);
    // Replaces SubList by the rows of an open result and numbers the question grid for it.
    void LoadSubList(TQuery& DataSet);
    // The chapter list on tsList; a click on a chapter opens its practice set.
    void ShowChapterList();
    // A click on a row of the item list: `tag` is the item's key, `hint` its hint.
    void ListItemClick(int tag, const QString& hint);
    // The special practice set of a chosen filter.
    void StartFilterPractice(const QString& extra, int order, const QString& caption);
    // Keys reach the window before the focused control; true when the key was used.
    bool FormKeyDown(QKeyEvent& Key);

    // Shared state.
    bool FirstShow = true;
    TDriverInfo DriverInfo;
    TKeyMap KeyMap;
    QStringList PathItems;
    TSubList SubList;
    int SubIndex = 0;
    TSizeLimits SizeLimits = kFixedLimits;
    TURLInfo URLInfo;
    QString HeadURL;
    QString HomeURL;

    // Controls, named as in the window's design.
    QWidget* pnlScreen;
    QWidget* pnlHead;
    QLabel* imgHead;
    TWebPanel* HeadPanel;
    QWidget* pnlMenu;
    GroupBar* gbMainMenu;
    GroupBarGroup* grpMainPage;
    GroupBarGroup* grpMoreOption;
    GroupBarGroup* grpDriveTeach;
    GroupBarGroup* grpSubExercise;
    GroupBarGroup* grpStudyRecord;
    QFrame* pnlMain;
    QStackedWidget* pcMain;
    // The home page, shown at start, and its areas.
    MainPage* tsMainPage;
    TWebPanel* HomePanel;
    // Today's due reviews and the last score, over the bottom of the home page.
    QLabel* lblRecordStrip;
    QSystemTrayIcon* TrayIcon = nullptr;
    QMenu* pmIcon;

    // The other pages are built, and join pcMain, when first used: a start then lays out
    // and shapes the texts of the home page alone.
    GradeQueryPage* tsGradeQuery();
    TPracticePage* tsSubList();
    TPage* tsStudyTogether();
    TItemListPage* tsList();
    TFilterPage* tsFilterTest();
    MockExamPage* tsMockExam();
    TTeachViewer* tsShowImage();
    TScoreChartPage* tsScoreChart();
    TWeakChapterPage* tsWeakChapters();
    TReviewPage* tsReview();
    TFavouritePage* tsFavourite();
    TPassEstimatePage* tsPassEstimate();
    // The path bar at the top of the practice page.
    PathBar* pbMainPath();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildScreen();
    void BuildHead();
    void BuildMenu();
    void BuildMainPage();
    void BuildRecordStrip();
    // The one place where a page is made: built by `build` on its first use and added to
    // pcMain; later uses get the same page.
    template <typename Page, typename Build> Page* PageOnFirstUse(Page*& page, Build build) {
        if (!page) {
            page = build();
            AddPage(page);
        }
        return page;
    }
    void AddPage(QWidget* page);
    TTeachCatalogue& Classroom();
    void BuildIconMenu();
    void StartPractice(const QString& mode, const QString& extra, int order);
    // Shows the loaded set under the path "【car type】" > `second` > `third`; a click on
    // `second` runs `back` when one is given.
    void OpenPracticeSet(const QString& second, const QString& third, void (TfrmMain::*back)());

    // The navigation item highlighted when the page now shown was opened.
    QToolButton* ShownPageItem = nullptr;
    // The pages built so far; null until first used.
    struct TBuiltPages {
        GradeQueryPage* tsGradeQuery = nullptr;
        TPracticePage* tsSubList = nullptr;
        TPage* tsStudyTogether = nullptr;
        TItemListPage* tsList = nullptr;
        TFilterPage* tsFilterTest = nullptr;
        MockExamPage* tsMockExam = nullptr;
        TTeachViewer* tsShowImage = nullptr;
        TScoreChartPage* tsScoreChart = nullptr;
        TWeakChapterPage* tsWeakChapters = nullptr;
        TReviewPage* tsReview = nullptr;
        TFavouritePage* tsFavourite = nullptr;
        TPassEstimatePage* tsPassEstimate = nullptr;
    } Built;
    PathBar* MainPath = nullptr;
    // The driving classroom's entries, made with its pages.
    std::unique_ptr<TTeachCatalogue> TeachCatalogue;
};

// The main window of the run; null while none exists.
extern TfrmMain* frmMain;
