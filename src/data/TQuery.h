#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// A dataset: the statement it ran and every row it fetched. Local queries and remote
// command results are small, so all rows are fetched at once and stay with the dataset
// after the connection that produced them is gone.
class TQuery {
public:
    QString SQL;
    QStringList Fields;
    QList<QVariantList> Rows;
    bool Active = false;
    int RowsAffected = 0;

    void Close();
    void First() { RecNo = 0; }
    void Next() { ++RecNo; }
    bool Eof() const { return RecNo >= Rows.size(); }
    int RecordCount() const { return Rows.size(); }
    int CurrentRow() const { return RecNo; }

    // The value of the named column (matched without regard to case) in the current
    // row; an invalid QVariant when there is no such column or no current row.
    QVariant FieldByName(const QString& name) const;
    int FieldIndex(const QString& name) const;

private:
    int RecNo = 0;
};
