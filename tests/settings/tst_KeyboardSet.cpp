#include "data/MessageBox.h"
#include "settings/Configure.h"
#include "settings/uKeyboardSet.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

const char* const ListNames[] = {"cbKeyA",     "cbKeyB",     "cbKeyC",    "cbKeyD",
                                 "cbKeyRight", "cbKeyWrong", "cbKeyLast", "cbKeyNext"};

QComboBox* List(TfrmKeyboardSet& dialog, const char* name) {
    return dialog.findChild<QComboBox*>(QString::fromLatin1(name));
}

void Press(TfrmKeyboardSet& dialog, const char* name) {
    dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

bool SameMap(const TKeyMap& a, const TKeyMap& b) {
    return a.A == b.A && a.B == b.B && a.C == b.C && a.D == b.D && a.Right == b.Right &&
           a.Wrong == b.Wrong && a.Last == b.Last && a.Next == b.Next;
}

} // namespace

class TestKeyboardSet : public QObject {
    Q_OBJECT
private slots:
    void init() { TestSupport::UseFreshDataFolder(false); }

    void unsetMapOpensEmptyAndCannotBeSaved() {
        TKeyMap map = LoadKeyMap();
        TfrmKeyboardSet dialog(map, nullptr);
        for (const char* name : ListNames)
            QCOMPARE(List(dialog, name)->currentIndex(), -1);
        Press(dialog, "btnSave");
        QCOMPARE(MessageBoxHook::Recorded(), QStringList{"热键不能相同，请重新设置！"});
        QVERIFY(SameMap(map, TKeyMap()));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void defaultsAreStoredInTheSettingsFile() {
        TKeyMap map;
        TfrmKeyboardSet dialog(map, nullptr);
        Press(dialog, "btnRecover");
        QVERIFY(SameMap(map, TKeyMap())); // nothing stored before saving
        Press(dialog, "btnSave");
        QVERIFY(MessageBoxHook::Recorded().isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(SameMap(map, DefaultKeyMap()));
        QVERIFY(SameMap(LoadKeyMap(), DefaultKeyMap()));
        QCOMPARE(Configure::ReadInteger("Keyboard", "Right", -1), 4);
        QCOMPARE(Configure::ReadInteger("Keyboard", "Next", -1), 1);

        TfrmKeyboardSet reopened(map, nullptr);
        QCOMPARE(List(reopened, "cbKeyA")->currentText(), QStringLiteral("Number 7"));
        QCOMPARE(List(reopened, "cbKeyLast")->currentText(), QStringLiteral("PageUp"));
    }

    void clashingKeysAreRefused_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("refused");
        QTest::newRow("A and B") << "cbKeyA"
                                 << "cbKeyB" << 7 << true;
        QTest::newRow("C and D") << "cbKeyC"
                                 << "cbKeyD" << 3 << true;
        QTest::newRow("right and wrong") << "cbKeyRight"
                                         << "cbKeyWrong" << 2 << true;
        QTest::newRow("last and next") << "cbKeyLast"
                                       << "cbKeyNext" << 1 << true;
        QTest::newRow("A and right") << "cbKeyA"
                                     << "cbKeyRight" << 4 << false;
        QTest::newRow("D and wrong") << "cbKeyD"
                                     << "cbKeyWrong" << 6 << false;
    }

    void clashingKeysAreRefused() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, position);
        QFETCH(bool, refused);
        TKeyMap map = DefaultKeyMap();
        TfrmKeyboardSet dialog(map, nullptr);
        List(dialog, qPrintable(first))->setCurrentIndex(position);
        List(dialog, qPrintable(second))->setCurrentIndex(position);
        Press(dialog, "btnSave");
        QCOMPARE(!MessageBoxHook::Recorded().isEmpty(), refused);
        QCOMPARE(SameMap(map, DefaultKeyMap()), refused);
    }
};

QTEST_MAIN(TestKeyboardSet)
#include "tst_KeyboardSet.moc"
