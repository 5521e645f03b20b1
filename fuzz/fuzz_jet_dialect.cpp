// Statements in the Jet dialect, turned into the bank engine's dialect.
#include "FuzzCheck.h"
#include "data/JetDialect.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString translated = TranslateJetSql(sql);
    // Quoted texts are never touched, so no quote appears or goes missing.
    FUZZ_CHECK(translated.count(u'\'') == sql.count(u'\''));
    return 0;
}
