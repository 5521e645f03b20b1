#pragma once

#include <QByteArray>

class TQuery;

// Reads the body of a 2xx answer of the grade service into `dataset`: {"rowsAffected": n}
// for an executed command, {"columns": [...], "rows": [[...], ...]} otherwise. False, with
// the dataset untouched, when the body has another shape; a hostile body is only refused.
bool ReadRemoteAnswer(const QByteArray& body, bool execute, TQuery& dataset);
