#pragma once

#include "app/Page.h"

#include <QStringList>
#include <functional>

class QPushButton;
class TRadioGroup;

// The four filters of special practice, in the order their choice is looked for.
enum class TFilterGroup { SubFormat, SubHardEasy, SubType, SubResult };

// The options of the answer filter and the plain answer each stands for.
const QStringList& AnswerFilterOptions();
QString AnswerFilterPlain(int position);
// Encodes a plain answer as the bank stores it; StrToCode in the program.
using TAnswerEncoder = std::function<QString(const QString&)>;
// The extra practice condition of the option at `position` (from 0) of a group: a lookup
// group filters its column on position + 1, the answer group on the encoded answer as a
// quoted text followed by a blank. Empty for a position the group does not have.
QString FilterCondition(TFilterGroup group, int position, const TAnswerEncoder& encode);
// `text` as an SQL text literal: in single quotes, each single quote inside doubled.
QString SqlTextLiteral(const QString& text);
// Chapter order for the button "顺序练习", random order for any other.
int FilterOrder(const QString& buttonCaption);

// The page tsFilterTest: four option groups of which one option at a time is chosen, and
// the two start buttons.
class TFilterPage : public TPage {
    Q_OBJECT
public:
    explicit TFilterPage(QWidget* parent = nullptr);

    // Fills the groups from the bank's lookup tables and the fixed answer options; nothing
    // is chosen afterwards. A group whose table cannot be read keeps what it had.
    void FillFilterGroups();
    void rgSubResultChanging(TRadioGroup* sender);
    void btnFilterOrderTestClick(QPushButton* sender);

signals:
    // A filter was chosen and a start button pressed: the practice condition, the order
    // and the chosen option's text.
    void FilterStarted(const QString& extra, int order, const QString& caption);

private:
    TRadioGroup* rgSubFormat;
    TRadioGroup* rgSubHardEasy;
    TRadioGroup* rgSubType;
    TRadioGroup* rgSubResult;
    QPushButton* btnFilterOrderTest;
    QPushButton* btnFilterRandTest;
};
