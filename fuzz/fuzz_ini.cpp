// Configure.ini as a learner or another program may have left it: any bytes.
#include "FuzzCheck.h"
#include "settings/IniDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    IniDocument document = IniDocument::Parse(bytes);
    (void)document.Value(QStringLiteral("DriverInfo"), QStringLiteral("Name"));
    (void)document.Value(QStringLiteral("Keyboard"), QStringLiteral("A"));

    // A value written into any file reads back as written, after the file is read again.
    const QString name = QStringLiteral("张 三");
    document.SetValue(QStringLiteral("DriverInfo"), QStringLiteral("Name"), name);
    document.SetValue(QStringLiteral("Keyboard"), QStringLiteral("A"), QStringLiteral("7"));
    const IniDocument reread = IniDocument::Parse(document.ToBytes());
    FUZZ_CHECK(reread.Value(QStringLiteral("DriverInfo"), QStringLiteral("Name")) == name);
    FUZZ_CHECK(reread.Value(QStringLiteral("Keyboard"), QStringLiteral("A")) ==
               QStringLiteral("7"));
    return 0;
}
