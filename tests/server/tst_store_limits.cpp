// The limits every store's table checks are built from, and the text checks of the service.
#include "StoreLimits.h"

#include <QTest>
#include <stdexcept>

class TestStoreLimits : public QObject {
    Q_OBJECT

private slots:
    void schemaLimitsAreFilledIn() {
        QCOMPARE(
            QString::fromStdString(WithLimits("CHECK (mark BETWEEN {Mark}) LIMIT {MaxGradeRows};")),
            "CHECK (mark BETWEEN 0 AND 100) LIMIT 1000;");
        QCOMPARE(QString::fromStdString(WithLimits("length(emp_id) BETWEEN {EmpID} {")),
                 "length(emp_id) BETWEEN 1 AND 25 {");
        // A misspelt limit must stop the store from opening, not reach the database.
        QVERIFY_THROWS_EXCEPTION(std::logic_error, WithLimits("CHECK (mark BETWEEN {Marks})"));
    }

    void utf8IsValidatedStrictly_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ascii") << QByteArray("abc") << true;
        QTest::newRow("chinese") << QByteArray("\xE6\xB1\x89\xE5\xAD\x97") << true;
        QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x9A\x97") << true;
        QTest::newRow("cut short") << QByteArray("\xE6\xB1") << false;
        QTest::newRow("stray continuation") << QByteArray("a\x80") << false;
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("beyond unicode") << QByteArray("\xF4\x90\x80\x80") << false;
    }

    void utf8IsValidatedStrictly() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QCOMPARE(IsValidUtf8(text.toStdString()), valid);
    }

    void textsAreCountedInCharacters() {
        const std::string twenty = QString(20, QChar(0x5F20)).toStdString();
        QVERIFY(CheckText("name", twenty, protocol::kEmpNameChars).empty());
        QVERIFY(!CheckText("name", twenty + "x", protocol::kEmpNameChars).empty());
        QVERIFY(!CheckText("name", "", protocol::kEmpNameChars).empty());
        QVERIFY(CheckText("notice", "", kNoticeChars).empty());
        QVERIFY(!CheckText("message", "a\nb", kFeedbackMessageChars).empty());
        QVERIFY(CheckText("message", "a\nb\tc", kFeedbackMessageChars, true).empty());
        QVERIFY(!CheckText("message", "a\x1b[2J", kFeedbackMessageChars, true).empty());
        QVERIFY(!CheckText("message",
                           "a\xC2\x9B"
                           "2J",
                           kFeedbackMessageChars, true)
                     .empty());
        QVERIFY(CheckText("message", "\xC2\xA0\xC2\xB7", kFeedbackMessageChars, true).empty());
    }
};

QTEST_GUILESS_MAIN(TestStoreLimits)
#include "tst_store_limits.moc"
