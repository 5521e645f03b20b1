#pragma once

#include <QString>

// Turns a statement written for the Jet dialect into the bank engine's dialect:
// "select top n …" becomes "select … limit n" (the limit closes that select: before the
// parenthesis that ends its derived table or at the end of the statement; before a following
// union, where the engine rejects it rather than limiting the whole union), and the literals
// true and false become 1 and 0. Quoted texts are never
// touched; rnd(x) stays, the connection serves it. Everything else passes through as is.
QString TranslateJetSql(const QString& sql);
