#include "BankTool.h"

#include "BankContent.h"

void BuildBank(const QString& sourceFolder, const QString& bankFile, const QByteArray& key) {
    WriteBank(ReadBankSources(sourceFolder), bankFile, key);
}

void ExportBank(const QString& bankFile, const QString& folder, const QByteArray& key) {
    WriteBankSources(ReadBank(bankFile, key), folder);
}
