#include "data/RemoteAnswer.h"
#include "data/TQuery.h"

#include "protocol/Wire.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

QVariant CellValue(const QJsonValue& cell, bool dateTime) {
    if (cell.isString()) {
        if (!dateTime)
            return cell.toString();
        const QDateTime when = QDateTime::fromString(cell.toString(), Qt::ISODate);
        return when.isValid() ? QVariant(when.toLocalTime()) : QVariant();
    }
    if (cell.isDouble()) {
        // Whole numbers that fit come back as integers; a conversion of one out of range
        // would be undefined, so those stay floating point like fractions.
        const double number = cell.toDouble();
        if (number >= -0x1p63 && number < 0x1p63 && number == std::trunc(number))
            return qint64(number);
        return number;
    }
    if (cell.isBool())
        return cell.toBool();
    return {};
}

// Reads {"columns": [...], "rows": [[...], ...]} into the dataset; false when the answer
// has another shape (a row of the wrong width, a column that is no text).
bool ReadRows(const QJsonObject& answer, TQuery& dataset) {
    const QJsonValue columns = answer.value(protocol::kColumnsKey);
    const QJsonValue rows = answer.value(protocol::kRowsKey);
    if (!columns.isArray() || !rows.isArray())
        return false;
    QStringList fields;
    QList<bool> dateTimes;
    for (const QJsonValue column : columns.toArray()) {
        if (!column.isString())
            return false;
        fields.append(column.toString());
        dateTimes.append(protocol::IsDateTimeColumn(column.toString().toStdString()));
    }
    QList<QVariantList> values;
    for (const QJsonValue row : rows.toArray()) {
        const QJsonArray cells = row.toArray();
        if (!row.isArray() || cells.size() != fields.size())
            return false;
        QVariantList rowValues;
        for (qsizetype c = 0; c < cells.size(); ++c)
            rowValues.append(CellValue(cells[c], dateTimes[c]));
        values.append(rowValues);
    }
    dataset.Fields = fields;
    dataset.Rows = values;
    dataset.Active = true;
    return true;
}

} // namespace

bool ReadRemoteAnswer(const QByteArray& body, bool execute, TQuery& dataset) {
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return false;
    const QJsonObject answer = document.object();
    if (!execute)
        return ReadRows(answer, dataset);
    const QJsonValue affected = answer.value(protocol::kRowsAffectedKey);
    if (!affected.isDouble())
        return false;
    dataset.RowsAffected = affected.toInt();
    return true;
}
