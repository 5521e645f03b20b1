// Requests to the grade service as any client may post them, answered by the service's own
// handler on a real SQLite store in a temporary folder. The first byte picks the provider.
#include "FuzzCheck.h"
#include "GradeStore.h"
#include "Procedures.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

std::filesystem::path StoreFolder;
std::unique_ptr<GradeStore> Store;

void RemoveStore() {
    Store.reset();
    std::error_code ignored;
    std::filesystem::remove_all(StoreFolder, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string folder = (std::filesystem::temp_directory_path() / "veltrano-fuzz-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        std::abort();
    StoreFolder = folder;
    Store = OpenGradeStore((StoreFolder / "grades.db").string(), 1);
    std::atexit(RemoveStore);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const std::array<std::string_view, 4> providers = {"dspClient1", "dspClient2",
                                                              "dspClient3", "dspClient9"};
    const std::string_view provider = providers[data[0] % providers.size()];
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    Procedures procedures(*Store);
    // The store may answer on a thread of its own: wait for the answer here.
    std::promise<Reply> answered;
    procedures.Execute(procedures.Prepare(provider, body),
                       [&answered](const Reply& reply) { answered.set_value(reply); });
    const Reply reply = answered.get_future().get();
    // Every answer, refusals included, is a JSON object with a status the client can read.
    FUZZ_CHECK(reply.Status >= 200 && reply.Status <= 599);
    const auto answer = nlohmann::json::parse(reply.Body, nullptr, false);
    FUZZ_CHECK(answer.is_object());
    FUZZ_CHECK((reply.Status == 200) != answer.contains("error"));
    return 0;
}
