#include "app/StudyTogetherPage.h"

#include "app/Look.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

namespace {} // namespace

QString StudyTogetherText() {
    return QStringLiteral(
        "    Veltrano助手是一套为驾驶员理论考试（科目一）学员编写的综合学习软件，配有答题音效，"
        "并可使用与真实考场相同的数字小键盘答题。软件由理论学习和驾驶课堂两大部分组成。\n"
        "    理论学习提供章节练习、顺序练习、随机练习、专项练习、错题练习和模拟考试六种方式，"
        "学员可按需要选择，逐题练习，答题后立即判断对错并给出试题分析。\n"
        "    驾驶课堂分为交通法规、交通标志、交警手势、事故图解、仪表图解、评判标准和动画讲解"
        "七个类别，以图片、动画和文字帮助学员理解考试内容。\n"
        "\n"
        "软件6大特点：\n"
        "    1. 地区题库：按准驾车型和所在地区选择题库，只练习与自己有关的试题。\n"
        "    2. 仿真考试：模拟考试的界面、计时、题量和评分与正式考试一致，考前即可熟悉考场。\n"
        "    3. 专项练习：按题型、难易程度、试题类型或正确答案挑选试题，集中突破薄弱环节。\n"
        "    4. 错题练习：答错的试题自动记入错题库，可反复练习，直到完全掌握。\n"
        "    5. 试题分析：每道试题都附有详细分析，讲清答案的依据。\n"
        "    6. 驾驶课堂：交通法规、标志、手势和图解一应俱全，边学边练，事半功倍。\n");
}

TStudyTogetherPage::TStudyTogetherPage(QWidget* parent)
    : TPage("tsStudyTogether", QStringLiteral("Veltrano"), parent) {
    auto* titleBar = new QFrame(this);
    titleBar->setObjectName("pnlStudyTogetherTitle");
    titleBar->setGeometry(24, 24, 780, 35);
    titleBar->setFrameShape(QFrame::Box);
    titleBar->setAutoFillBackground(true);
    QPalette colours = titleBar->palette();
    colours.setColor(QPalette::Window, QColor(237, 247, 245));
    titleBar->setPalette(colours);
    lblTitle = new QLabel(QStringLiteral("软件说明："), titleBar);
    lblTitle->setObjectName("lblStudyTogetherTitle");
    lblTitle->setFont(Look::SongFont(16, true));
    lblTitle->move(16, 11);
    lblTitle->adjustSize();

    reDescription = new QPlainTextEdit(this);
    reDescription->setObjectName("reStudyTogether");
    reDescription->setGeometry(36, 85, 760, 481);
    reDescription->setFrameShape(QFrame::NoFrame);
    reDescription->setReadOnly(true);
    reDescription->setFont(Look::SongFont(16, false));
    reDescription->setPlainText(StudyTogetherText());
}
