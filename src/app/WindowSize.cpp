#include "app/WindowSize.h"

QSize RequiredSize(const TSizeLimits& limits, Qt::WindowStates state) {
    const bool fixed = limits.MaxWidth != 0 && limits.MaxHeight != 0 &&
                       limits.MinWidth == limits.MaxWidth && limits.MinHeight == limits.MaxHeight;
    if (!fixed || (state & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
        return {};
    return {limits.MaxWidth, limits.MaxHeight};
}
