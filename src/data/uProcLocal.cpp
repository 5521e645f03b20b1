#include "data/JetDialect.h"
#include "data/MessageBox.h"
#include "data/SqlCipherConnection.h"
#include "data/uDataModule.h"
#include "data/uProc.h"

bool ExecLocalSQL(TQuery& query, const QString& sql, const QString& mode, bool showError) {
    query.Close();
    query.SQL = sql;
    const bool execute = mode.compare(QLatin1String("execute"), Qt::CaseInsensitive) == 0;
    TQuery fetched;
    const bool ok = dmMain != nullptr && dmMain->Connected() &&
                    dmMain->adocLocal().Exec(TranslateJetSql(sql), &fetched);
    if (!ok) {
        if (showError)
            ShowMessageBox(nullptr, QStringLiteral("与本地服务器断开连接，操作失败！"),
                           MsgIcon::Error);
        return false;
    }
    if (execute) {
        query.RowsAffected = fetched.RowsAffected;
        return true;
    }
    query.Fields = fetched.Fields;
    query.Rows = fetched.Rows;
    query.RowsAffected = fetched.RowsAffected;
    query.Active = true;
    query.First();
    return true;
}
