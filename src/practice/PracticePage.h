#pragma once

#include "app/Page.h"
#include "practice/TSub.h"
#include "settings/Configure.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QVBoxLayout;
class TPlanBar;
class TQuery;
class TSubListGrid;

// The practice page tsSubList: the question on screen with its options, picture, answer
// buttons, correct answer, statistics and progress bar, and below it the question grid and
// the explanation. It works on the main window's question set and key map, which it is
// handed at creation.
class TPracticePage : public TPage {
    Q_OBJECT
public:
    TPracticePage(TSubList& subList, int& subIndex, const TKeyMap& keyMap,
                  const TDriverInfo& driverInfo, QWidget* parent = nullptr);

    // Puts the main window's path bar across the top of the page.
    void PlacePathBar(QWidget* pathBar);

    // Replaces the set by the rows of an open result and numbers the grid and the progress
    // bar for it; the caller closes the result and sets SubIndex.
    void LoadSubList(TQuery& dataSet);
    // Loads the learner's questions narrowed by `extra` in the given order, resets the page
    // and shows question 1. False, with the set and page as they were, when nothing loaded.
    bool LoadPractice(const QString& extra, int order);
    void ShowSub(int index);
    // The page's share of the main window's key handler: true when `windowsKey` was taken
    // by a key rule and must not reach the focused control.
    bool FormKeyDown(int windowsKey);
    void FocusGrid();

    void btnAClick(QPushButton* button);
    void btnLastClick();
    void btnNextClick();
    void btnSetErrorClick();
    // Stars the question on screen for 我的收藏, or takes the star away.
    void btnFavouriteClick();
    void btnHintResultClick();
    void sgSubListClicked(int question);
    void pbPlanMouseDown(int x);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildUpperPanel();
    void BuildAnswerLine(QWidget* panel);
    void BuildButtons(QWidget* panel);
    void BuildLowerPanel();
    void ShowSubPicture(const TSub& sub);
    void ShowAnalyse(const TSub& sub);
    void ShowScore();
    void ShowRightAnswer(bool visible);
    void ShowFavourite(const TSub& sub);
    void GoTo(int index);

    TSubList& SubList;
    int& SubIndex;
    const TKeyMap& KeyMap;
    const TDriverInfo& DriverInfo;

    QWidget* pnlMain1 = nullptr;
    QWidget* pnlMain2 = nullptr;
    QVBoxLayout* UpperLayout = nullptr;
    QTextEdit* reQuestion = nullptr;
    QFrame* pnlMain3 = nullptr;
    QLabel* imgSubPic = nullptr;
    QLabel* lblRightAnswer = nullptr;
    QLabel* lbl2 = nullptr;
    QLabel* lblRightAnswer1 = nullptr;
    QLabel* lblMyAnswer = nullptr;
    QLabel* lbl1 = nullptr;
    QLabel* lblMyAnswer1 = nullptr;
    QLabel* lblSubResultMark = nullptr;
    QPushButton* btnA = nullptr;
    QPushButton* btnB = nullptr;
    QPushButton* btnC = nullptr;
    QPushButton* btnD = nullptr;
    QPushButton* btnSetError = nullptr;
    QPushButton* btnFavourite = nullptr;
    QPushButton* btnHintResult = nullptr;
    QPushButton* btnLast = nullptr;
    QPushButton* btnNext = nullptr;
    QLabel* lblRightRate = nullptr;
    QLabel* lblAllAndRight = nullptr;
    TPlanBar* pbPlan = nullptr;
    QTabWidget* pcSub = nullptr;
    TSubListGrid* sgSubList = nullptr;
    QTextEdit* reSubAnalyse = nullptr;
    QCheckBox* cbToNextSub = nullptr;
    QCheckBox* cbSoundHint = nullptr;
};
