#pragma once

#include "data/SqlCipherConnection.h"

#include <QByteArray>
#include <QString>

// Builds the question bank `bankFile` from the CSV sources in `sourceFolder`. An existing
// bank of the same content is left untouched; a different one is replaced with the
// learner's wrong-question marks carried over. A failed build leaves `bankFile` as it was. Throws
// BankError naming file, line and column of a fault.
void BuildBank(const QString& sourceFolder, const QString& bankFile,
               const QByteArray& key = SqlCipherConnection::BankKey);

// Writes the bank back as CSV sources (texts decoded, wrong-question marks kept) into
// `folder`, which must hold no CSV file yet; building them gives an equal bank.
void ExportBank(const QString& bankFile, const QString& folder,
                const QByteArray& key = SqlCipherConnection::BankKey);
