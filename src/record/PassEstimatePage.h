#pragma once

#include "app/Page.h"
#include "settings/Configure.h"

class QLabel;

// 通过预测: the estimated chance to pass the next mock exam, what it rests on, and one
// sentence on how it is computed.
class TPassEstimatePage : public TPage {
    Q_OBJECT
public:
    explicit TPassEstimatePage(const TDriverInfo& driverInfo, QWidget* parent = nullptr);

    void Reload();

private:
    const TDriverInfo& DriverInfo;
    QLabel* lblPassChance;
    QLabel* lblPassBasis;
    QLabel* lblPassRule;
};
