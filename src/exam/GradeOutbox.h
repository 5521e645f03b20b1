#pragma once

#include "exam/MockExamRules.h"

#include <QList>
#include <functional>

// Passing grades waiting for the grade service's acknowledgement. They are kept in a file in
// the learner's data folder (beside the question bank), rewritten atomically, and sent again
// until the service takes them. Each grade carries a key the service stores only once, so a
// grade whose acknowledgement was lost is never counted twice. Safe to use from any thread.
namespace GradeOutbox {

QString File();
// A new grade key (a UUID without braces).
QString NewKey();
// The waiting grades in the order they were kept; an unreadable file reads as none.
QList<TGrade> Pending();
// Keeps a grade (replacing one of the same key); false when the file cannot be written.
bool Keep(const TGrade& grade);
// Forgets the grade of `key`; false when the file cannot be written.
bool Forget(const QString& key);
// Offers every waiting grade to `send`; each grade it acknowledges leaves the outbox.
// Returns the number acknowledged.
int Resend(const std::function<bool(const TGrade&)>& send);

// Sends a grade to the grade service without a message; true when acknowledged.
bool SendQuietly(const TGrade& grade);
// Resends the waiting grades on a worker thread of the application's pool.
void ResendInBackground();

} // namespace GradeOutbox
