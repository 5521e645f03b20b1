#pragma once

#include <QString>

// Where the program's own files lie. A build tree or a portable copy keeps everything in
// the executable's folder, recognised by libEncryption.so beside the executable; an
// installed copy spreads them over <prefix>/bin, a private library folder
// (<prefix>/lib/veltrano) and a read-only data folder (<prefix>/share/veltrano).
namespace InstallLayout {
QString ExecutableDir();
// True when the program runs from a folder that holds its files (build tree, portable copy).
bool RunsFromOwnFolder();
// The answer-code library and the nine resource libraries.
QString LibraryFolder();
// The shipped question bank, the Flash player and the site's pages.
QString SharedDataFolder();
} // namespace InstallLayout
