#include "data/BankUpdate.h"

#include "data/SqlCipherConnection.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

const QString kHashRow = QStringLiteral("ContentHash");

BankUpdateResult Failed(const QString& error) {
    return {false, false, error};
}

// The SubIDs the learner marked wrong, or none when `working` is no readable bank.
std::optional<QVariantList> ReadMarks(const QString& working, const QByteArray& key) {
    SqlCipherConnection bank(key);
    TQuery marks;
    if (!bank.Open(working) ||
        !bank.Exec(QStringLiteral("select distinct SubID from Sub where WrongMark<>0"), &marks))
        return std::nullopt;
    QVariantList subIds;
    for (const QVariantList& row : marks.Rows)
        subIds.append(row.value(0));
    return subIds;
}

// The learner's marks replace those the fresh bank came with.
bool WriteMarks(const QString& staged, const QByteArray& key, const QVariantList& subIds,
                QString& error) {
    SqlCipherConnection bank(key);
    bool ok = bank.Open(staged) && bank.Exec(QStringLiteral("begin")) &&
              bank.Exec(QStringLiteral("update Sub set WrongMark=0"));
    for (const QVariant& subId : subIds)
        ok = ok && bank.Exec(QStringLiteral("update Sub set WrongMark=1 where SubID=?"), nullptr,
                             {subId});
    ok = ok && bank.Exec(QStringLiteral("commit"));
    if (!ok)
        error = bank.LastError();
    return ok;
}

QString ContentHashOf(const QString& file, const QByteArray& key) {
    SqlCipherConnection bank(key);
    return bank.Open(file) ? ReadBankContentHash(bank) : QString();
}

bool RenameOver(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

QString ReadBankContentHash(SqlCipherConnection& bank) {
    TQuery row;
    if (!bank.TableExists(QStringLiteral("BankVersion")) ||
        !bank.Exec(QStringLiteral("select Value from BankVersion where Name=?"), &row,
                   {kHashRow}) ||
        row.RecordCount() == 0)
        return {};
    return row.Rows.first().value(0).toString();
}

void WriteBankContentHash(SqlCipherConnection& bank, const QString& hash) {
    bank.Exec(QStringLiteral("create table if not exists BankVersion "
                             "(Name text primary key, Value text)"));
    bank.Exec(QStringLiteral("insert or replace into BankVersion (Name, Value) values (?, ?)"),
              nullptr, {kHashRow, hash});
}

BankUpdateResult UpdateBank(const QString& fresh, const QString& working, const QByteArray& key) {
    const QString freshHash = ContentHashOf(fresh, key);
    if (freshHash.isEmpty())
        return Failed(QStringLiteral("%1 is no built question bank").arg(fresh));
    const bool haveWorking = QFileInfo::exists(working);
    if (haveWorking && ContentHashOf(working, key) == freshHash)
        return {true, false, {}};

    const QString staged = working + QStringLiteral(".update");
    QFile::remove(staged);
    if (!QFile::copy(fresh, staged))
        return Failed(QStringLiteral("cannot copy %1 beside %2").arg(fresh, working));
    QFile(staged).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                 QFile::ReadOther);
    QString error;
    const std::optional<QVariantList> marks =
        haveWorking ? ReadMarks(working, key) : QVariantList();
    if (haveWorking && marks && !WriteMarks(staged, key, *marks, error)) {
        QFile::remove(staged);
        return Failed(QStringLiteral("cannot carry the marks into %1: %2").arg(staged, error));
    }
    // A working copy that is no bank is kept aside, never lost.
    if (!marks && !RenameOver(working, working + QStringLiteral(".old"))) {
        QFile::remove(staged);
        return Failed(QStringLiteral("cannot keep %1 aside").arg(working));
    }
    if (!RenameOver(staged, working)) {
        QFile::remove(staged);
        return Failed(QStringLiteral("cannot replace %1").arg(working));
    }
    return {true, true, {}};
}
