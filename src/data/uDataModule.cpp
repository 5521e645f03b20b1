#include "data/uDataModule.h"

#include "data/MessageBox.h"
#include "data/SqlCipherConnection.h"
#include "protocol/Wire.h"

#include <QRandomGenerator>

TdmMain* dmMain = nullptr;

namespace {

// Tables every bank holds; a file without them is no question bank, whatever it decrypts to.
const char* const BankTables[] = {"Sub",     "Chapter",    "Area",
                                  "CarType", "SubFormat",  "SubHardEasy",
                                  "SubType", "DriveTeach", "DriveTeachList"};

// VELTRANO_SERVER as "host:port"; a missing or unusable part keeps its default.
void ReadServerAddress(QString& address, int& port) {
    address = QStringLiteral("127.0.0.1");
    port = protocol::kDefaultPort;
    const QString setting = QString::fromLocal8Bit(qgetenv("VELTRANO_SERVER")).trimmed();
    const qsizetype colon = setting.lastIndexOf(':');
    const QString host = colon < 0 ? setting : setting.left(colon);
    if (!host.isEmpty())
        address = host;
    bool numeric = false;
    const int given = colon < 0 ? 0 : setting.mid(colon + 1).toInt(&numeric);
    if (numeric && given > 0 && given <= 65535)
        port = given;
}

} // namespace

TdmMain::TdmMain() : Local(std::make_unique<SqlCipherConnection>()) {}

TdmMain::~TdmMain() {
    Local->Close();
}

void TdmMain::DataModuleCreate(const QString& bankFile, const QString& serverToken) {
    Local->Close();
    bool ok = Local->Open(bankFile);
    for (const char* table : BankTables)
        ok = ok && Local->TableExists(QLatin1String(table));
    if (!ok) {
        Local->Close();
        ShowMessageBox(nullptr, QStringLiteral("本地数据库连接失败，请重新完整安装本系统！"),
                       MsgIcon::Information);
        return;
    }
    InitServerInfo(serverToken);
}

bool TdmMain::Connected() const {
    return Local->IsOpen();
}

void TdmMain::InitServerInfo(const QString& serverToken) {
    QString address;
    int port = protocol::kDefaultPort;
    ReadServerAddress(address, port);
    const QString fromEnvironment =
        QString::fromLocal8Bit(qgetenv("VELTRANO_SERVER_TOKEN")).trimmed();
    const QString token = fromEnvironment.isEmpty() ? serverToken.trimmed() : fromEnvironment;
    ServerInfoList.clear();
    for (int provider = 1; provider <= 3; ++provider)
        ServerInfoList.append({address, port, QStringLiteral("dspClient%1").arg(provider), token});
    ServerInfo = ServerInfoList[QRandomGenerator::global()->bounded(int(ServerInfoList.size()))];
}
