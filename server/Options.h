#pragma once

#include "ServiceLimits.h"
#include "protocol/Wire.h"

#include <optional>
#include <string>

// The command line of veltrano-server:
//   veltrano-server [--config FILE] [--check-config] [--listen HOST[:PORT]]
//                   [--db FILE|postgresql://...] [--threads N] [--site DIR]
//                   [--token-file FILE] [--max-connections N] [--max-per-address N]
//                   [--rate-limit N] [--request-timeout SECONDS]
//   veltrano-server set-version VERSION [--db ...]
//   veltrano-server list-grades ID [--db ...]
//   veltrano-server set-notice TEXT [--db ...]
//   veltrano-server list-feedback [--db ...]
//   veltrano-server backup FILE [--db ...]
struct Options {
    enum class Action {
        Serve,
        SetVersion,
        ListGrades,
        SetNotice,
        ListFeedback,
        Backup,
        Help,
        CheckConfig
    };
    Action Run = Action::Serve;
    std::string Argument; // the version, ID, notice or backup file of an administration command
    // Loopback unless the operator names a network address.
    std::string Host = "127.0.0.1";
    int Port = protocol::kDefaultPort;
    std::string Database = "grades.db";
    // Workers for the store calls that wait: a few per processor keep a store on the same
    // machine busy without crowding it.
    int Threads = 16;
    std::string SiteFolder; // empty: the site installed with the program
    std::string TokenFile;  // empty: no token
    ServiceLimits Limits;
    std::string ConfigFile; // the settings file read, empty when there was none
};

// Returns the options, or nothing after writing the reason to `error`. The settings file
// named by --config, else the installed one when it exists (DefaultConfigFile), is applied
// first; the flags of the command line then win over it.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error);

std::string Usage();

// True for the names and addresses of this machine's loopback interface.
bool IsLoopbackHost(const std::string& host);

// The token in `file`: its first line without surrounding blanks, printable ASCII of at
// least 16 characters. Nothing, with the reason in `error`, when the file cannot be read or
// holds no such token.
std::optional<std::string> ReadTokenFile(const std::string& file, std::string& error);
