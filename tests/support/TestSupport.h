#pragma once

#include <QString>

// Shared set-up for the program's tests: a temporary data folder with its own
// Configure.ini and question bank, message boxes answered by the hook, pauses shortened.
namespace TestSupport {
// The folder holding the built program, its libraries and the sample bank.
QString BinDir();
// Points the program's files at a fresh temporary folder and returns it; copies the
// sample bank there when `withSampleBank`.
QString UseFreshDataFolder(bool withSampleBank);
// Points the program's files at `folder`, which another run of a test may have filled.
void UseDataFolder(const QString& folder);
} // namespace TestSupport
