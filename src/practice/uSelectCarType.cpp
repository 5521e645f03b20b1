#include "practice/uSelectCarType.h"

#include "app/Look.h"

#include "app/RadioGroup.h"
#include "data/MessageBox.h"
#include "data/TQuery.h"
#include "data/uProc.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <optional>

namespace {

const QString kSection = QStringLiteral("DriverInfo");

QFrame* MakePanel(QWidget* parent, const char* name, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(geometry);
    panel->setStyleSheet(QStringLiteral("QFrame#%1 { background: white; border: 1px solid "
                                        "rgb(192, 220, 255); }")
                             .arg(panel->objectName()));
    return panel;
}

// The rows of a lookup statement, or nothing when it cannot be read.
std::optional<TQuery> OpenLookup(const QString& sql) {
    TQuery rows;
    if (!ExecLocalSQL(rows, sql, QStringLiteral("open"), false))
        return std::nullopt;
    return rows;
}

} // namespace

TCarTypeText SplitCarTypeText(const QString& text) {
    const int open = text.indexOf(QLatin1Char('('));
    if (open < 0)
        return {text, {}};
    const int close = text.indexOf(QLatin1Char(')'), open);
    return {text.left(open), text.mid(open + 1, close < 0 ? -1 : close - open - 1)};
}

int AreaPosition(int subAreaID, int count) {
    const int position = subAreaID - 1;
    return position >= 0 && position < count ? position : -1;
}

int CarTypePosition(int subCarTypeID, int count) {
    return qBound(-1, subCarTypeID - 1, count - 1);
}

bool SaveCarTypeChoice(const TCarTypeChoice& choice) {
    if (choice.CarTypePosition < 0)
        return false;
    const TCarTypeText carType = SplitCarTypeText(choice.CarTypeText);
    const bool area = choice.AreaPosition >= 0;
    Configure::WriteStrings(kSection,
                            {{"SubAreaID", QString::number(area ? choice.AreaPosition + 1 : 0)},
                             {"SubAreaName", area ? choice.AreaName : QString()},
                             {"SubCarTypeID", QString::number(choice.CarTypePosition + 1)},
                             {"SubCarTypeName", carType.Name},
                             {"SubCarTypeDesc", carType.Desc}});
    return true;
}

TfrmSelectCarType::TfrmSelectCarType(const TDriverInfo& current, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Current(current) {
    setObjectName("frmSelectCarType");
    setWindowTitle(QStringLiteral("车型选择"));
    setFixedSize(510, 240);
    setFont(Look::SongFont(12));
    Look::Paint(this, QColor(237, 247, 245));

    QFrame* carTypes = MakePanel(this, "pnlCarType", QRect(21, 21, 460, 92));
    rgSelectCarType =
        new TRadioGroup("rgSelectCarType", QStringLiteral("选择车型"), 3, 15, carTypes);
    rgSelectCarType->setGeometry(19, 16, 420, 60);

    QFrame* areas = MakePanel(this, "pnlArea", QRect(21, 133, 280, 55));
    auto* caption = new QLabel(QStringLiteral("选择地区"), areas);
    caption->move(19, 22);
    cbSelectArea = new QComboBox(areas);
    cbSelectArea->setObjectName("cbSelectArea");
    cbSelectArea->setEditable(false);
    cbSelectArea->setGeometry(90, 18, 160, cbSelectArea->sizeHint().height());

    btnStart = new QPushButton(QStringLiteral("开始练习"), this);
    btnStart->setObjectName("btnStart");
    btnStart->setGeometry(342, 141, 120, 40);
    connect(btnStart, &QPushButton::clicked, this, &TfrmSelectCarType::btnStartClick);
}

void TfrmSelectCarType::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmSelectCarType::FormShow() {
    if (const std::optional<TQuery> rows =
            OpenLookup(QStringLiteral("select AreaName from Area"))) {
        cbSelectArea->clear();
        for (const QVariantList& row : rows->Rows)
            cbSelectArea->addItem(row.value(0).toString());
        cbSelectArea->setCurrentIndex(AreaPosition(Current.SubAreaID, cbSelectArea->count()));
    }
    if (const std::optional<TQuery> rows =
            OpenLookup(QStringLiteral("select CarTypeName, CarTypeDesc from CarType"))) {
        QStringList texts;
        for (const QVariantList& row : rows->Rows)
            texts.append(row.value(0).toString() + row.value(1).toString());
        rgSelectCarType->SetItems(texts);
        rgSelectCarType->SetItemIndex(CarTypePosition(Current.SubCarTypeID, texts.size()));
    }
}

void TfrmSelectCarType::btnStartClick() {
    TCarTypeChoice choice;
    choice.AreaPosition = cbSelectArea->currentIndex();
    choice.AreaName = cbSelectArea->currentText();
    choice.CarTypePosition = rgSelectCarType->ItemIndex();
    choice.CarTypeText = rgSelectCarType->ItemText(choice.CarTypePosition);
    if (!SaveCarTypeChoice(choice)) {
        ShowMessageBox(this, QStringLiteral("没有选择车型，题库选择未保存！"),
                       MsgIcon::Information);
        return;
    }
    emit ChoiceSaved();
    close();
}
