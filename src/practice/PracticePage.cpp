#include "practice/PracticePage.h"

#include "app/Look.h"

#include "data/MessageBox.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "practice/AnswerRule.h"
#include "practice/KeyButtons.h"
#include "practice/KeyRules.h"
#include "practice/PlanBar.h"
#include "practice/PracticeRules.h"
#include "practice/SubListGrid.h"
#include "record/LearnerRecord.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int UpperPanelHeight = 415;
constexpr int CheckRowHeight = 20;
const QString ShowAnswerCaption = QStringLiteral("显示答案");
const QString HideAnswerCaption = QStringLiteral("隐藏答案");
const QString SetErrorCaption = QStringLiteral("设为错题");
const QString RemoveErrorCaption = QStringLiteral("移除错题");
const QString StarCaption = QStringLiteral("☆");
const QString StarredCaption = QStringLiteral("★");

// Tabs of one fixed height, so that the question grid below them keeps its designed size
// whatever the line height of the installed CJK face.
class TFixedTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override {
        return {QTabBar::tabSizeHint(index).width(), TabHeight};
    }

private:
    static constexpr int TabHeight = 28;
};

class TFixedTabWidget : public QTabWidget {
public:
    explicit TFixedTabWidget(QWidget* parent) : QTabWidget(parent) {
        setTabBar(new TFixedTabBar(this));
    }
};

QTextEdit* MakeRichText(QWidget* parent, const char* name, const QFont& font) {
    auto* edit = new QTextEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setFont(font);
    return edit;
}

// Scales each picture of `edit` that is larger than its visible box down, in proportion, so
// that a whole picture can be seen at once.
void FitPicturesInto(QTextEdit* edit) {
    QTextDocument* document = edit->document();
    const int margin = int(document->documentMargin());
    const QSizeF box(edit->contentsRect().width() - 2 * margin -
                         edit->verticalScrollBar()->sizeHint().width(),
                     edit->contentsRect().height() - 2 * margin);
    // Gathered first: changing a fragment's format while walking the blocks would split them.
    QList<QTextFragment> pictures;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat())
                pictures.append(it.fragment());
        }
    }
    for (const QTextFragment& fragment : pictures) {
        QTextImageFormat picture = fragment.charFormat().toImageFormat();
        QSizeF size(picture.width(), picture.height());
        if (size.width() <= box.width() && size.height() <= box.height())
            continue;
        size.scale(box, Qt::KeepAspectRatio);
        picture.setWidth(size.width());
        picture.setHeight(size.height());
        QTextCursor cursor(document);
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture);
    }
}

} // namespace

TPracticePage::TPracticePage(TSubList& subList, int& subIndex, const TKeyMap& keyMap,
                             const TDriverInfo& driverInfo, QWidget* parent)
    : TPage(QStringLiteral("tsSubList"), QStringLiteral("试题练习"), parent), SubList(subList),
      SubIndex(subIndex), KeyMap(keyMap), DriverInfo(driverInfo) {
    setFont(Look::SongFont(14, false));
    BuildUpperPanel();
    BuildLowerPanel();
}

void TPracticePage::BuildUpperPanel() {
    // The two panels fill the page: the upper one at its design height, the lower one the rest.
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pnlMain1 = Look::Place(new QWidget(this), "pnlMain1", QRect(0, 0, 832, UpperPanelHeight));
    pnlMain1->setFixedHeight(UpperPanelHeight);
    Look::Paint(pnlMain1, Look::WindowColour);
    pageLayout->addWidget(pnlMain1);
    // The path bar (placed later) tops the panel, the progress bar ends it; both span it.
    UpperLayout = new QVBoxLayout(pnlMain1);
    UpperLayout->setContentsMargins(0, 0, 0, 0);
    UpperLayout->setSpacing(0);
    UpperLayout->addStretch(1);

    reQuestion = Look::Place(MakeRichText(pnlMain1, "reQuestion", Look::SongFont(16, true)),
                             "reQuestion", QRect(16, 46, 790, 260));
    reQuestion->setFrameShape(QFrame::NoFrame);
    Look::Paint(reQuestion, Look::WindowColour);

    pnlMain3 = Look::Place(new QFrame(pnlMain1), "pnlMain3", QRect(608, 108, 200, 160));
    Look::Paint(pnlMain3, Look::WindowColour);
    pnlMain3->installEventFilter(this);
    imgSubPic = Look::Place(new QLabel(pnlMain3), "imgSubPic", QRect(0, 0, 200, 160));
    imgSubPic->setAlignment(Qt::AlignCenter);

    BuildAnswerLine(pnlMain1);
    BuildButtons(pnlMain1);

    lblRightRate =
        Look::MakeLabel(pnlMain1, "lblRightRate", RightRateText({}), QRect(20, 364, 150, 20));
    lblAllAndRight =
        Look::MakeLabel(pnlMain1, "lblAllAndRight", AllAndRightText({}), QRect(180, 364, 180, 20));

    pbPlan = new TPlanBar(pnlMain1);
    pbPlan->setFixedHeight(18);
    UpperLayout->addWidget(pbPlan);
    connect(pbPlan, &TPlanBar::pressedAt, this, &TPracticePage::pbPlanMouseDown);
}

void TPracticePage::BuildAnswerLine(QWidget* panel) {
    lblRightAnswer = Look::MakeLabel(panel, "lblRightAnswer", QStringLiteral("正确答案："),
                                     QRect(20, 320, 72, 20));
    lbl2 = Look::MakeLabel(panel, "lbl2", QStringLiteral("____"), QRect(92, 322, 36, 20));
    lblRightAnswer1 =
        Look::MakeMark(panel, "lblRightAnswer1", QRect(92, 308, 36, 28), 21, QColor(0, 0, 128));
    lblMyAnswer = Look::MakeLabel(panel, "lblMyAnswer", QStringLiteral("你的答案："),
                                  QRect(150, 320, 72, 20));
    lbl1 = Look::MakeLabel(panel, "lbl1", QStringLiteral("____"), QRect(222, 322, 36, 20));
    lblMyAnswer1 =
        Look::MakeMark(panel, "lblMyAnswer1", QRect(222, 308, 36, 28), 21, QColor(0, 0, 255));
    lblSubResultMark =
        Look::MakeMark(panel, "lblSubResultMark", QRect(280, 306, 40, 32), 24, QColor(255, 0, 0));
    lblSubResultMark->hide();
    ShowRightAnswer(false);
}

void TPracticePage::BuildButtons(QWidget* panel) {
    const char* names[] = {"btnA", "btnB", "btnC", "btnD"};
    QPushButton** buttons[] = {&btnA, &btnB, &btnC, &btnD};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(QString(QChar('A' + i)), panel);
        Look::Place(button, names[i], QRect(624 + 48 * i, 305, 40, 40));
        button->setFont(Look::SongFont(24, true));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, button] { btnAClick(button); });
        *buttons[i] = button;
    }
    auto makeButton = [panel](const char* name, const QString& caption, int x, int w) {
        auto* button = Look::Place(new QPushButton(caption, panel), name, QRect(x, 356, w, 33));
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    btnFavourite = makeButton("btnFavourite", StarCaption, 374, 38);
    btnFavourite->setToolTip(QStringLiteral("收藏本题"));
    btnSetError = makeButton("btnSetError", SetErrorCaption, 416, 100);
    btnHintResult = makeButton("btnHintResult", ShowAnswerCaption, 520, 100);
    btnLast = makeButton("btnLast", QStringLiteral("上一题"), 624, 90);
    btnNext = makeButton("btnNext", QStringLiteral("下一题"), 718, 90);
    connect(btnSetError, &QPushButton::clicked, this, &TPracticePage::btnSetErrorClick);
    connect(btnFavourite, &QPushButton::clicked, this, &TPracticePage::btnFavouriteClick);
    connect(btnHintResult, &QPushButton::clicked, this, &TPracticePage::btnHintResultClick);
    connect(btnLast, &QPushButton::clicked, this, &TPracticePage::btnLastClick);
    connect(btnNext, &QPushButton::clicked, this, &TPracticePage::btnNextClick);
}

void TPracticePage::BuildLowerPanel() {
    pnlMain2 = Look::Place(new QWidget(this), "pnlMain2", QRect(0, UpperPanelHeight, 832, 189));
    Look::Paint(pnlMain2, Look::LowerPanelColour);
    static_cast<QVBoxLayout*>(layout())->addWidget(pnlMain2, 1);

    // The key hint and the two check boxes stand in a row above the tabs, which take the rest.
    pcSub = new TFixedTabWidget(pnlMain2);
    pcSub->setObjectName(QStringLiteral("pcSub"));
    auto* lowerLayout = new QVBoxLayout(pnlMain2);
    lowerLayout->setContentsMargins(0, CheckRowHeight, 0, 0);
    lowerLayout->addWidget(pcSub);
    sgSubList = new TSubListGrid([this](int question) {
        if (question < 1 || question >= SubList.size())
            return TAnswerState::Unanswered;
        const TSub& sub = SubList[question];
        return AnswerState(sub.MyAnswer, CodeToStr(sub.SubAnswer));
    });
    pcSub->addTab(sgSubList, QStringLiteral("考题列表"));
    connect(sgSubList, &TSubListGrid::questionClicked, this, &TPracticePage::sgSubListClicked);
    reSubAnalyse = MakeRichText(nullptr, "reSubAnalyse", Look::SongFont(14, false));
    pcSub->addTab(reSubAnalyse, QStringLiteral("试题分析"));

    Look::MakeLabel(pnlMain2, "lblKeyHint", QStringLiteral("按←键返回上一题 按→键前往下一题"),
                    QRect(230, 0, 250, 20));
    cbToNextSub = Look::Place(new QCheckBox(QStringLiteral("答完自动跳转下一题"), pnlMain2),
                              "cbToNextSub", QRect(530, 0, 160, 20));
    cbSoundHint = Look::Place(new QCheckBox(QStringLiteral("语言提示"), pnlMain2), "cbSoundHint",
                              QRect(710, 0, 100, 20));
    for (QCheckBox* box : {cbToNextSub, cbSoundHint}) {
        box->setChecked(true);
        box->setFocusPolicy(Qt::NoFocus);
    }
}

void TPracticePage::PlacePathBar(QWidget* pathBar) {
    pathBar->setParent(pnlMain1);
    pathBar->setFixedHeight(30);
    UpperLayout->insertWidget(0, pathBar);
    pathBar->show();
}

void TPracticePage::LoadSubList(TQuery& dataSet) {
    SubList = ReadSubList(dataSet);
    const int count = QuestionCount(SubList);
    pbPlan->SetTotal(count);
    sgSubList->Number(count);
}

bool TPracticePage::LoadPractice(const QString& extra, int order) {
    TQuery& query = SharedQuery();
    const QString sql = PracticeSQL(DriverInfo.SubCarTypeID, DriverInfo.SubAreaID, extra, order);
    if (!ExecLocalSQL(query, sql, QStringLiteral("open"), true))
        return false;
    if (query.RecordCount() == 0) {
        query.Close();
        ShowMessageBox(window(), QStringLiteral("没有相关试题，请重新选择！"),
                       MsgIcon::Information);
        return false;
    }
    LoadSubList(query);
    query.Close();
    sgSubList->SetColumnWidths(sgSubList->rowCount() > 5 ? 53 : 54);
    btnHintResult->setText(ShowAnswerCaption);
    ShowRightAnswer(false);
    SubIndex = 1;
    ShowSub(SubIndex);
    pcSub->setCurrentIndex(0);
    ShowScore();
    return true;
}

void TPracticePage::ShowSub(int index) {
    if (!HasQuestion(SubList, index))
        return;
    const TSub& sub = SubList[index];
    reQuestion->clear();
    const bool judge = IsJudgeQuestion(sub);
    btnB->setText(judge ? QStringLiteral("对") : QStringLiteral("B"));
    btnC->setText(judge ? QStringLiteral("错") : QStringLiteral("C"));
    btnA->setVisible(!judge);
    btnB->show();
    btnC->show();
    btnD->setVisible(!judge);
    LoadRichText(reQuestion, QuestionText(index, sub, CodeToStr));
    ShowSubPicture(sub);
    lblRightAnswer1->setText(CodeToStr(sub.SubAnswer));
    lblMyAnswer1->setText(sub.MyAnswer);
    btnSetError->setText(sub.WrongMark ? RemoveErrorCaption : SetErrorCaption);
    ShowFavourite(sub);
    pbPlan->SetPosition(index);
    sgSubList->ShowQuestion(index);
    ShowAnalyse(sub);
    btnLast->setEnabled(index > 1);
    btnNext->setEnabled(index < QuestionCount(SubList));
}

void TPracticePage::ShowSubPicture(const TSub& sub) {
    const QString file = sub.SubContentPic.isEmpty()
                             ? QString()
                             : LoadSubImage(sub.SubContentPic, sub.SubContentPicType);
    LoadPictureFile(imgSubPic, file);
    // An empty frame would only hide the end of long lines of the question text.
    pnlMain3->setVisible(!file.isEmpty());
    const QPixmap picture = imgSubPic->pixmap();
    if (!picture.isNull() &&
        (picture.width() > imgSubPic->width() || picture.height() > imgSubPic->height()))
        imgSubPic->setPixmap(
            picture.scaled(imgSubPic->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TPracticePage::ShowAnalyse(const TSub& sub) {
    reSubAnalyse->clear();
    reSubAnalyse->setPlainText(CodeToStr(sub.SubAnalyse));
    if (sub.SubAnalysePic.isEmpty())
        return;
    const QString file = LoadSubImage(sub.SubAnalysePic, sub.SubAnalysePicType);
    if (file.isEmpty())
        return;
    reSubAnalyse->moveCursor(QTextCursor::End);
    InsertPicture(reSubAnalyse, file);
    FitPicturesInto(reSubAnalyse);
    // The explanation opens at its beginning, not at the picture just appended.
    reSubAnalyse->moveCursor(QTextCursor::Start);
    reSubAnalyse->verticalScrollBar()->setValue(0);
}

void TPracticePage::ShowScore() {
    const TPracticeScore score = ScoreSubList(SubList, CodeToStr);
    lblRightRate->setText(RightRateText(score));
    lblAllAndRight->setText(AllAndRightText(score));
}

void TPracticePage::ShowRightAnswer(bool visible) {
    lblRightAnswer->setVisible(visible);
    lbl2->setVisible(visible);
    lblRightAnswer1->setVisible(visible);
}

void TPracticePage::FocusGrid() {
    if (pcSub->currentIndex() == 0)
        sgSubList->setFocus();
}

void TPracticePage::btnAClick(QPushButton* button) {
    if (!HasQuestion(SubList, SubIndex))
        return;
    const QString answer = button->text();
    const bool right = RecordAnswer(SharedQuery(), SubList[SubIndex], answer, CodeToStr);
    LearnerRecord().NoteAnswer(SubList[SubIndex], RecordMode::Practice, right);
    lblMyAnswer1->setText(answer);
    lblSubResultMark->setText(right ? QStringLiteral("√") : QStringLiteral("×"));
    lblSubResultMark->show();
    if (cbSoundHint->isChecked())
        LoadWaveRes(right ? QStringLiteral("RightSound") : QStringLiteral("WrongSound"));
    ShowScore();
    sgSubList->viewport()->update();
    Pause(400);
    lblSubResultMark->hide();
    if (cbToNextSub->isChecked() && btnNext->isEnabled())
        btnNext->click();
    FocusGrid();
}

void TPracticePage::GoTo(int index) {
    if (!HasQuestion(SubList, index))
        return;
    SubIndex = index;
    ShowSub(SubIndex);
}

void TPracticePage::btnLastClick() {
    GoTo(SubIndex - 1);
    FocusGrid();
}

void TPracticePage::btnNextClick() {
    GoTo(SubIndex + 1);
    FocusGrid();
}

void TPracticePage::btnSetErrorClick() {
    if (!HasQuestion(SubList, SubIndex))
        return;
    const bool markWrong = btnSetError->text() == SetErrorCaption;
    if (SetWrongMark(SharedQuery(), SubList[SubIndex], markWrong))
        btnSetError->setText(markWrong ? RemoveErrorCaption : SetErrorCaption);
    FocusGrid();
}

void TPracticePage::ShowFavourite(const TSub& sub) {
    btnFavourite->setText(LearnerRecord().IsFavourite(sub.SubID) ? StarredCaption : StarCaption);
}

void TPracticePage::btnFavouriteClick() {
    if (!HasQuestion(SubList, SubIndex))
        return;
    const TSub& sub = SubList[SubIndex];
    LearnerRecord().SetFavourite(sub, btnFavourite->text() == StarCaption);
    ShowFavourite(sub);
    FocusGrid();
}

void TPracticePage::btnHintResultClick() {
    const bool show = btnHintResult->text() == ShowAnswerCaption;
    ShowRightAnswer(show);
    btnHintResult->setText(show ? HideAnswerCaption : ShowAnswerCaption);
    FocusGrid();
}

void TPracticePage::sgSubListClicked(int question) {
    GoTo(question);
}

void TPracticePage::pbPlanMouseDown(int x) {
    GoTo(ProgressQuestionAt(x, pbPlan->width(), pbPlan->Total()));
    FocusGrid();
}

bool TPracticePage::FormKeyDown(int windowsKey) {
    return PressKeyButton(MatchKeyRule(windowsKey, KeyMap, btnB->text(), btnC->text()),
                          {btnLast, btnNext, btnA, btnB, btnC, btnD});
}

bool TPracticePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlMain3 && event->type() == QEvent::Enter)
        Look::Paint(pnlMain3, Look::PageColour);
    else if (watched == pnlMain3 && event->type() == QEvent::Leave)
        Look::Paint(pnlMain3, Look::WindowColour);
    return QWidget::eventFilter(watched, event);
}
