#pragma once

#include <QString>

// Where the learner's files are. Beside the executable when the program runs from a
// writable folder of its own (build tree, portable copy); otherwise (an installed copy)
// Configure.ini goes to $XDG_CONFIG_HOME/veltrano/ and the question bank is copied to
// $XDG_DATA_HOME/veltrano/ (it receives the wrong-question marks), and replaced there by the bank
// update rule whenever the installed bank's content changes.
namespace AppPaths {
QString ConfigureFile();
QString BankFile();
// Tests and portable set-ups put Configure.ini and DriveDB.db in one folder of their own.
void SetDataFolder(const QString& folder);
} // namespace AppPaths
