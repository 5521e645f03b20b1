#include "data/MessageBox.h"
#include "data/RemoteConnection.h"
#include "data/uDataModule.h"
#include "data/uProc.h"

#include "protocol/Wire.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <httplib.h>
#include <optional>

namespace {

constexpr time_t kConnectTimeoutSeconds = 3;
constexpr time_t kAnswerTimeoutSeconds = 10;
// Far above the largest honest answer (1,000 grade rows); a bigger one is refused.
constexpr size_t kMaxAnswerBytes = 4 * 1024 * 1024;

const char* const kUnreachable = "无法连接远程服务器，操作失败！";
const char* const kCommandFailed = "与远程服务器断开连接，操作失败！";

void ReportFailure(bool showMessages, const char* text) {
    if (showMessages)
        ShowMessageBox(nullptr, QString::fromUtf8(text), MsgIcon::Error);
}

// The body of a 2xx answer to the command, or nothing when the command failed.
std::optional<QByteArray> PostCommand(TServerConnection& connection, const TServerInfo& server,
                                      const QString& command, const QString& mode) {
    httplib::Request request;
    request.method = "POST";
    request.path = protocol::ProviderPath(server.ProviderName.toStdString());
    request.body = protocol::EncodeRequest({command.toStdString(), mode.toStdString()});
    request.set_header("Content-Type", "application/json");
    if (!server.Token.isEmpty())
        request.set_header("Authorization", "Bearer " + server.Token.toStdString());
    QByteArray body;
    request.content_receiver = [&body](const char* data, size_t length, uint64_t, uint64_t) {
        if (size_t(body.size()) + length > kMaxAnswerBytes)
            return false;
        body.append(data, qsizetype(length));
        return true;
    };
    connection.Client->set_read_timeout(kAnswerTimeoutSeconds);
    const auto result = connection.Client->send(request);
    if (!result || result->status < 200 || result->status > 299)
        return std::nullopt;
    return body;
}

QVariant CellValue(const QJsonValue& cell, bool dateTime) {
    if (cell.isString()) {
        if (!dateTime)
            return cell.toString();
        const QDateTime when = QDateTime::fromString(cell.toString(), Qt::ISODate);
        return when.isValid() ? QVariant(when.toLocalTime()) : QVariant();
    }
    if (cell.isDouble()) {
        const double number = cell.toDouble();
        if (number == double(qint64(number)))
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

bool ReadAnswer(const QByteArray& body, bool execute, TQuery& dataset) {
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

} // namespace

TServerConnection::TServerConnection(QString address, int port)
    : Address(std::move(address)), Port(port) {}

TServerConnection::~TServerConnection() = default;

bool ConnectServer(TServerConnection& connection) {
    DisconnectServer(connection);
    auto client =
        std::make_unique<httplib::Client>(connection.Address.toStdString(), connection.Port);
    // Connecting, including the service's first answer, is bounded by the short limit.
    client->set_connection_timeout(kConnectTimeoutSeconds);
    client->set_read_timeout(kConnectTimeoutSeconds);
    client->set_write_timeout(kAnswerTimeoutSeconds);
    client->set_keep_alive(true);
    client->set_tcp_nodelay(true);
    // Any HTTP answer means the service is there; the command reports its own failures.
    if (!client->Get(std::string(protocol::kHealthPath)))
        return false;
    connection.Client = std::move(client);
    connection.Connected = true;
    return true;
}

bool DisconnectServer(TServerConnection& connection) {
    if (connection.Client)
        connection.Client->stop();
    connection.Client.reset();
    connection.Connected = false;
    return true;
}

bool ExecRemoteSQL(TQuery& dataset, const QString& command, const QString& mode,
                   bool showMessages) {
    if (!dmMain) {
        ReportFailure(showMessages, kUnreachable);
        return false;
    }
    return ExecRemoteSQL(dmMain->ServerInfo, dataset, command, mode, showMessages);
}

bool ExecRemoteSQL(TServerInfo server, TQuery& dataset, const QString& command, const QString& mode,
                   bool showMessages) {
    TServerConnection connection(server.Address, server.Port);
    if (server.Address.isEmpty() || !ConnectServer(connection)) {
        ReportFailure(showMessages, kUnreachable);
        return false;
    }
    const bool execute = protocol::IsExecuteMode(mode.toStdString());
    dataset.Close();
    dataset.SQL = command;
    const auto answer = PostCommand(connection, server, command, mode);
    const bool ran = answer && ReadAnswer(*answer, execute, dataset);
    if (!ran) {
        dataset.Close();
        ReportFailure(showMessages, kCommandFailed);
    }
    DisconnectServer(connection);
    return ran;
}
