#pragma once

#include "GradeStore.h"

// Grades in PostgreSQL. The schema migration creates the tables and the three procedures
// as PL/pgSQL functions; the service calls those functions with bound parameters.
std::unique_ptr<GradeStore> OpenPostgresStore(const std::string& url, int maxConnections);

bool IsPostgresUrl(const std::string& target);
