#pragma once

#include <QString>

#include <optional>

// The calling form of libEncryption's CodeToStr and StrToCode (see Encryption.h).
using CodeFunction = int (*)(const char* in, int inLen, char* out, int outCap);

// Passes `text` as GBK bytes through `function` and returns the result read as GBK; nothing
// when the function is missing or refuses the input.
std::optional<QString> CallCodeFunction(CodeFunction function, const QString& text);

// True when every character of `text` has a GBK code, so it survives the trip through the
// answer-code library unchanged.
bool FitsGbk(const QString& text);
