#pragma once

#include "GradeStore.h"

#include <optional>
#include <string>
#include <string_view>

struct Reply {
    int Status = 200;
    std::string Body;
};

// The service's answer to one request, independent of HTTP plumbing: checks the provider,
// the body, the command text and its argument ranges, then runs the procedure on the store.
class Procedures {
public:
    explicit Procedures(GradeStore& store) : Store(store) {}

    // A request checked and parsed: either refused already, or a command for the store.
    struct Call {
        std::optional<Reply> Refused;
        protocol::Command Command;
    };

    Reply Run(std::string_view provider, std::string_view body);
    // The checks of Run, without the store.
    Call Prepare(std::string_view provider, std::string_view body) const;
    // Whether the call is answered without waiting for anything but the processor: a
    // refusal, or a read of a store whose reads take no lock and make no round trip.
    bool Quick(const Call& call) const;
    // The answer to a prepared call.
    Reply Execute(const Call& call);
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
