// Command texts as the study program writes them and as the grade service reads them.
#include "protocol/CommandText.h"
#include "protocol/Wire.h"

#include <QTest>

using namespace protocol;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

class TestCommandText : public QObject {
    Q_OBJECT

private slots:
    void buildersWriteTheExactTexts() {
        QCOMPARE(Q(InsertGradeCommand("123", "a'b", 1800, 95)),
                 QString("exec procInsertGrade '123','a''b',1800,95"));
        QCOMPARE(Q(SelectGradeCommand("123", 90)), QString("exec procSelectGrade '123',90"));
        QCOMPARE(Q(SelectExeVersionCommand()), QString("exec procSelectExeVersion "));
        QCOMPARE(Q(QuoteText("''")), QString("''''''"));
        QCOMPARE(Q(QuoteText("")), QString("''"));
    }

    void builtTextsParseBackToTheirValues_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "123"
                               << "Li";
        QTest::newRow("quotes") << "'"
                                << "a''b'";
        QTest::newRow("separators inside") << "1,2 3"
                                           << "x',0,0);drop table grades;--";
        QTest::newRow("chinese") << "110101199001011234"
                                 << "张三";
        QTest::newRow("blanks kept") << " 1 "
                                     << "  ";
    }

    void builtTextsParseBackToTheirValues() {
        QFETCH(QString, id);
        QFETCH(QString, name);
        const auto insert =
            ParseCommand(InsertGradeCommand(id.toStdString(), name.toStdString(), 2700, 100));
        QVERIFY2(insert.Ok, insert.Error.c_str());
        const auto& grade = std::get<InsertGrade>(insert.Value);
        QCOMPARE(Q(grade.EmpID), id);
        QCOMPARE(Q(grade.EmpName), name);
        QCOMPARE(grade.UseTime, 2700LL);
        QCOMPARE(grade.Mark, 100LL);

        QVERIFY(grade.GradeKey.empty());
        const auto keyed =
            ParseCommand(InsertGradeCommand(id.toStdString(), name.toStdString(), 1, 90, "k-1"));
        QVERIFY2(keyed.Ok, keyed.Error.c_str());
        QCOMPARE(Q(std::get<InsertGrade>(keyed.Value).GradeKey), QString("k-1"));
        QCOMPARE(Q(std::get<InsertGrade>(keyed.Value).EmpID), id);
        QVERIFY(!ParseCommand("exec procInsertGrade '1','n',1,90,5").Ok);
        QVERIFY(!ParseCommand("exec procInsertGrade '1','n',1,90,'k','x'").Ok);

        const auto select = ParseCommand(SelectGradeCommand(id.toStdString(), 95));
        QVERIFY2(select.Ok, select.Error.c_str());
        QCOMPARE(Q(std::get<SelectGrade>(select.Value).EmpID), id);
        QCOMPARE(std::get<SelectGrade>(select.Value).MinMark, 95LL);
    }

    void parserAcceptsCaseAndBlankVariants_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("keyword case") << "EXEC procSelectGrade '1',90";
        QTest::newRow("procedure case") << "exec PROCSELECTGRADE '1',90";
        QTest::newRow("blanks around") << "  exec\tprocSelectGrade  '1' , 90  ";
        QTest::newRow("version without blank") << "exec procSelectExeVersion";
        QTest::newRow("negative number") << "exec procSelectGrade '1',-5";
    }

    void parserAcceptsCaseAndBlankVariants() {
        QFETCH(QString, text);
        const auto parsed = ParseCommand(text.toStdString());
        QVERIFY2(parsed.Ok, parsed.Error.c_str());
    }

    void parserRefusesEverythingElse_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("keyword alone") << "exec";
        QTest::newRow("no keyword") << "procSelectGrade '1',90";
        QTest::newRow("other keyword") << "select procSelectGrade '1',90";
        QTest::newRow("glued keyword") << "execprocSelectGrade '1',90";
        QTest::newRow("unknown procedure") << "exec procDeleteGrade '1'";
        QTest::newRow("procedure prefix") << "exec procSelectGrades '1',90";
        QTest::newRow("glued argument") << "exec procSelectGrade'1',90";
        QTest::newRow("too few arguments") << "exec procSelectGrade '1'";
        QTest::newRow("too many arguments") << "exec procSelectGrade '1',90,1";
        QTest::newRow("arguments for none") << "exec procSelectExeVersion 1";
        QTest::newRow("number for text") << "exec procSelectGrade 1,90";
        QTest::newRow("text for number") << "exec procSelectGrade '1','90'";
        QTest::newRow("unterminated") << "exec procSelectGrade '1,90";
        QTest::newRow("missing comma") << "exec procSelectGrade '1' 90";
        QTest::newRow("empty argument") << "exec procSelectGrade '1',,90";
        QTest::newRow("trailing comma") << "exec procSelectGrade '1',90,";
        QTest::newRow("second statement") << "exec procSelectGrade '1',90; drop table grades";
        QTest::newRow("comment") << "exec procSelectGrade '1',90 --";
        QTest::newRow("closed early") << "exec procInsertGrade '1','x',0,0);drop table grades;--";
        QTest::newRow("or clause") << "exec procSelectGrade '1' or '1'='1',0";
        QTest::newRow("decimal") << "exec procSelectGrade '1',90.5";
        QTest::newRow("bare minus") << "exec procSelectGrade '1',-";
        QTest::newRow("overflow") << "exec procSelectGrade '1',99999999999999999999999";
        QTest::newRow("line break") << "exec procSelectGrade '1',90\nexec procSelectExeVersion";
    }

    void parserRefusesEverythingElse() {
        QFETCH(QString, text);
        const auto parsed = ParseCommand(text.toStdString());
        QVERIFY(!parsed.Ok);
        QVERIFY(!parsed.Error.empty());
    }

    void onlyExecuteRunsWithoutRows() {
        for (const char* mode : {"execute", "Execute", "EXECUTE", "eXeCuTe"})
            QVERIFY2(IsExecuteMode(mode), mode);
        for (const char* mode : {"Active", "Open", "open", "", "executes", "exec", " execute"})
            QVERIFY2(!IsExecuteMode(mode), mode);
    }

    void requestsDecodeOnlyInTheirShape() {
        const auto good = DecodeRequest(EncodeRequest({"exec procSelectExeVersion ", "Active"}));
        QVERIFY(good.Ok);
        QCOMPARE(Q(good.Value.Command), QString("exec procSelectExeVersion "));
        QCOMPARE(Q(good.Value.Mode), QString("Active"));
        for (const char* body :
             {"", "[]", "\"exec\"", "{\"command\":\"x\"}", "{\"command\":1,\"mode\":\"Open\"}",
              "{\"command\":\"x\",\"mode\":null}", "{\"command\":\"\xc3\",\"mode\":\"Open\"}",
              "{\"command\":\"x\",\"mode\":\"Open\"} trailing"})
            QVERIFY2(!DecodeRequest(body).Ok, body);
    }

    void resultSetsKeepTypesAndOrder() {
        ResultSet result;
        result.Columns = {"EmpID", "Mark"};
        result.Rows = {{std::string("1"), 95LL}, {std::string("2\"x"), std::monostate{}}};
        QCOMPARE(
            Q(EncodeResultSet(result)),
            QString("{\"columns\":[\"EmpID\",\"Mark\"],\"rows\":[[\"1\",95],[\"2\\\"x\",null]]}"));
        QCOMPARE(Q(EncodeResultSet({})), QString("{\"columns\":[],\"rows\":[]}"));
        QCOMPARE(Q(EncodeRowsAffected(1)), QString("{\"rowsAffected\":1}"));
        QCOMPARE(Q(EncodeError("bad")), QString("{\"error\":\"bad\"}"));
    }
};

QTEST_GUILESS_MAIN(TestCommandText)
#include "tst_command_text.moc"
