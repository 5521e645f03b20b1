#include "app/WindowSize.h"

#include <QWidget>

namespace {

int QtMaximum(int limit) {
    return limit == 0 ? QWIDGETSIZE_MAX : limit;
}

int LimitOf(int qtMaximum) {
    return qtMaximum >= QWIDGETSIZE_MAX ? 0 : qtMaximum;
}

} // namespace

void ApplySizeLimits(QWidget& window, const TSizeLimits& limits) {
    window.setMinimumSize(limits.MinWidth, limits.MinHeight);
    window.setMaximumSize(QtMaximum(limits.MaxWidth), QtMaximum(limits.MaxHeight));
}

TSizeLimits SizeLimitsOf(const QWidget& window) {
    return {window.minimumWidth(), window.minimumHeight(), LimitOf(window.maximumWidth()),
            LimitOf(window.maximumHeight())};
}
