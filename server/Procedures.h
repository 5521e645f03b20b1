#pragma once

#include "GradeStore.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct Reply {
    int Status = 200;
    std::string Body;
};

// The service's answer to one request, independent of HTTP plumbing: checks the provider,
// the body, the command text and its argument ranges, then has the store run the procedure.
class Procedures {
public:
    explicit Procedures(GradeStore& store) : Store(store) {}

    // A request checked and parsed: either refused already, or a command for the store.
    struct Call {
        std::optional<Reply> Refused;
        protocol::Command Command;
    };

    // Checks the provider, the body and the command.
    Call Prepare(std::string_view provider, std::string_view body) const;
    // Hands the answer to a prepared call to `done`: at once on this thread for a refusal
    // or a read the store answers at once, else later on a thread of the store, which is
    // then also the thread whose request failure note (Log.h) tells why it failed.
    void Execute(const Call& call, std::function<void(const Reply&)> done);
    Reply Health();

private:
    GradeStore& Store;
};

// Why the arguments of a parsed command are refused, or an empty text when they are fine:
// ID, name, use time, mark and minimum mark within the limits of protocol/Limits.h, no
// control characters in the texts; a grade key (optional) of up to 64 letters, digits and hyphens.
std::string CheckArguments(const protocol::Command& command);

// Checks a version text for set-version: its length limit, no control characters.
std::string CheckVersionText(std::string_view version);
