#pragma once

#include <optional>
#include <string>

// The command line of veltrano-server:
//   veltrano-server [--listen HOST:PORT] [--db FILE|postgresql://...] [--threads N]
//   veltrano-server set-version VERSION [--db ...]
//   veltrano-server list-grades ID [--db ...]
struct Options {
    enum class Action { Serve, SetVersion, ListGrades, Help };
    Action Run = Action::Serve;
    std::string Argument; // the version or the ID of an administration command
    std::string Host = "0.0.0.0";
    int Port = 2112;
    std::string Database = "grades.db";
    int Threads = 64;
};

// Returns the options, or nothing after writing the reason to `error`.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error);

extern const char* const kUsage;
