#pragma once

#include <QByteArray>
#include <QString>

class SqlCipherConnection;

// The content version of a question bank: the bank tool stores a hash of what it built in
// the table BankVersion (Name, Value), row "ContentHash". A bank without it (older banks)
// has the empty version, which differs from every built one.
QString ReadBankContentHash(SqlCipherConnection& bank);
void WriteBankContentHash(SqlCipherConnection& bank, const QString& hash);

struct BankUpdateResult {
    bool Ok = false;
    bool Replaced = false; // the working copy now holds the fresh bank
    QString Error;
};

// The one rule by which a newer bank reaches the learner: `fresh` (a shipped or just built
// bank) replaces `working` (the copy that receives the learner's wrong-question marks) only
// when the working copy is missing or its content version differs. The fresh bank is
// copied beside the working copy, every WrongMark of the working copy is carried over by
// SubID, and the copy is then renamed over it, so an interruption leaves the old copy
// whole. A working copy that cannot be read as a bank is kept as "<working>.old".
// `fresh` itself is never changed.
BankUpdateResult UpdateBank(const QString& fresh, const QString& working, const QByteArray& key);
