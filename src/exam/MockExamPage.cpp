#include "exam/MockExamPage.h"

#include "app/Look.h"

#include "data/MessageBox.h"
#include "data/uProc.h"
#include "exam/MockExamRules.h"
#include "exam/PaperRules.h"
#include "practice/AnswerRule.h"
#include "settings/Configure.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

QString MockExamCarTypeText(const TDriverInfo& driver) {
    QString group;
    switch (driver.SubCarTypeID) {
    case 1:
        group = QStringLiteral("(C1/C2/C3/C4/C5)");
        break;
    case 2:
        group = QStringLiteral("(B2/A2)");
        break;
    default:
        group = QStringLiteral("(A1/A3/B1)");
    }
    return QStringLiteral("准驾车型：") + driver.SubCarTypeName + group;
}

namespace {

// A row of the proportion table: the chapter, then each share padded by spaces to its column
// stop, measured in pixels of the label's font.
QString TableRow(const QString& chapter, const QStringList& shares, const QFontMetrics& metrics) {
    const int stops[] = {440, 580, 680};
    QString row = chapter;
    for (qsizetype i = 0; i < shares.size(); ++i) {
        do
            row += QLatin1Char(' ');
        while (metrics.horizontalAdvance(row) < stops[i]);
        row += shares[i];
    }
    return row;
}

QLabel* PageLabel(QWidget* parent, const QString& name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->setFont(Look::SongFont(14, false));
    return label;
}

} // namespace

QStringList MockExamProportionRows(const QFontMetrics& metrics) {
    const char* chapters[][4] = {
        {"一、道路交通安全法律、法规和规章", "25%", "25%", "25%"},
        {"二、交通信号及其含义", "20%", "15%", "15%"},
        {"三、安全行车、文明驾驶知识", "20%", "20%", "20%"},
        {"四、恶劣气象和复杂道路条件下的安全驾驶知识", "10%", "10%", "10%"},
        {"五、出现紧急情况时临危处置知识", "10%", "10%", "10%"},
        {"六、机动车构造和安全装置、检查和维护基本知识", "5%", "5%", "5%"},
        {"七、事故后的自救、急救以及常见危险化学品知识", "5%", "5%", "5%"},
        {"八、客车专用试题", "0%", "0%", "5%"},
        {"九、货车专用试题", "0%", "5%", "0%"},
        {"十、地方法规试题", "5%", "5%", "5%"},
    };
    QStringList rows{TableRow(
        QStringLiteral("章节"),
        {QStringLiteral("C1/C2/C3/C4/C5"), QStringLiteral("B2/B1"), QStringLiteral("A1/A3/B1")},
        metrics)};
    for (const auto& chapter : chapters)
        rows.append(TableRow(QString::fromUtf8(chapter[0]),
                             {QString::fromUtf8(chapter[1]), QString::fromUtf8(chapter[2]),
                              QString::fromUtf8(chapter[3])},
                             metrics));
    return rows;
}

bool ComposeMockExamPaper(const TDriverInfo& driver, TSubList& paper, QWidget* owner) {
    TQuery& query = SharedQuery();
    const QString noQuestion = QStringLiteral("没有相关试题，请重新选择！");
    // A car type without a count column draws no paper; the learner is told so.
    if (!ExecLocalSQL(query, PaperCountSQL(driver.SubCarTypeID, driver.SubAreaID),
                      QStringLiteral("Open"), false)) {
        ShowMessageBox(owner, noQuestion, MsgIcon::Information);
        return false;
    }
    const QList<TChapterCount> entries = ChapterCounts(query, driver.SubAreaID);
    query.Close();
    // A bank made before related groups existed has none: every question stands alone.
    const TRelatedGroups groups =
        ExecLocalSQL(query, RelatedGroupsSQL(), QStringLiteral("open"), false)
            ? RelatedGroups(query)
            : TRelatedGroups();
    query.Close();
    if (!ExecLocalSQL(query, PaperSQL(entries), QStringLiteral("open"), true))
        return false;
    PickPaper(query, entries, groups);
    TSubList drawn = ReadSubList(query);
    query.Close();
    CutPaper(drawn);
    if (QuestionCount(drawn) < 1) {
        ShowMessageBox(owner, noQuestion, MsgIcon::Information);
        return false;
    }
    paper = drawn;
    return true;
}

MockExamPage::MockExamPage(QWidget* parent)
    : TPage("tsMockExam", QStringLiteral("模拟考试"), parent) {
    PageLabel(this, "lblMockExamTime", QStringLiteral("考生时间：45分钟"), 32, 22);
    lblMockExamCarType =
        PageLabel(this, "lblMockExamCarType", QStringLiteral("准驾车型："), 32, 54);
    lblMockExamCarType->setMinimumWidth(440);
    PageLabel(this, "lblMockExamCount",
              QStringLiteral("考题数量：100题（按公安部规定比例随机抽取）"), 32, 86);
    PageLabel(this, "lblMockExamStandard",
              QStringLiteral("合格标准：满分为100分，达到90分即为合格"), 32, 118);
    PageLabel(this, "lblMockExamExplain",
              QStringLiteral("界面说明：考试界面为公安部规定标准考试界面"), 32, 150);

    auto* hint = new QFrame(this);
    hint->setObjectName("pnlMockExamHint");
    hint->setGeometry(31, 192, 760, 35);
    hint->setFrameShape(QFrame::Box);
    hint->setStyleSheet(QStringLiteral("#pnlMockExamHint { background: rgb(237, 247, 245); "
                                       "border: 1px solid rgb(160, 160, 160); }"));
    QLabel* hintLabel =
        PageLabel(hint, "lblMockExamHint", QStringLiteral("考试大纲中规定的各章节比例："), 16, 11);
    hintLabel->setFont(Look::SongFont(16, true));

    const QStringList header = MockExamProportionRows(QFontMetrics(Look::SongFont(14, true)));
    const QStringList rows = MockExamProportionRows(QFontMetrics(Look::SongFont(14, false)));
    QLabel* title = PageLabel(this, "lbllblMockExamTitle", header[0], 32, 254);
    title->setFont(Look::SongFont(14, true));
    for (int row = 1; row < rows.size(); ++row)
        PageLabel(this, QStringLiteral("lblMockExam%1").arg(row), rows[row], 32,
                  286 + 24 * (row - 1));

    btnStartMockExam = new QPushButton(QStringLiteral("开始答题"), this);
    btnStartMockExam->setObjectName("btnStartMockExam");
    btnStartMockExam->setGeometry(507, 72, 140, 50);
    btnStartMockExam->setFont(Look::SongFont(14, false));
}
