#include "app/uMain.h"
#include "app/ItemList.h"
#include "app/Page.h"

#include "PrivateTempFolder.h"
#include "app/GroupBar.h"
#include "app/Look.h"
#include "app/StudyTogetherPage.h"
#include "app/Version.h"
#include "classroom/TeachCatalogue.h"
#include "classroom/TeachViewer.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uProc.h"
#include "exam/GradeOutbox.h"
#include "exam/GradeQueryPage.h"
#include "exam/MockExamPage.h"
#include "exam/uMockExam.h"
#include "online/MainPage.h"
#include "online/WebPanel.h"
#include "practice/ChapterList.h"
#include "practice/FilterPage.h"
#include "practice/KeyRules.h"
#include "practice/PathBar.h"
#include "practice/PracticePage.h"
#include "practice/PracticeRules.h"
#include "practice/uSelectCarType.h"
#include "settings/uKeyboardSet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TfrmMain* frmMain = nullptr;

// The icons are compiled into the core library, whose resources must be registered by hand.
static void LoadIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

// The window's client area is the screen panel. The design's 1020 × 754 is the outer size of
// a framed window with a title bar, whose frame takes 8 × 34 of it.
constexpr QSize kScreenSize(1012, 720);
constexpr QSize kFrameSize(8, 34);

using Handler = void (TfrmMain::*)();

// One entry of a navigation group; entries without a handler only come with later work.
struct NavigationItem {
    const char* caption;
    const char* icon;
    Handler handler;
};

const NavigationItem kMoreOptionItems[] = {
    {"软件说明", "nav_about", &TfrmMain::grpMoreOptionItems0Click},
    {"手机版本", "nav_mobile", nullptr},
    {"意见反馈", "nav_feedback", &TfrmMain::grpMoreOptionItems2Click},
    {"软件更新", "nav_update", &TfrmMain::grpMoreOptionItems3Click},
    {"成绩查询", "nav_grade", &TfrmMain::grpMoreOptionItems4Click},
    {"键盘设置", "nav_keyboard", &TfrmMain::grpMoreOptionItems5Click},
};
const NavigationItem kDriveTeachItems[] = {
    {"交通法规", "nav_traffic_rules", &TfrmMain::grpDriveTeachItems0Click},
    {"交通标志", "nav_traffic_signs", &TfrmMain::grpDriveTeachItems1Click},
    {"交警手势", "nav_police_gestures", &TfrmMain::grpDriveTeachItems2Click},
    {"事故图解", "nav_accident", &TfrmMain::grpDriveTeachItems3Click},
    {"仪表图解", "nav_meter", &TfrmMain::grpDriveTeachItems4Click},
    {"评判标准", "nav_judge", &TfrmMain::grpDriveTeachItems5Click},
    {"动画讲解", "nav_animation", &TfrmMain::grpDriveTeachItems6Click},
};
const NavigationItem kSubExerciseItems[] = {
    {"题库选择", "nav_bank", &TfrmMain::grpSubExerciseItems0Click},
    {"章节练习", "nav_chapter", &TfrmMain::grpSubExerciseItems1Click},
    {"顺序练习", "nav_sequence", &TfrmMain::grpSubExerciseItems2Click},
    {"随机练习", "nav_random", &TfrmMain::grpSubExerciseItems3Click},
    {"专项练习", "nav_special", &TfrmMain::grpSubExerciseItems4Click},
    {"错题练习", "nav_wrong", &TfrmMain::grpSubExerciseItems5Click},
    {"模拟考试", "nav_exam", &TfrmMain::grpSubExerciseItems6Click},
};

const NavigationItem kStudyRecordItems[] = {
    {"成绩曲线", "nav_score_chart", &TfrmMain::grpStudyRecordItems0Click},
    {"薄弱章节", "nav_weak_chapters", &TfrmMain::grpStudyRecordItems1Click},
    {"错题复习", "nav_review", &TfrmMain::grpStudyRecordItems2Click},
    {"我的收藏", "nav_favourite", &TfrmMain::grpStudyRecordItems3Click},
    {"通过预测", "nav_pass_estimate", &TfrmMain::grpStudyRecordItems4Click},
};

} // namespace

QString MainTitleText(const TDriverInfo& driver) {
    return Program::VersionedName() + QStringLiteral("（") + driver.SubCarTypeName +
           driver.SubCarTypeDesc + QStringLiteral("）【") + driver.SubAreaName +
           QStringLiteral("】");
}

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {
    setObjectName("frmMain");
    setWindowTitle(Program::Name());
    LoadIconResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    setFont(Look::SongFont(14));
    resize(kScreenSize);
    SetSizeLimits(kFixedLimits);
    Look::Paint(this, Look::WindowColour);
    BuildScreen();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (!frmMain)
        frmMain = this;
    qApp->installEventFilter(this);
    FormCreate();
}

TfrmMain::~TfrmMain() {
    SetTrayIcon("D");
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::BuildScreen() {
    pnlScreen = Look::ColouredPanel("pnlScreen", Look::PageColour, this);
    pnlScreen->setGeometry(QRect(QPoint(0, 0), kScreenSize));
    BuildHead();
    BuildMenu();
    pnlMain = new QFrame(pnlScreen);
    pnlMain->setObjectName("pnlMain");
    pnlMain->setGeometry(162, 100, 850, 620);
    Look::Paint(pnlMain, Look::FrameColour);
    auto* layout = new QVBoxLayout(pnlMain);
    layout->setContentsMargins(8, 8, 8, 8);
    pcMain = new QStackedWidget(pnlMain);
    pcMain->setObjectName("pcMain");
    layout->addWidget(pcMain);
    BuildMainPage();
}

void TfrmMain::BuildHead() {
    pnlHead = Look::ColouredPanel("pnlHead", Look::FrameColour, pnlScreen);
    pnlHead->setGeometry(0, 0, 1012, 100);
    imgHead = new QLabel(pnlHead);
    imgHead->setObjectName("imgHead");
    imgHead->setAlignment(Qt::AlignCenter);
    imgHead->setScaledContents(true);
    HeadPanel = new TWebPanel(pnlHead, imgHead, QStringLiteral("wbHead"));
}

void TfrmMain::BuildMenu() {
    pnlMenu = Look::ColouredPanel("pnlMenu", Look::WindowColour, pnlScreen);
    pnlMenu->setGeometry(0, 100, 162, 620);
    gbMainMenu = new GroupBar(pnlMenu);
    gbMainMenu->setObjectName("gbMainMenu");
    auto* layout = new QVBoxLayout(pnlMenu);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(gbMainMenu);

    grpMainPage = gbMainMenu->AddGroup("grpMainPage", QStringLiteral(" 软件首页"));
    grpMoreOption = gbMainMenu->AddGroup("grpMoreOption", QStringLiteral("     关于软件       "));
    grpDriveTeach = gbMainMenu->AddGroup("grpDriveTeach", QStringLiteral("     驾驶课堂        "));
    grpSubExercise =
        gbMainMenu->AddGroup("grpSubExercise", QStringLiteral("     理论学习        "));
    grpStudyRecord =
        gbMainMenu->AddGroup("grpStudyRecord", QStringLiteral("     学习记录        "));
    const auto addItems = [this](GroupBarGroup* group, const auto& items) {
        for (const NavigationItem& entry : items) {
            QToolButton* item =
                gbMainMenu->AddItem(group, QString::fromUtf8(entry.caption),
                                    QIcon(QStringLiteral(":/icons/%1.svg").arg(entry.icon)));
            if (entry.handler)
                connect(item, &QToolButton::clicked, this, entry.handler);
        }
    };
    addItems(grpMoreOption, kMoreOptionItems);
    addItems(grpDriveTeach, kDriveTeachItems);
    addItems(grpSubExercise, kSubExerciseItems);
    addItems(grpStudyRecord, kStudyRecordItems);
    // The mobile version is not offered.
    QToolButton* mobile = grpMoreOption->Items().at(1);
    mobile->setVisible(false);
    mobile->setEnabled(false);
    connect(gbMainMenu, &GroupBar::GroupOpened, this, [this](GroupBarGroup* group) {
        if (group == grpMainPage)
            grpMainPageOpen();
    });
}

void TfrmMain::BuildMainPage() {
    tsMainPage = new MainPage;
    HomePanel = new TWebPanel(tsMainPage, tsMainPage->imgMainPage, QStringLiteral("wbMainPage"));
    AddPage(tsMainPage);
    BuildRecordStrip();
}

void TfrmMain::AddPage(QWidget* page) {
    // pcMain keeps the design's order of pages, whatever order they are first used in.
    static const QStringList order{
        "tsMainPage",   "tsGradeQuery", "tsSubList",     "tsStudyTogether", "tsList",
        "tsFilterTest", "tsMockExam",   "tsShowImage",   "tsScoreChart",    "tsWeakChapters",
        "tsReview",     "tsFavourite",  "tsPassEstimate"};
    const qsizetype rank = order.indexOf(page->objectName());
    int at = 0;
    while (at < pcMain->count() && order.indexOf(pcMain->widget(at)->objectName()) < rank)
        ++at;
    pcMain->insertWidget(at, page);
}

GradeQueryPage* TfrmMain::tsGradeQuery() {
    return PageOnFirstUse(Built.tsGradeQuery, [] { return new GradeQueryPage; });
}

TPracticePage* TfrmMain::tsSubList() {
    return PageOnFirstUse(Built.tsSubList, [this] {
        auto* page = new TPracticePage(SubList, SubIndex, KeyMap, DriverInfo);
        MainPath = new PathBar;
        MainPath->setObjectName("pbMainPath");
        page->PlacePathBar(MainPath);
        return page;
    });
}

PathBar* TfrmMain::pbMainPath() {
    tsSubList();
    return MainPath;
}

TPage* TfrmMain::tsStudyTogether() {
    return PageOnFirstUse(Built.tsStudyTogether, [] { return new TStudyTogetherPage; });
}

TItemListPage* TfrmMain::tsList() {
    return PageOnFirstUse(Built.tsList, [] { return new TItemListPage; });
}

TFilterPage* TfrmMain::tsFilterTest() {
    return PageOnFirstUse(Built.tsFilterTest, [this] {
        auto* page = new TFilterPage;
        connect(page, &TFilterPage::FilterStarted, this, &TfrmMain::StartFilterPractice);
        return page;
    });
}

MockExamPage* TfrmMain::tsMockExam() {
    return PageOnFirstUse(Built.tsMockExam, [this] {
        auto* page = new MockExamPage;
        connect(page->btnStartMockExam, &QPushButton::clicked, this,
                &TfrmMain::btnStartMockExamClick);
        return page;
    });
}

TTeachViewer* TfrmMain::tsShowImage() {
    return PageOnFirstUse(Built.tsShowImage, [this] {
        auto* page = new TTeachViewer;
        page->Activate = [this, page] { ShowPage(page); };
        return page;
    });
}

TTeachCatalogue& TfrmMain::Classroom() {
    if (!TeachCatalogue)
        TeachCatalogue = std::make_unique<TTeachCatalogue>(
            *tsList(), *tsShowImage(), [this](QWidget* page) { ShowPage(page); });
    return *TeachCatalogue;
}

void TfrmMain::FormCreate() {
    FirstShow = true;
    BuildIconMenu();
    SetTrayIcon("A");
    URLInfo = LoadURLInfo();
    KeyMap = LoadKeyMap();
    DriverInfo = LoadDriverInfo();
    GradeOutbox::ResendInBackground();
    StartVersionCheck(1);
    RefreshRecordViews();
}

void TfrmMain::FormShow() {
    if (!FirstShow)
        return;
    gbMainMenu->OpenGroup(grpSubExercise);
    ShowPage(tsMainPage);
    LoadResImage(imgHead, QStringLiteral("Head"));
    LoadResImage(tsMainPage->imgMainPage, QStringLiteral("MainPage"));
    HeadURL = URLInfo.TopURL;
    HomeURL = URLInfo.MiniURL;
    ShowHeadPanel(false, QString());
    ShowHomePanel(false, QString());
    StartConnectCheck(true, true);
    FirstShow = false;
    UpdateTitle();
}

void TfrmMain::FormResize() {
    // The centring rule counts in the outer size of a framed window, 1020 × 754 at the normal
    // size; the frame is added back to the client size this window measures.
    const int top = (height() + kFrameSize.height() - pnlScreen->height() - 40) / 2 + 3;
    const int left = (width() + kFrameSize.width() - pnlScreen->width()) / 2 - 4;
    pnlScreen->move(left, top);
}

bool TfrmMain::FormCloseQuery() {
    return ShowMessageBox(this, QStringLiteral("是否要退出Veltrano助手系统！"), MsgIcon::Question,
                          MsgButtons::YesNo) == MsgAnswer::Yes;
}

void TfrmMain::FormClose() {
    const std::string folder = veltrano::PrivateTempFolder();
    if (!folder.empty())
        ClearFolder(QFile::decodeName(folder.c_str()));
}

void TfrmMain::UpdateTitle() {
    setWindowTitle(MainTitleText(DriverInfo));
}

void TfrmMain::SetPathBar(const QStringList& items) {
    QStringList shown;
    for (const QString& item : items) {
        if (!item.isEmpty())
            shown.append(item);
    }
    pbMainPath()->SetItems(shown);
}

void TfrmMain::SetTrayIcon(const QString& op) {
    if (op == "D") {
        delete TrayIcon;
        TrayIcon = nullptr;
        return;
    }
    if (op == "A" && !TrayIcon) {
        TrayIcon = new QSystemTrayIcon(this);
        connect(TrayIcon, &QSystemTrayIcon::activated, this, &TfrmMain::TrayIconActivated);
    }
    if ((op != "A" && op != "M") || !TrayIcon)
        return;
    TrayIcon->setIcon(windowIcon());
    TrayIcon->setToolTip(Program::VersionedName());
    // Desktops without a status area (and test runs without a screen) get no icon shown.
    TrayIcon->setVisible(QSystemTrayIcon::isSystemTrayAvailable());
}

void TfrmMain::ShowPage(QWidget* page) {
    pcMain->setCurrentWidget(page);
    ShownPageItem = gbMainMenu->SelectedItem();
}

void TfrmMain::grpMainPageOpen() {
    gbMainMenu->OpenGroup(grpSubExercise);
    ShowPage(tsMainPage);
    HomeURL = URLInfo.MiniURL;
    StartConnectCheck(false, true);
}

void TfrmMain::grpSubExerciseItems0Click() {
    FreeShowImageItems();
    gbMainMenu->OpenGroup(grpSubExercise);
    ShowPage(tsMainPage);
    TfrmSelectCarType dialog(DriverInfo, this);
    connect(&dialog, &TfrmSelectCarType::ChoiceSaved, this, [this] {
        DriverInfo = LoadDriverInfo();
        UpdateTitle();
    });
    dialog.exec();
}

void TfrmMain::grpSubExerciseItems1Click() {
    FreeShowImageItems();
    ShowChapterList();
    ShowPage(tsList());
}

void TfrmMain::ShowChapterList() {
    ::ShowChapterList(*tsList(), DriverInfo,
                      [this](int tag, const QString& hint) { ListItemClick(tag, hint); });
}

void TfrmMain::ListItemClick(int tag, const QString& hint) {
    if (!IsChapterHint(hint))
        return Classroom().RowClick(tag);
    if (!LoadPractice(ChapterPracticeExtra(tag), PracticeMode::ChapterOrder))
        return;
    OpenPracticeSet(QStringLiteral("章节练习"),
                    ModePathText(ChapterPathTitle(hint), QuestionCount(SubList)),
                    &TfrmMain::grpSubExerciseItems1Click);
}

void TfrmMain::StartFilterPractice(const QString& extra, int order, const QString& caption) {
    if (!LoadPractice(extra, order))
        return;
    OpenPracticeSet(QStringLiteral("专项练习"), ModePathText(caption, QuestionCount(SubList)),
                    &TfrmMain::grpSubExerciseItems4Click);
}

void TfrmMain::StartPractice(const QString& mode, const QString& extra, int order) {
    if (!LoadPractice(extra, order)) {
        // The page shown stays; so does the highlight of the item that opened it.
        gbMainMenu->SelectItem(ShownPageItem);
        return;
    }
    OpenPracticeSet(ModePathText(mode, QuestionCount(SubList)), QString(), nullptr);
}

void TfrmMain::OpenPracticeSet(const QString& second, const QString& third,
                               void (TfrmMain::*back)()) {
    PathItems = {QStringLiteral("【") + DriverInfo.SubCarTypeName + QStringLiteral("】"), second,
                 third};
    SetPathBar(PathItems);
    if (back)
        pbMainPath()->SetItemAction(1, [this, back] { (this->*back)(); });
    ShowPage(tsSubList());
    tsSubList()->FocusGrid();
}

bool TfrmMain::LoadPractice(const QString& Extra, int Order) {
    return tsSubList()->LoadPractice(Extra, Order);
}

void TfrmMain::LoadSubList(TQuery& DataSet) {
    tsSubList()->LoadSubList(DataSet);
}

void TfrmMain::grpSubExerciseItems2Click() {
    FreeShowImageItems();
    StartPractice(QStringLiteral("顺序练习"), PracticeMode::AllQuestions,
                  PracticeMode::ChapterOrder);
}

void TfrmMain::grpSubExerciseItems3Click() {
    FreeShowImageItems();
    StartPractice(QStringLiteral("随机练习"), PracticeMode::AllQuestions,
                  PracticeMode::RandomOrder);
}

void TfrmMain::grpSubExerciseItems4Click() {
    FreeShowImageItems();
    tsFilterTest()->FillFilterGroups();
    ShowPage(tsFilterTest());
}

void TfrmMain::grpSubExerciseItems5Click() {
    FreeShowImageItems();
    StartPractice(QStringLiteral("错题练习"), PracticeMode::WrongQuestions,
                  PracticeMode::ChapterOrder);
}

void TfrmMain::grpSubExerciseItems6Click() {
    FreeShowImageItems();
    tsMockExam()->lblMockExamCarType->setText(MockExamCarTypeText(DriverInfo));
    ShowPage(tsMockExam());
}

void TfrmMain::grpDriveTeachItems0Click() {
    Classroom().EntryClick(0);
}
void TfrmMain::grpDriveTeachItems1Click() {
    Classroom().EntryClick(1);
}
void TfrmMain::grpDriveTeachItems2Click() {
    Classroom().EntryClick(2);
}
void TfrmMain::grpDriveTeachItems3Click() {
    Classroom().EntryClick(3);
}
void TfrmMain::grpDriveTeachItems4Click() {
    Classroom().EntryClick(4);
}
void TfrmMain::grpDriveTeachItems5Click() {
    Classroom().EntryClick(5);
}
void TfrmMain::grpDriveTeachItems6Click() {
    Classroom().EntryClick(6);
}

void TfrmMain::FreeShowImageItems() {
    // A viewer never built holds no controls.
    if (Built.tsShowImage)
        Built.tsShowImage->FreeShowImageItems();
}

void TfrmMain::StartVersionCheck(int mode) {
    auto* check = new TGetExeVersionThread(mode, Program::Version(),
                                           dmMain ? dmMain->ServerInfo : TServerInfo());
    connect(check, &TGetExeVersionThread::Checked, this, &TfrmMain::VersionChecked);
    connect(check, &QThread::finished, check, &QObject::deleteLater);
    check->start();
}

void TfrmMain::grpMoreOptionItems0Click() {
    FreeShowImageItems();
    ShowPage(tsStudyTogether());
}

void TfrmMain::grpMoreOptionItems4Click() {
    FreeShowImageItems();
    tsGradeQuery()->OpenPage();
    ShowPage(tsGradeQuery());
}

void TfrmMain::btnStartMockExamClick() {
    if (LoadMockExamSubList())
        OpenMockExam({SubList, SubIndex, DriverInfo, KeyMap, this,
                      [this] { return LoadMockExamSubList(); }});
}

bool TfrmMain::LoadMockExamSubList() {
    QWidget* owner = frmMockExam ? static_cast<QWidget*>(frmMockExam) : this;
    if (!ComposeMockExamPaper(DriverInfo, SubList, owner))
        return false;
    SubIndex = 1;
    return true;
}

void TfrmMain::grpMoreOptionItems5Click() {
    TfrmKeyboardSet dialog(KeyMap, this);
    dialog.exec();
}

bool TfrmMain::FormKeyDown(QKeyEvent& Key) {
    if (!Built.tsSubList || pcMain->currentWidget() != Built.tsSubList)
        return false;
    return Built.tsSubList->FormKeyDown(WindowsKeyCode(Key));
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return FormKeyDown(*static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
    // Checked once the window manager's events of this change are all in.
    const QSize required = RequiredSize(SizeLimits, windowState());
    if (required.isValid() && size() != required)
        QTimer::singleShot(0, this, &TfrmMain::KeepRequiredSize);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}
