#pragma once

#include <QDate>
#include <QDateTime>

// The learner record's clock. VELTRANO_TODAY=YYYY-MM-DD fixes the day for tests and for
// trying the review schedule over simulated days; the time of day stays the real one.
namespace RecordClock {
QDate Today();
QDateTime Now();
} // namespace RecordClock
