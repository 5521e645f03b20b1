#include "GradeStore.h"

#include "PostgresStore.h"
#include "SqliteStore.h"

#include <future>
#include <type_traits>

Outcome GradeStore::RunNow(const protocol::Command& command) {
    Outcome outcome;
    try {
        std::visit(
            [&](const auto& call) {
                using Call = std::decay_t<decltype(call)>;
                if constexpr (std::is_same_v<Call, protocol::InsertGrade>)
                    outcome.Added = InsertGrade(call);
                else if constexpr (std::is_same_v<Call, protocol::SelectGrade>)
                    outcome.Rows = SelectGrade(call);
                else
                    outcome.Rows = SelectExeVersion();
            },
            command);
    } catch (const StoreError&) {
        outcome.Failure = std::current_exception();
    }
    return outcome;
}

Outcome GradeStore::SubmitAndWait(const protocol::Command& command) {
    std::promise<Outcome> finished;
    Submit(command, [&finished](Outcome outcome) { finished.set_value(std::move(outcome)); });
    Outcome outcome = finished.get_future().get();
    if (outcome.Failure)
        std::rethrow_exception(outcome.Failure);
    return outcome;
}

std::unique_ptr<GradeStore> OpenGradeStore(const std::string& target, int maxConnections) {
    if (IsPostgresUrl(target))
        return OpenPostgresStore(target, maxConnections);
    return OpenSqliteStore(target, maxConnections);
}
