#include "BankTool.h"

#include "BankContent.h"
#include "BankCsv.h"
#include "data/BankUpdate.h"

#include <QFile>
#include <QFileInfo>

void BuildBank(const QString& sourceFolder, const QString& bankFile, const QByteArray& key) {
    const BankContent content = ReadBankSources(sourceFolder);
    // Built beside the bank first, then taken in by the program's own update rule: an
    // unchanged bank stays untouched, a changed one keeps the learner's marks.
    const QString built = bankFile + QStringLiteral(".built");
    WriteBank(content, built, key);
    const BankUpdateResult update = UpdateBank(built, bankFile, key);
    QFile::remove(built);
    if (!update.Ok)
        throw BankError(QFileInfo(bankFile).fileName(), 0, 0, update.Error);
}

void ExportBank(const QString& bankFile, const QString& folder, const QByteArray& key) {
    WriteBankSources(ReadBank(bankFile, key), folder);
}
