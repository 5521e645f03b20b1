#pragma once

#include "practice/TSub.h"
#include "settings/Configure.h"

#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTimer;

// What the exam window works on: the main window's question set, index, learner settings
// and key map, the main window itself (hidden while the exam runs) and the paper draw.
struct TExamSession {
    TSubList& SubList;
    int& SubIndex;
    TDriverInfo& DriverInfo;
    const TKeyMap& KeyMap;
    QWidget* MainWindow;
    std::function<bool()> LoadMockExamSubList;
};

// The exam window: full screen, frameless and in front, a sign-in panel, then the exam
// panel with one question at a time, a 45-minute countdown and an answer sheet of 100 cells.
// It deletes itself when closed and shows the main window again.
class TfrmMockExam : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMockExam(const TExamSession& session);
    ~TfrmMockExam() override;

    void btnMockExamLoginClick();
    void Timer1Timer();
    void btnLastClick();
    void btnNextClick();
    void btnAClick(QPushButton* button);
    void btnReferClick();
    void SubListLblClick(int number);
    // True when the key was taken by a key rule.
    bool FormKeyDown(int windowsKey);

    // Used by the confirmation dialog.
    int GetRightCount() const;
    void ShowWrongSubs();
    void StopCountdown();
    bool CountdownRunning() const;
    QString ClockText() const;
    const TDriverInfo& Learner() const { return Session.DriverInfo; }
    const TSubList& Paper() const { return Session.SubList; }

    bool InExam = false;
    bool AskOnClose = true;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormResize();
    void BuildLoginPanel();
    void BuildExamPanel();
    void InitMockExamLayout();
    void CreateSubListLbls();
    void ResetSubListLbls();
    void ShowExamSub(int n);
    void SetSubListLblColor(int newIndex, int oldIndex);
    void PaintCell(int n, const QColor& color);
    void StartCountdown();
    void StartRetake();

    TExamSession Session;
    bool Shown = false;
    std::array<QLabel*, 101> SubListLbls{};

    QWidget* pnlMockExamLogin = nullptr;
    QLabel* imgMockExamLogin = nullptr;
    QLineEdit* edtID = nullptr;
    QLineEdit* edtName = nullptr;
    QPushButton* btnMockExamLogin = nullptr;
    QWidget* pnlMockExam = nullptr;
    QLabel* imgMockExam = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblSex = nullptr;
    QLabel* lblCarType = nullptr;
    QTextEdit* reQuestion = nullptr;
    QWidget* pnlMockExamPic = nullptr;
    QLabel* imgSubPic = nullptr;
    QLabel* lblMyAnswer = nullptr;
    QPushButton* btnA = nullptr;
    QPushButton* btnB = nullptr;
    QPushButton* BtnC = nullptr;
    QPushButton* btnD = nullptr;
    QPushButton* btnLast = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnRefer = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblMsg = nullptr;
    QTimer* Timer1 = nullptr;
};

// The exam window while it is open; null otherwise.
extern TfrmMockExam* frmMockExam;

// Opens the exam window over a composed paper and hides the main window.
void OpenMockExam(const TExamSession& session);
