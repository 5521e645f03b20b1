#pragma once

#include "GradeStore.h"

// Grades in one SQLite file: WAL journal and full sync, so that a grade acknowledged to a
// client survives the service being killed at any moment.
std::unique_ptr<GradeStore> OpenSqliteStore(const std::string& file, int maxConnections);

// The statement behind procSelectGrade: ?1 the ID, ?2 the minimum mark, ?3 the row limit.
std::string SqliteSelectGradeSql();

// Copies the SQLite store `database` to the file `destination` (created 0600, replaced
// whole: a half-written copy never takes its name), safely while the service writes to the
// store. Throws StoreError.
void BackupSqliteStore(const std::string& database, const std::string& destination);
