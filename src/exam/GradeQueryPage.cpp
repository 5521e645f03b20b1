#include "exam/GradeQueryPage.h"

#include "app/Look.h"

#include "data/MessageBox.h"
#include "data/TQuery.h"
#include "data/uProc.h"
#include "exam/GradeRules.h"
#include "settings/Configure.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QToolTip>

namespace {

const QString QueryGrade = QStringLiteral("QueryGrade");

template <typename T> T* Place(T* control, const char* name, int x, int y) {
    control->setObjectName(QString::fromLatin1(name));
    control->move(x, y);
    return control;
}

void SetColors(QWidget* widget, const QColor& text, const QColor& background) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

QString Quoted(const QString& text) {
    return QStringLiteral("'") + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QStringLiteral("'");
}

} // namespace

GradeQueryPage::GradeQueryPage(QWidget* parent)
    : TPage(QStringLiteral("tsGradeQuery"), QStringLiteral("成绩查询"), parent) {
    setFont(Look::SongFont(14, false));
    BuildControls();
}

void GradeQueryPage::BuildControls() {
    const QColor navy(0, 0, 128);
    auto* strip = new QFrame(this);
    strip->setObjectName("pnllblMockExam1");
    strip->setGeometry(0, 0, 832, 35);
    strip->setFrameShape(QFrame::Box);
    SetColors(strip, QColor(0, 0, 0), QColor(237, 247, 245));
    Place(new QLabel(QStringLiteral("理论学科模拟考试成绩"), strip), "lblQueryTitle", 320, 11)
        ->setFont(Look::SongFont(16, true));

    auto* band = new QWidget(this);
    band->setObjectName("pnlGradeQuery1");
    band->setGeometry(0, 0, 832, 100);
    band->lower();
    Place(new QLabel(QStringLiteral("请输入证件号码查询："), band), "lblID", 77, 61);
    edtID = Place(new QLineEdit(band), "edtID", 219, 57);
    edtID->resize(160, 22);
    edtID->setMaxLength(25);
    cbMark = Place(new QComboBox(band), "cbMark", 427, 57);
    cbMark->resize(50, 22);
    for (int mark = 90; mark <= 100; ++mark)
        cbMark->addItem(QString::number(mark));
    cbMark->setFont(Look::SongFont(14, true));
    SetColors(cbMark, navy, QColor());
    QLabel* lblMark = Place(new QLabel(QStringLiteral("分数以上的成绩"), band), "lblMark", 484, 62);
    lblMark->setFont(Look::SongFont(14, true));
    SetColors(lblMark, navy, QColor());
    btnQuery = Place(new QPushButton(QStringLiteral("查 询"), band), "btnQuery", 638, 50);
    btnQuery->resize(100, 35);
    connect(btnQuery, &QPushButton::clicked, this, &GradeQueryPage::btnQueryClick);
    connect(edtID, &QLineEdit::returnPressed, this, &GradeQueryPage::btnQueryClick);

    sgGradeData = Place(new QTableWidget(1, 6, this), "sgGradeData", 0, 100);
    sgGradeData->resize(832, 455);
    sgGradeData->horizontalHeader()->hide();
    sgGradeData->verticalHeader()->hide();
    sgGradeData->verticalHeader()->setDefaultSectionSize(24);
    sgGradeData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgGradeData->setSelectionMode(QAbstractItemView::NoSelection);
    sgGradeData->setShowGrid(false);
    sgGradeData->setStyleSheet(QStringLiteral(
        "QTableWidget::item { border-bottom: 1px solid rgb(192, 220, 192); color: black; }"));

    Place(new QLabel(QStringLiteral("注：软件仅记录90分以上的成绩"), this), "lblQueryHint", 61,
          571);
    const QStyle::StandardPixmap icons[] = {
        QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward, QStyle::SP_MediaSeekForward,
        QStyle::SP_MediaSkipForward};
    const char* names[] = {"tbFirst", "tbLast", "tbNext", "tbEnd"};
    QToolButton** buttons[] = {&tbFirst, &tbLast, &tbNext, &tbEnd};
    for (int i = 0; i < 4; ++i) {
        auto* button = Place(new QToolButton(this), names[i], 296 + 24 * i, 568);
        button->resize(23, 22);
        button->setIcon(style()->standardIcon(icons[i]));
        button->setEnabled(false);
        *buttons[i] = button;
    }
    connect(tbFirst, &QToolButton::clicked, this, &GradeQueryPage::tbFirstClick);
    connect(tbLast, &QToolButton::clicked, this, &GradeQueryPage::tbLastClick);
    connect(tbNext, &QToolButton::clicked, this, &GradeQueryPage::tbNextClick);
    connect(tbEnd, &QToolButton::clicked, this, &GradeQueryPage::tbEndClick);
    cbQueryPage = Place(new QComboBox(this), "cbQueryPage", 411, 567);
    cbQueryPage->resize(70, 22);
    cbQueryPage->setFont(Look::SongFont(14, true));
    SetColors(cbQueryPage, navy, QColor());
    connect(cbQueryPage, &QComboBox::activated, this, &GradeQueryPage::cbQueryPageChange);
    Place(new QLabel(QStringLiteral("页"), this), "lblQueryPage", 489, 571);
    lblQueryShowPage = Place(new QLabel(RecordCountText(0), this), "lblQueryShowPage", 605, 571);
    lblQueryShowPage->setMinimumWidth(220);
}

void GradeQueryPage::OpenPage() {
    edtID->setText(Configure::ReadString(QueryGrade, QStringLiteral("ID")));
    const int widths[] = {50, 220, 120, 120, 200, 100};
    const char* headers[] = {"序号", "证件号码", "姓名", "用时", "交卷时间", "分数"};
    const QColor tip = QToolTip::palette().color(QPalette::ToolTipBase);
    for (int column = 0; column < 6; ++column) {
        sgGradeData->setColumnWidth(column, widths[column]);
        auto* item = new QTableWidgetItem(QString::fromUtf8(headers[column]));
        item->setTextAlignment(Qt::AlignCenter);
        item->setBackground(tip);
        sgGradeData->setItem(0, column, item);
    }
    cbQueryPage->clear();
    GradeList.clear();
    ShowGradePage(1);
    lblQueryShowPage->setText(RecordCountText(0));
}

void GradeQueryPage::btnQueryClick() {
    const QString id = edtID->text().trimmed();
    if (id.isEmpty()) {
        ShowMessageBox(window(), QStringLiteral("证件号码不能为空！"), MsgIcon::Warning);
        return;
    }
    Configure::WriteString(QueryGrade, QStringLiteral("ID"), edtID->text());
    TQuery dataset;
    const QString command = QStringLiteral("exec procSelectGrade ") + Quoted(id) +
                            QStringLiteral(",") + cbMark->currentText();
    if (!ExecRemoteSQL(dataset, command, QStringLiteral("Active"), true))
        return;
    const int rows = dataset.RecordCount();
    lblQueryShowPage->setText(RecordCountText(rows));
    GradeList.clear();
    cbQueryPage->clear();
    cbQueryPage->addItems(GradePageItems(GradePageCount(rows)));
    for (dataset.First(); !dataset.Eof(); dataset.Next())
        GradeList.append({dataset.FieldByName("EmpID").toString(),
                          dataset.FieldByName("EmpName").toString(),
                          dataset.FieldByName("UseTime").toInt(),
                          ReferDateText(dataset.FieldByName("ReferDate").toString()),
                          dataset.FieldByName("Mark").toInt()});
    ShowGradePage(1);
    if (rows == 0)
        ShowMessageBox(window(),
                       QStringLiteral("抱歉！没有") + cbMark->currentText() +
                           QStringLiteral("分以上的成绩。"),
                       MsgIcon::Information);
}

void GradeQueryPage::ShowGradePage(int page) {
    const int rows = int(GradeList.size());
    const int first = GradePageFirstRow(page);
    const int last = GradePageLastRow(page, rows);
    sgGradeData->setRowCount(qMax(last - first + 2, 1));
    for (int k = first, r = 1; k <= last; ++k, ++r) {
        QCoreApplication::processEvents();
        const TGradeInfo& grade = GradeList[k - 1];
        const QString cells[] = {QString::number(r), grade.EmpID,
                                 grade.EmpName,      UseTimeText(grade.UseTime),
                                 grade.ReferDate,    QString::number(grade.Mark)};
        for (int column = 0; column < 6; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(Qt::AlignCenter);
            sgGradeData->setItem(r, column, item);
        }
    }
    const TPageButtons buttons = GradePageButtons(page, int(cbQueryPage->count()));
    tbFirst->setEnabled(buttons.FirstAndLast);
    tbLast->setEnabled(buttons.FirstAndLast);
    tbNext->setEnabled(buttons.NextAndEnd);
    tbEnd->setEnabled(buttons.NextAndEnd);
    const QSignalBlocker blocker(cbQueryPage);
    cbQueryPage->setCurrentIndex(page - 1);
}

void GradeQueryPage::cbQueryPageChange(int index) {
    ShowGradePage(GradePageOfItem(cbQueryPage->itemText(index)));
}

void GradeQueryPage::tbFirstClick() {
    ShowGradePage(1);
}

void GradeQueryPage::tbLastClick() {
    ShowGradePage(cbQueryPage->currentIndex());
}

void GradeQueryPage::tbNextClick() {
    ShowGradePage(cbQueryPage->currentIndex() + 2);
}

void GradeQueryPage::tbEndClick() {
    ShowGradePage(int(cbQueryPage->count()));
}
