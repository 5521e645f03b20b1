#include "GradeStore.h"

#include "PostgresStore.h"
#include "SqliteStore.h"

std::unique_ptr<GradeStore> OpenGradeStore(const std::string& target, int maxConnections) {
    if (IsPostgresUrl(target))
        return OpenPostgresStore(target, maxConnections);
    return OpenSqliteStore(target, maxConnections);
}
