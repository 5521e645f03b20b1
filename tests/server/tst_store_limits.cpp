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

    // Each class once at the edges of its range, so that a table slip shows.
    void invisibleCharactersAreRefused_data() {
        QTest::addColumn<uint>("code");
        QTest::addColumn<bool>("refused");
        for (const uint code : {0x00u,   0x1Fu,   0x7Fu,   0x80u,    0x85u,     0x9Fu,    0xADu,
                                0x061Cu, 0x180Eu, 0x200Bu, 0x200Fu,  0x2028u,   0x2029u,  0x202Au,
                                0x202Eu, 0x2060u, 0x2066u, 0x206Fu,  0xFDD0u,   0xFDEFu,  0xFEFFu,
                                0xFFF9u, 0xFFFEu, 0xFFFFu, 0x1FFFEu, 0x10FFFFu, 0xE0001u, 0xE007Fu})
            QTest::addRow("U+%04X", code) << code << true;
        for (const uint code : {0x20u, 0x41u, 0xA0u, 0xA1u, 0x200Au, 0x2010u, 0x2030u, 0x3000u,
                                0x5F20u, 0xFDCFu, 0xFDF0u, 0xFFFDu, 0x20000u, 0xE0080u})
            QTest::addRow("U+%04X", code) << code << false;
    }

    void invisibleCharactersAreRefused() {
        QFETCH(uint, code);
        QFETCH(bool, refused);
        const char32_t text[] = {U'x', char32_t(code), U'y'};
        const std::string utf8 = QString::fromUcs4(text, 3).toStdString();
        QCOMPARE(!CheckText("name", utf8, protocol::kEmpNameChars).empty(), refused);
    }

    void onlyBlanksAreNoText() {
        QVERIFY(!CheckText("name", "\xE3\x80\x80 ", protocol::kEmpNameChars).empty());
        QVERIFY(CheckText("name", "a b", protocol::kEmpNameChars).empty());
        QVERIFY(CheckText("notice", "", kNoticeChars).empty());
    }

    void blanksAroundAreTrimmedLikeTheProgramTrims() {
        QCOMPARE(TrimBlanks(" 123 "), std::string("123"));
        QCOMPARE(TrimBlanks("\t\xE3\x80\x80"
                            "1 2\xC2\xA0\r\n"),
                 std::string("1 2"));
        QCOMPARE(TrimBlanks("\xE2\x80\xA8"
                            "x"),
                 std::string("x"));
        QCOMPARE(TrimBlanks("   "), std::string());
        QCOMPARE(TrimBlanks(""), std::string());
        // Not a blank: a zero-width space stays, for the checks to refuse.
        QCOMPARE(TrimBlanks("\xE2\x80\x8B"
                            "1"),
                 std::string("\xE2\x80\x8B"
                             "1"));
        QCOMPARE(TrimBlanks(" \xFF "), std::string(" \xFF "));
    }
};

QTEST_GUILESS_MAIN(TestStoreLimits)
#include "tst_store_limits.moc"
