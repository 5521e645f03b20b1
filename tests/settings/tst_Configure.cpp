#include "settings/AppPaths.h"
#include "settings/Configure.h"
#include "support/TestSupport.h"

#include "data/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray Gbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder(text);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ino_t Inode(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_ino;
}

} // namespace

class ConfigureTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Folder = TestSupport::UseFreshDataFolder(false); }

    void missingFileGivesDefaults() {
        const TDriverInfo info = LoadDriverInfo();
        QCOMPARE(info.SubAreaID, 1);
        QCOMPARE(info.SubCarTypeID, 1);
        QVERIFY(info.Name.isEmpty() && info.ID.isEmpty() && info.SubAreaName.isEmpty());
        QVERIFY(info.SubCarTypeName.isEmpty() && info.SubCarTypeDesc.isEmpty());
        const TKeyMap keys = LoadKeyMap();
        for (int value :
             {keys.A, keys.B, keys.C, keys.D, keys.Right, keys.Wrong, keys.Last, keys.Next})
            QCOMPARE(value, -1);
        QVERIFY(!QFileInfo::exists(AppPaths::ConfigureFile()));
    }

    void readsGbkFileWhateverTheCaseOfNames() {
        WriteFile(Folder + "/configure.INI",
                  Gbk("; learner\r\n[driverinfo]\r\n  NAME = 张三  \r\nsubareaid=3\r\n"
                      "SubAreaName=北京\r\n[KEYBOARD]\r\na=7\r\nnext=1\r\n"));
        const TDriverInfo info = LoadDriverInfo();
        QCOMPARE(info.Name, QStringLiteral("张三"));
        QCOMPARE(info.SubAreaID, 3);
        QCOMPARE(info.SubAreaName, QStringLiteral("北京"));
        QCOMPARE(LoadKeyMap().A, 7);
        QCOMPARE(LoadKeyMap().Next, 1);
        QCOMPARE(LoadKeyMap().B, -1);
    }

    void integerThatIsNoNumberReadsAsDefault() {
        WriteFile(Folder + "/Configure.ini",
                  "[DriverInfo]\nSubAreaID=abc\nSubCarTypeID=12abc\n[Keyboard]\nA=\n"
                  "B=99999999999\nC=-4\n");
        QCOMPARE(LoadDriverInfo().SubAreaID, 1);
        QCOMPARE(LoadDriverInfo().SubCarTypeID, 1);
        const TKeyMap keys = LoadKeyMap();
        QCOMPARE(keys.A, -1);
        QCOMPARE(keys.B, -1);
        QCOMPARE(keys.C, -4);
    }

    void writesGbkAndKeepsEveryOtherLine() {
        const QByteArray before = Gbk("; 说明\r\n[QueryGrade]\r\nID=110\r\nnot a key line\r\n"
                                      "[Other]\r\nx = 1\r\n\r\n[keyboard]\r\nb=3\r\n");
        WriteFile(Folder + "/Configure.ini", before);
        Configure::WriteString("DriverInfo", "Name", QStringLiteral("李四"));
        TKeyMap keys;
        keys.A = 7, keys.B = 8, keys.C = 9, keys.D = 5;
        keys.Right = 4, keys.Wrong = 6, keys.Last = 0, keys.Next = 1;
        SaveKeyMap(keys);
        const QByteArray after = ReadFile(Folder + "/Configure.ini");
        QCOMPARE(after,
                 Gbk("; 说明\r\n[QueryGrade]\r\nID=110\r\nnot a key line\r\n[Other]\r\nx = 1\r\n"
                     "\r\n[keyboard]\r\nB=8\r\nA=7\r\nC=9\r\nD=5\r\nRight=4\r\nWrong=6\r\n"
                     "Last=0\r\nNext=1\r\n[DriverInfo]\r\nName=李四\r\n"));
        QCOMPARE(LoadDriverInfo().Name, QStringLiteral("李四"));
        QCOMPARE(LoadKeyMap().Wrong, 6);
    }

    void writesIntoTheFileWhateverTheCaseOfItsName() {
        WriteFile(Folder + "/CONFIGURE.INI", "[DriverInfo]\nName=a\n");
        Configure::WriteInteger("DriverInfo", "SubAreaID", 5);
        QCOMPARE(QDir(Folder).entryList(QDir::Files), QStringList{"CONFIGURE.INI"});
        QCOMPARE(ReadFile(Folder + "/CONFIGURE.INI"),
                 QByteArray("[DriverInfo]\nName=a\nSubAreaID=5\n"));
    }

    void lineBreaksInAValueCannotAddKeys() {
        Configure::WriteString("DriverInfo", "Name", "x");
        Configure::WriteString("QueryGrade", "ID",
                               "1\r\n[DriverInfo]\r\nName=intruder\nSubAreaID=9");
        QCOMPARE(LoadDriverInfo().Name, QStringLiteral("x"));
        QCOMPARE(LoadDriverInfo().SubAreaID, 1);
        QCOMPARE(Configure::ReadString("QueryGrade", "ID"),
                 QStringLiteral("1[DriverInfo]Name=intruderSubAreaID=9"));
    }

    void writeReplacesTheFileAndLeavesNoTemporaryFile() {
        WriteFile(Folder + "/Configure.ini", "[DriverInfo]\r\nName=a\r\n");
        // A write cut off by a kill left its new file; a backup of the learner's own stays.
        WriteFile(Folder + "/Configure.ini.Ab12Cd", "[DriverInfo]\r\nName=half-written");
        WriteFile(Folder + "/Configure.ini.bak", "[DriverInfo]\r\nName=b");
        const ino_t inodeBefore = Inode(Folder + "/Configure.ini");
        Configure::WriteString("DriverInfo", "ID", "42");
        QVERIFY(Inode(Folder + "/Configure.ini") != inodeBefore); // a new file, renamed over
        QCOMPARE(LoadDriverInfo().Name, QStringLiteral("a"));
        QCOMPARE(LoadDriverInfo().ID, QStringLiteral("42"));
        QCOMPARE(QDir(Folder).entryList(QDir::Files),
                 (QStringList{"Configure.ini", "Configure.ini.bak"}));
    }

    void failedWriteKeepsTheOldFileIntact() {
        // A file-size limit makes the new file's write fail half-way, as a full disk would.
        QByteArray before = "[DriverInfo]\r\nName=";
        before += QByteArray(200, 'n') + "\r\n";
        WriteFile(Folder + "/Configure.ini", before);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        Configure::WriteString("DriverInfo", "ID", "1234567890");
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(ReadFile(Folder + "/Configure.ini"), before);
        QCOMPARE(QDir(Folder).entryList(QDir::Files), QStringList{"Configure.ini"});
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
    }

    void writeToAMissingFolderIsNotReported() {
        AppPaths::SetDataFolder(Folder + "/absent");
        Configure::WriteString("DriverInfo", "Name", "a");
        QVERIFY(!QFileInfo::exists(Folder + "/absent"));
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
        QCOMPARE(Configure::ReadString("DriverInfo", "Name", "none"), QStringLiteral("none"));
    }

private:
    QString Folder;
};

QTEST_GUILESS_MAIN(ConfigureTest)
#include "tst_Configure.moc"
