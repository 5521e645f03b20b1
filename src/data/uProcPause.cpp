#include "data/uProc.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {
double pauseScale = 1.0;
}

void Pause(int ms) {
    const int scaled = static_cast<int>(ms * pauseScale);
    if (scaled <= 0) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    // Painting, timers and queued calls go on; clicks and keys wait until the pause ends.
    QEventLoop loop;
    QTimer::singleShot(scaled, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void SetPauseScale(double scale) {
    pauseScale = scale < 0 ? 0 : scale;
}
