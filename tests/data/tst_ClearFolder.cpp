#include "data/uProc.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// All entries below `folder`, relative to it, sorted.
QStringList Tree(const QString& folder) {
    QStringList entries;
    const QDir root(folder);
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : infos) {
        entries.append(root.relativeFilePath(info.filePath()));
        if (info.isDir() && !info.isSymLink()) {
            for (const QString& inner : Tree(info.filePath()))
                entries.append(info.fileName() + "/" + inner);
        }
    }
    entries.sort();
    return entries;
}

} // namespace

class ClearFolderTest : public QObject {
    Q_OBJECT
private slots:
    void emptiesSubFoldersAndKeepsThem() {
        QTemporaryDir dir;
        const QString tavisk = dir.path() + "/Tavisk";
        QVERIFY(QDir().mkpath(tavisk + "/a/b"));
        Touch(tavisk + "/one.jpg");
        Touch(tavisk + "/.hidden");
        Touch(tavisk + "/a/two.png");
        Touch(tavisk + "/a/b/three.gif");
        QFile::setPermissions(tavisk + "/one.jpg", QFileDevice::ReadOwner);
        QVERIFY(ClearFolder(tavisk + "/"));
        QCOMPARE(Tree(tavisk), (QStringList{"a", "a/b"}));
    }

    void linksAreRemovedButWhatTheyPointToSurvives() {
        QTemporaryDir dir;
        const QString tavisk = dir.path() + "/Tavisk";
        const QString outside = dir.path() + "/outside";
        QVERIFY(QDir().mkpath(tavisk));
        QVERIFY(QDir().mkpath(outside + "/inner"));
        Touch(outside + "/keep.txt");
        Touch(outside + "/inner/keep2.txt");
        QVERIFY(QFile::link(outside, tavisk + "/folderLink"));
        QVERIFY(QFile::link(outside + "/keep.txt", tavisk + "/fileLink"));
        QVERIFY(QFile::link(dir.path() + "/nowhere", tavisk + "/danglingLink"));
        QVERIFY(ClearFolder(tavisk));
        QCOMPARE(Tree(tavisk), QStringList());
        QCOMPARE(Tree(outside), (QStringList{"inner", "inner/keep2.txt", "keep.txt"}));
    }

    void aFolderThatIsALinkIsLeftAlone() {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.path() + "/real"));
        Touch(dir.path() + "/real/keep.txt");
        QVERIFY(QFile::link(dir.path() + "/real", dir.path() + "/Tavisk"));
        QVERIFY(ClearFolder(dir.path() + "/Tavisk/"));
        QVERIFY(QFileInfo::exists(dir.path() + "/real/keep.txt"));
    }

    void missingFolderStillReportsSuccess() {
        QTemporaryDir dir;
        QVERIFY(ClearFolder(dir.path() + "/absent"));
        QVERIFY(ClearFolder(QString()));
    }

    void pauseWaitsWhileTimersRun() {
        SetPauseScale(1);
        bool fired = false;
        QTimer::singleShot(10, this, [&fired] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        Pause(60);
        QVERIFY(clock.elapsed() >= 55);
        QVERIFY(fired);
    }

    void scaledPauseReturnsAtOnce() {
        SetPauseScale(0);
        QElapsedTimer clock;
        clock.start();
        Pause(1000);
        QVERIFY(clock.elapsed() < 1000); // the whole second would mean it waited anyway
        SetPauseScale(1);
    }
};

QTEST_GUILESS_MAIN(ClearFolderTest)
#include "tst_ClearFolder.moc"
