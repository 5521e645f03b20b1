#pragma once

#include <string>

// Writes one whole line to stderr; lines of concurrent requests never interleave.
void LogLine(const std::string& line);
