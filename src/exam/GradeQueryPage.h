#pragma once

#include "app/Page.h"

#include <QList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

// One uploaded grade as the grade service returns it.
struct TGradeInfo {
    QString EmpID;
    QString EmpName;
    int UseTime = 0;
    QString ReferDate;
    int Mark = 0;
};

// The grade page "成绩查询": the uploaded grades of an ID number from a minimum score, in
// pages of 17 rows.
class GradeQueryPage : public TPage {
    Q_OBJECT
public:
    explicit GradeQueryPage(QWidget* parent = nullptr);

    // Opening the page: the last queried ID, an empty list.
    void OpenPage();
    void btnQueryClick();
    void ShowGradePage(int page);
    void cbQueryPageChange(int index);
    void tbFirstClick();
    void tbLastClick();
    void tbNextClick();
    void tbEndClick();

    QList<TGradeInfo> GradeList;

private:
    void BuildControls();

    QLineEdit* edtID = nullptr;
    QComboBox* cbMark = nullptr;
    QPushButton* btnQuery = nullptr;
    QTableWidget* sgGradeData = nullptr;
    QToolButton* tbFirst = nullptr;
    QToolButton* tbLast = nullptr;
    QToolButton* tbNext = nullptr;
    QToolButton* tbEnd = nullptr;
    QComboBox* cbQueryPage = nullptr;
    QLabel* lblQueryShowPage = nullptr;
};
