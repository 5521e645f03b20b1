#include "record/RecordClock.h"

namespace RecordClock {

QDate Today() {
    const QDate fixed = QDate::fromString(qEnvironmentVariable("VELTRANO_TODAY"), Qt::ISODate);
    return fixed.isValid() ? fixed : QDate::currentDate();
}

QDateTime Now() {
    return QDateTime(Today(), QTime::currentTime());
}

} // namespace RecordClock
