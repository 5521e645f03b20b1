// Answers of a grade service that may be broken or hostile. The first byte chooses whether
// the command was executed or fetched rows.
#include "FuzzCheck.h"
#include "data/RemoteAnswer.h"
#include "data/TQuery.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool execute = data[0] & 1;
    const QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    TQuery dataset;
    if (!ReadRemoteAnswer(body, execute, dataset)) {
        FUZZ_CHECK(dataset.Rows.isEmpty() && dataset.Fields.isEmpty());
        return 0;
    }
    // Every accepted row is as wide as the columns, so reading a cell by column is safe.
    for (const QVariantList& row : dataset.Rows)
        FUZZ_CHECK(row.size() == dataset.Fields.size());
    return 0;
}
