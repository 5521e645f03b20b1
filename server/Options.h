#pragma once

#include "protocol/Wire.h"

#include <optional>
#include <string>

// The command line of veltrano-server:
//   veltrano-server [--config FILE] [--check-config] [--listen HOST[:PORT]]
//                   [--db FILE|postgresql://...] [--threads N] [--site DIR]
//   veltrano-server set-version VERSION [--db ...]
//   veltrano-server list-grades ID [--db ...]
//   veltrano-server set-notice TEXT [--db ...]
//   veltrano-server list-feedback [--db ...]
struct Options {
    enum class Action { Serve, SetVersion, ListGrades, SetNotice, ListFeedback, Help, CheckConfig };
    Action Run = Action::Serve;
    std::string Argument; // the version, ID or notice of an administration command
    std::string Host = "0.0.0.0";
    int Port = protocol::kDefaultPort;
    std::string Database = "grades.db";
    int Threads = 64;
    std::string SiteFolder; // empty: the site installed with the program
    std::string ConfigFile; // the settings file read, empty when there was none
};

// Returns the options, or nothing after writing the reason to `error`. The settings file
// named by --config, else the installed one when it exists (DefaultConfigFile), is applied
// first; the flags of the command line then win over it.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error);

std::string Usage();
