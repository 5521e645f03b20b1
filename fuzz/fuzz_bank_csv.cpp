// Bank sources: CSV files that an editor of questions writes by hand.
#include "BankCsv.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const CsvFile csv = ParseCsv(QStringLiteral("fuzz.csv"), bytes);
        FUZZ_CHECK(!csv.Header.isEmpty());
        int previousLine = csv.HeaderLine;
        for (const CsvRecord& record : csv.Records) {
            FUZZ_CHECK(record.Fields.size() == csv.Header.size());
            FUZZ_CHECK(record.Line > previousLine);
            previousLine = record.Line;
        }
    } catch (const BankError& error) {
        FUZZ_CHECK(!error.Message.isEmpty());
    }
    return 0;
}
