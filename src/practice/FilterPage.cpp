#include "practice/FilterPage.h"

#include "app/RadioGroup.h"
#include "data/TQuery.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "practice/PracticeRules.h"

#include <QPushButton>

namespace {

const QString kOrderCaption = QStringLiteral("顺序练习");
const QString kRandomCaption = QStringLiteral("随机练习");

// The lookup groups: their statements and the column each filters.
struct TLookup {
    const char* sql;
    const char* column;
};
const TLookup kLookups[] = {
    {"select SubFormatName from SubFormat", "SubFormatID"},
    {"select SubHardEasyName from SubHardEasy", "SubHardEasyID"},
    {"select SubTypeName from SubType", "SubTypeID"},
};

TRadioGroup* MakeGroup(QWidget* parent, const char* name, const QString& caption, int top,
                       int height) {
    auto* group = new TRadioGroup(QString::fromLatin1(name), caption, 5, 25, parent);
    group->setGeometry(16, top, 755, height);
    return group;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int left) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 504, 120, 40);
    return button;
}

} // namespace

const QStringList& AnswerFilterOptions() {
    static const QStringList options{QStringLiteral("选A的题"),    QStringLiteral("选B的题"),
                                     QStringLiteral("选C的题"),    QStringLiteral("选D的题"),
                                     QStringLiteral("选正确的题"), QStringLiteral("选错误的题")};
    return options;
}

QString AnswerFilterPlain(int position) {
    static const QStringList answers{
        "A", "B", "C", "D", QStringLiteral("对"), QStringLiteral("错")};
    return answers.value(position);
}

QString SqlTextLiteral(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString FilterCondition(TFilterGroup group, int position, const TAnswerEncoder& encode) {
    if (position < 0)
        return {};
    if (group == TFilterGroup::SubResult) {
        const QString plain = AnswerFilterPlain(position);
        if (plain.isEmpty())
            return {};
        return QStringLiteral("and SubAnswer = ") + SqlTextLiteral(encode(plain)) +
               QStringLiteral(" ");
    }
    return QStringLiteral("and ") + QString::fromLatin1(kLookups[int(group)].column) +
           QStringLiteral(" = ") + QString::number(position + 1);
}

int FilterOrder(const QString& buttonCaption) {
    return buttonCaption == kOrderCaption ? PracticeMode::ChapterOrder : PracticeMode::RandomOrder;
}

TFilterPage::TFilterPage(QWidget* parent)
    : TPage(QStringLiteral("tsFilterTest"), QStringLiteral("专项练习"), parent) {
    auto* panel = new QWidget(this);
    panel->setObjectName("pnlFilter");
    panel->setGeometry(24, 24, 785, 440);
    rgSubFormat = MakeGroup(panel, "rgSubFormat", QStringLiteral("按题目形式"), 16, 65);
    rgSubHardEasy = MakeGroup(panel, "rgSubHardEasy", QStringLiteral("按题目难易程度"), 104, 65);
    rgSubType = MakeGroup(panel, "rgSubType", QStringLiteral("按题目类型"), 192, 120);
    rgSubResult = MakeGroup(panel, "rgSubResult", QStringLiteral("按题目答案类型"), 312, 120);
    for (TRadioGroup* group : {rgSubFormat, rgSubHardEasy, rgSubType, rgSubResult})
        connect(group, &TRadioGroup::Chosen, this, [this, group] { rgSubResultChanging(group); });
    btnFilterOrderTest = MakeButton(this, "btnFilterOrderTest", kOrderCaption, 230);
    btnFilterRandTest = MakeButton(this, "btnFilterRandTest", kRandomCaption, 414);
    for (QPushButton* button : {btnFilterOrderTest, btnFilterRandTest})
        connect(button, &QPushButton::clicked, this,
                [this, button] { btnFilterOrderTestClick(button); });
}

void TFilterPage::FillFilterGroups() {
    TRadioGroup* lookups[] = {rgSubFormat, rgSubHardEasy, rgSubType};
    for (int i = 0; i < 3; ++i) {
        TQuery names;
        if (!ExecLocalSQL(names, QString::fromLatin1(kLookups[i].sql), QStringLiteral("open"),
                          false))
            continue;
        QStringList items;
        for (names.First(); !names.Eof(); names.Next())
            items.append(names.Rows[names.CurrentRow()].value(0).toString());
        lookups[i]->SetItems(items);
    }
    rgSubResult->SetItems(AnswerFilterOptions());
}

void TFilterPage::rgSubResultChanging(TRadioGroup* sender) {
    for (TRadioGroup* group : {rgSubFormat, rgSubHardEasy, rgSubType, rgSubResult}) {
        if (group != sender)
            group->SetItemIndex(-1);
    }
}

void TFilterPage::btnFilterOrderTestClick(QPushButton* sender) {
    const std::pair<TRadioGroup*, TFilterGroup> groups[] = {
        {rgSubFormat, TFilterGroup::SubFormat},
        {rgSubHardEasy, TFilterGroup::SubHardEasy},
        {rgSubType, TFilterGroup::SubType},
        {rgSubResult, TFilterGroup::SubResult}};
    for (const auto& [control, group] : groups) {
        const int position = control->ItemIndex();
        if (position < 0)
            continue;
        emit FilterStarted(FilterCondition(group, position, StrToCode), FilterOrder(sender->text()),
                           control->ItemText(position));
        return;
    }
}
