#include "protocol/Wire.h"

#include "protocol/CommandText.h"

#include <nlohmann/json.hpp>

namespace protocol {

using nlohmann::json;

namespace {

// Stored texts are valid UTF-8; replacing instead of throwing keeps one bad byte from
// turning a whole answer into a failure.
std::string Dump(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

json ToJson(const Value& value) {
    if (const auto* number = std::get_if<long long>(&value))
        return *number;
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return nullptr;
}

} // namespace

const std::array<std::string_view, 3>& ProviderNames() {
    static const std::array<std::string_view, 3> names{"dspClient1", "dspClient2", "dspClient3"};
    return names;
}

bool IsKnownProvider(std::string_view provider) {
    for (auto name : ProviderNames())
        if (name == provider)
            return true;
    return false;
}

std::string ProviderPath(std::string_view provider) {
    return std::string(kProvidersPrefix) + std::string(provider);
}

bool IsExecuteMode(std::string_view mode) {
    return EqualsIgnoringCase(mode, "execute");
}

bool IsDateTimeColumn(std::string_view column) {
    return column == "ReferDate";
}

std::string EncodeRequest(const CommandRequest& request) {
    return Dump(json{{kCommandKey, request.Command}, {kModeKey, request.Mode}});
}

DecodedRequest DecodeRequest(std::string_view body) {
    DecodedRequest decoded;
    const json value = json::parse(body, nullptr, false);
    if (value.is_discarded() || !value.is_object()) {
        decoded.Error = "the body is not a JSON object";
        return decoded;
    }
    const auto command = value.find(kCommandKey);
    const auto mode = value.find(kModeKey);
    if (command == value.end() || !command->is_string() || mode == value.end() ||
        !mode->is_string()) {
        decoded.Error = "the body needs the texts command and mode";
        return decoded;
    }
    decoded.Ok = true;
    decoded.Value = {command->get<std::string>(), mode->get<std::string>()};
    return decoded;
}

std::string EncodeResultSet(const ResultSet& result) {
    json rows = json::array();
    for (const auto& row : result.Rows) {
        json cells = json::array();
        for (const auto& cell : row)
            cells.push_back(ToJson(cell));
        rows.push_back(std::move(cells));
    }
    return Dump(json{{kColumnsKey, result.Columns}, {kRowsKey, std::move(rows)}});
}

std::string EncodeRowsAffected(long long count) {
    return Dump(json{{kRowsAffectedKey, count}});
}

std::string EncodeError(std::string_view reason) {
    return Dump(json{{kErrorKey, std::string(reason)}});
}

} // namespace protocol
