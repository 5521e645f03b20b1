#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The settings file of veltrano-server (/etc/veltrano/server.conf when installed): one
// "key = value" a line, blank lines and lines starting with "#" ignored. Every key is a
// flag of the command line without its "--", so the file and the flags set the same
// options; flags given on the command line win.

struct ConfigSetting {
    std::string Flag; // "--listen"
    std::string Value;
    int Line = 0;
};

// The settings of `file` in file order, or nothing after writing the reason (file and
// line) to `error`. A key outside the known ones, a key given twice, a line without "="
// or with control characters and an unreadable or oversized file are refused.
std::optional<std::vector<ConfigSetting>> ReadConfigFile(const std::filesystem::path& file,
                                                         std::string& error);

// The settings file of the installed layout, found from the executable's folder: for a
// program in /usr/bin, /etc/veltrano/server.conf; in <prefix>/bin,
// <prefix>/etc/veltrano/server.conf. A build tree has none there.
std::filesystem::path DefaultConfigFile();

// What --check-config finds wrong beyond the syntax of the settings: a site folder that
// is missing, a SQLite store whose file or folder the service could not write, a
// PostgreSQL server that does not answer. Empty when the settings can serve.
std::vector<std::string> CheckSettings(const std::string& database, const std::string& site);

// The store's name for a log or a terminal, with a PostgreSQL password blanked out.
std::string ShownDatabase(const std::string& database);
