#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TfrmMockExam;

// The submission dialog of the exam window, with two faces: the confirmation ("确认交卷",
// "继续考试") and, after submitting, the result ("查看错题", "关 闭").
class TfrmConfirmRefer : public QDialog {
    Q_OBJECT
public:
    explicit TfrmConfirmRefer(TfrmMockExam& exam);
    ~TfrmConfirmRefer() override;

    void btnOKClick();
    void btnCancelClick();
    // The countdown ran out while the dialog is open: submit now if not yet submitted.
    void SubmitNow();

    QLabel* lbl1;
    QLabel* lbl2;
    QLabel* lbl3;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void InsertGrade(int mark);

    TfrmMockExam& Exam;
};

// The dialog while it is open; null otherwise. One at a time.
extern TfrmConfirmRefer* frmConfirmRefer;

// Opens the confirmation over the exam window, modally, unless one is open already.
void ConfirmRefer(TfrmMockExam& exam);
