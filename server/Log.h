#pragma once

#include <string>

// Writes one whole line to stderr; lines of concurrent requests never interleave, and line
// breaks inside the text (store messages have them) become blanks.
void LogLine(const std::string& line);

// Remembers why the request on this thread failed, for that request's log line.
void NoteRequestFailure(const std::string& detail);
// The failure noted for the current request, or an empty text; clears it.
std::string TakeRequestFailure();
