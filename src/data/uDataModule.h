#pragma once

#include "data/TQuery.h"
#include "protocol/Wire.h"

#include <QList>
#include <QString>
#include <memory>

class SqlCipherConnection;

struct TServerInfo {
    QString Address;
    int Port = protocol::kDefaultPort;
    QString ProviderName;
    QString Token; // sent to a service that asks for one; empty: none
};

// The data module: the one connection to the question bank, the shared query and the
// grade-service entry chosen for this run. One instance lives for the whole run (dmMain).
class TdmMain {
public:
    TdmMain();
    ~TdmMain();
    TdmMain(const TdmMain&) = delete;
    TdmMain& operator=(const TdmMain&) = delete;

    // Opens `bankFile` with the bank's key and prepares the grade-service entry. On any
    // failure shows "本地数据库连接失败，请重新完整安装本系统！" and leaves the
    // connection closed; Connected() then tells the caller.
    // `serverToken` is the token of the settings; VELTRANO_SERVER_TOKEN, when set, wins.
    void DataModuleCreate(const QString& bankFile, const QString& serverToken = {});
    bool Connected() const;
    void InitServerInfo(const QString& serverToken = {});

    SqlCipherConnection& adocLocal() { return *Local; }
    TQuery adoqSub;

    QList<TServerInfo> ServerInfoList;
    TServerInfo ServerInfo;

private:
    std::unique_ptr<SqlCipherConnection> Local;
};

// The data module of the run; null before start-up created it.
extern TdmMain* dmMain;
