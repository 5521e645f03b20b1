#include "data/TQuery.h"

void TQuery::Close() {
    Fields.clear();
    Rows.clear();
    Active = false;
    RowsAffected = 0;
    RecNo = 0;
}

int TQuery::FieldIndex(const QString& name) const {
    for (int i = 0; i < Fields.size(); ++i)
        if (Fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant TQuery::FieldByName(const QString& name) const {
    const int column = FieldIndex(name);
    if (column < 0 || Eof() || column >= Rows[RecNo].size())
        return {};
    return Rows[RecNo][column];
}
