#include "data/MessageBox.h"
#include "data/SqlCipherConnection.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "data/uProc.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString ConnectFailed = QStringLiteral("本地数据库连接失败，请重新完整安装本系统！");
const QString QueryFailed = QStringLiteral("与本地服务器断开连接，操作失败！");

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestDataModule : public QObject {
    Q_OBJECT

    QString Bank; // a fresh copy of the sample bank
    TdmMain Module;

private slots:
    void initTestCase() {
        const QString folder = TestSupport::UseFreshDataFolder(true);
        Bank = folder + "/DriveDB.db";
        QVERIFY(QFile::exists(Bank));
        QVERIFY(!LoadLibraries().join(' ').contains("libEncryption"));
        QVERIFY(EncryptionLoaded());
        Module.DataModuleCreate(Bank);
        QVERIFY(Module.Connected());
        QCOMPARE(MessageBoxHook::Recorded(), QStringList());
        dmMain = &Module;
    }
    void cleanupTestCase() { dmMain = nullptr; }
    void init() { MessageBoxHook::Clear(); }

    void answersEncodeAsTheBankStoresThem() {
        TQuery query;
        QVERIFY(ExecLocalSQL(query, "select count(*) from Sub", "open", false));
        const int total = query.FieldByName("count(*)").toInt();
        QVERIFY(total > 0);
        int answered = 0;
        for (const QString& answer : QStringList{"A", "B", "C", "D", "对", "错"}) {
            QCOMPARE(CodeToStr(StrToCode(answer)), answer);
            QVERIFY(ExecLocalSQL(query,
                                 "select count(*) as n from Sub where SubAnswer = '" +
                                     StrToCode(answer) + "'",
                                 "open", false));
            answered += query.FieldByName("n").toInt();
        }
        QCOMPARE(answered, total); // every stored answer decodes to one of the six
        const QString text = QStringLiteral("驾驶机动车在道路上行驶，'引号' \"双引号\" 100%");
        QCOMPARE(CodeToStr(StrToCode(text)), text);
        QCOMPARE(CodeToStr("not a code"), QString());
    }

    void everyStatementShapeRunsOnTheSampleBank() {
        const auto rows = [](const QString& sql) {
            TQuery query;
            return ExecLocalSQL(query, sql, "open", false) ? query.RecordCount() : -1;
        };
        QCOMPARE(rows("select AreaName from Area"), 8);
        QCOMPARE(rows("select CarTypeName, CarTypeDesc from CarType"), 3);
        QCOMPARE(rows("select SubFormatName from SubFormat"), 2);
        QCOMPARE(rows("select SubHardEasyName from SubHardEasy"), 3);
        QCOMPARE(rows("select SubTypeName from SubType"), 5);
        QCOMPARE(rows("select * from Chapter where (CarTypeSubID = -1 and AreaSubID = -1) or "
                      "(CarTypeSubID = 3)or (AreaSubID = 4) order by ChapterID"),
                 9);
        for (int carType = 1; carType <= 3; ++carType)
            QCOMPARE(rows("select ChapterID,CardTypeIDCount" + QString::number(carType) +
                          " as CardTypeIDCount from Chapter where (CarTypeSubID = -1 and "
                          "AreaSubID = -1) or (CarTypeSubID = 1)or (AreaSubID = 3) order by "
                          "ChapterID"),
                     8); // chapters 1-7 and the chapter of area 3
        QVERIFY(rows("select s.* from Sub s inner join (select min(Sub.ID) as SelID, Sub.SubID "
                     "from Sub inner join Chapter on Sub.ChapterID=Chapter.ChapterID where "
                     "((CarTypeSubID = -1 and AreaSubID = -1) or (CarTypeSubID = 1) or "
                     "(AreaSubID = 3)) and SubAnswer = '" +
                     StrToCode("对") +
                     "' group by SubID) p on s.ID=p.SelID order by rnd(s.SubID)") > 0);
        QVERIFY(rows("select DriveTeachID, DriveTeachSecondName from DriveTeach where "
                     "DriveTeachFirstName= '交通法规' order by DriveTeachID") >= 0);
        QVERIFY(rows("select b.DriveTeachFirstName,a.* from DriveTeachList a inner join "
                     "DriveTeach b on a.DriveTeachID=b.DriveTeachID where b.DriveTeachID "
                     "between 32 and 41 order by a.DriveTeachID") >= 0);
    }

    void modesOpenExecuteAndActive() {
        TQuery query;
        QVERIFY(ExecLocalSQL(query, "select SubID, WrongMark from Sub order by ID", "Open", true));
        QVERIFY(query.Active);
        QCOMPARE(query.CurrentRow(), 0);
        const int subId = query.FieldByName("SubID").toInt();
        QVERIFY(ExecLocalSQL(query,
                             "update Sub set WrongMark=true where SubID=" + QString::number(subId),
                             "EXECUTE", true));
        QVERIFY(!query.Active);
        QVERIFY(query.RowsAffected >= 1);
        QVERIFY(ExecLocalSQL(query,
                             "select WrongMark from Sub where SubID=" + QString::number(subId),
                             "Active", true));
        QVERIFY(query.Active);
        QCOMPARE(query.FieldByName("WrongMark").toInt(), 1);
        QVERIFY(ExecLocalSQL(query,
                             "update Sub set WrongMark=false where SubID=" + QString::number(subId),
                             "execute", false));
        QCOMPARE(MessageBoxHook::Recorded(), QStringList());
    }

    void failuresCloseTheQueryAndSpeakOnlyWhenAsked() {
        TQuery query;
        QVERIFY(ExecLocalSQL(query, "select * from Area", "open", false));
        QVERIFY(!ExecLocalSQL(query, "update NoSuchTable set x=1", "execute", false));
        QVERIFY(!query.Active);
        QCOMPARE(query.RecordCount(), 0);
        QCOMPARE(MessageBoxHook::Recorded(), QStringList());
        QVERIFY(!ExecLocalSQL(query, "select * from (select top 1 ) ls", "open", true));
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{QueryFailed});
        dmMain = nullptr;
        QVERIFY(!ExecLocalSQL(query, "select * from Area", "open", true));
        dmMain = &Module;
        QCOMPARE(MessageBoxHook::Recorded().size(), 2);
    }

    void statementsThatRunTooLongAreStopped() {
        TQuery query;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!ExecLocalSQL(query,
                              "with recursive c(x) as (select 1 union all select x+1 from c) "
                              "select count(*) from c",
                              "open", false));
        QVERIFY(clock.elapsed() < 15000);
    }

    void badBankFilesFailWithTheStartMessage_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing", "other key", "garbage", "empty", "no tables"})
            QTest::newRow(kind) << kind;
    }

    void badBankFilesFailWithTheStartMessage() {
        QFETCH(QString, kind);
        QTemporaryDir folder;
        const QString file = folder.filePath("DriveDB.db");
        if (kind == "other key" || kind == "no tables") {
            SqlCipherConnection db(kind == "other key" ? "QK/7306" : SqlCipherConnection::BankKey);
            QVERIFY(db.Open(file, true));
            QVERIFY(db.Exec(kind == "other key" ? "create table Sub (ID); create table Chapter (x)"
                                                : "create table Unrelated (x)"));
        } else if (kind == "garbage") {
            QByteArray bytes;
            for (int i = 0; i < 8192; ++i)
                bytes.append(char(i * 131 % 251));
            WriteFile(file, bytes);
        } else if (kind == "empty") {
            WriteFile(file, {});
        }
        TdmMain module;
        module.DataModuleCreate(file);
        QVERIFY(!module.Connected());
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{ConnectFailed});
        QCOMPARE(QFile::exists(file), kind != "missing"); // opening never creates a bank
    }

    void sampleBankNeedsTheKey() {
        QFile file(TestSupport::BinDir() + "/DriveDB.db");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.read(16).startsWith("SQLite format"));
        for (const QByteArray& key : {QByteArray(), QByteArray("QK/730"), QByteArray("qk/7305")})
            QVERIFY(!SqlCipherConnection(key).Open(file.fileName()));
        QVERIFY(SqlCipherConnection().Open(file.fileName()));
    }

    void serverEntryComesFromTheEnvironment() {
        qputenv("VELTRANO_SERVER", "10.1.2.3:9000");
        Module.InitServerInfo();
        QCOMPARE(Module.ServerInfoList.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(Module.ServerInfoList[i].ProviderName,
                     QStringLiteral("dspClient%1").arg(i + 1));
            QCOMPARE(Module.ServerInfoList[i].Address, QStringLiteral("10.1.2.3"));
            QCOMPARE(Module.ServerInfoList[i].Port, 9000);
        }
        QSet<QString> drawn;
        for (int i = 0; i < 200; ++i) {
            Module.InitServerInfo();
            drawn.insert(Module.ServerInfo.ProviderName);
        }
        QCOMPARE(drawn.size(), 3);
        qputenv("VELTRANO_SERVER", "server.example:http");
        Module.InitServerInfo();
        QCOMPARE(Module.ServerInfo.Address, QStringLiteral("server.example"));
        QCOMPARE(Module.ServerInfo.Port, 2112);
        qunsetenv("VELTRANO_SERVER");
        Module.InitServerInfo();
        QCOMPARE(Module.ServerInfo.Address, QStringLiteral("127.0.0.1"));
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
