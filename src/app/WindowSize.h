#pragma once

#include <QSize>
#include <Qt>

// The size limits of the main window; a maximum of 0 means no upper limit.
struct TSizeLimits {
    int MinWidth;
    int MinHeight;
    int MaxWidth;
    int MaxHeight;
    bool operator==(const TSizeLimits&) const = default;
};

// Client sizes: the window's 1020 × 754 outer size on a framed desktop is a client area
// of 1012 × 720, the screen panel. Normally fixed at it; maximised, only the minimum holds.
constexpr TSizeLimits kFixedLimits{1012, 720, 1012, 720};
constexpr TSizeLimits kMaximisedLimits{1012, 720, 0, 0};

// The system commands of the window that change its size.
constexpr int SC_MAXIMIZE = 0xF030;
constexpr int SC_RESTORE = 0xF120;

// The size a window in `state` must have under `limits`: the fixed size of a normal window
// whose limits are fixed; an invalid size when the window may have any size the limits allow
// (maximised, full screen, minimised, or limits not fixed).
QSize RequiredSize(const TSizeLimits& limits, Qt::WindowStates state);
