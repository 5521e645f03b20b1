#pragma once

#include "protocol/Wire.h"

#include <optional>
#include <string>

// The command line of veltrano-server:
//   veltrano-server [--listen HOST[:PORT]] [--db FILE|postgresql://...] [--threads N]
//                   [--site DIR]
//   veltrano-server set-version VERSION [--db ...]
//   veltrano-server list-grades ID [--db ...]
//   veltrano-server set-notice TEXT [--db ...]
//   veltrano-server list-feedback [--db ...]
//   veltrano-server backup FILE [--db ...]
struct Options {
    enum class Action { Serve, SetVersion, ListGrades, SetNotice, ListFeedback, Backup, Help };
    Action Run = Action::Serve;
    std::string Argument; // the version, ID, notice or backup file of an administration command
    std::string Host = "0.0.0.0";
    int Port = protocol::kDefaultPort;
    std::string Database = "grades.db";
    int Threads = 64;
    std::string SiteFolder; // empty: the site installed with the program
};

// Returns the options, or nothing after writing the reason to `error`.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error);

std::string Usage();
