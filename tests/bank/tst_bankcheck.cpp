#include "BankCheck.h"
#include "BankContent.h"
#include "BankCsv.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

using BankEdit = std::function<void(BankContent&)>;

enum SubColumn {
    ID,
    SubIDColumn,
    ChapterColumn,
    SourceColumn,
    ContentColumn,
    PictureColumn,
    PictureTypeColumn,
    OptionA,
    OptionD = 10,
    AnswerColumn,
    AnalyseColumn,
    AnalysePictureColumn,
    AnalysePictureTypeColumn,
    FormColumn = 16
};

QStringList ColumnNames(const QString& table) {
    QStringList names;
    for (const ColumnSpec& column : BankTable(table).Columns)
        names.append(column.Name);
    return names;
}

QVariantList QuestionRow(qlonglong id, qlonglong chapter, int form, int running) {
    const bool choice = form == 2;
    const QString answer = choice ? QString(QChar(u'A' + running % 4))
                                  : (running % 2 ? QStringLiteral("错") : QStringLiteral("对"));
    QVariantList row = {id,        id,       chapter, QString(), QStringLiteral("题目%1").arg(id),
                        QString(), QString()};
    for (const char* option : {"甲", "乙", "丙", "丁"})
        row.append(choice ? QString::fromUtf8(option) : QString());
    row << answer << QStringLiteral("因为规定如此。") << QString() << QString() << 0 << form << 1
        << 1;
    return row;
}

// Two car types and two areas; chapter 3 is the local chapter of area 2, chapter 4 the
// chapter of car type 2. Every paper has 100 questions and every chapter and form holds
// three times what a paper draws from it, chapter 1 with two true/false questions to spare.
BankContent FullBank() {
    BankContent bank;
    for (const char* table : {"Area", "CarType", "SubFormat", "SubHardEasy", "SubType", "Sub",
                              "SubRelated", "DriveTeach", "DriveTeachList"})
        bank.Columns[table] = ColumnNames(table);
    bank.Columns["Chapter"] = ColumnNames("Chapter") << CountColumn(1) << CountColumn(2);
    bank.Rows["Area"] = {{1, "全国"}, {2, "北京市"}};
    bank.Rows["CarType"] = {{1, "小车", "(C1)"}, {2, "货车", "(B2)"}};
    bank.Rows["SubFormat"] = {{1, "判断题"}, {2, "选择题"}};
    bank.Rows["SubHardEasy"] = {{1, "容易"}};
    bank.Rows["SubType"] = {{1, "法律法规"}};
    bank.Rows["Chapter"] = {{1, "一", "法规", "", -1, -1, 45, 45},
                            {2, "二", "信号", "", -1, -1, 50, 45},
                            {3, "三", "北京", "", -1, 2, 5, 5},
                            {4, "四", "货车", "", 2, -1, 0, 5}};
    const QList<std::array<int, 3>> questions = {// chapter, true/false, choice
                                                 {1, 92, 60},
                                                 {2, 90, 60},
                                                 {3, 9, 6},
                                                 {4, 9, 6}};
    for (const auto& [chapter, trueFalse, choice] : questions)
        for (int i = 0; i < trueFalse + choice; ++i)
            bank.Rows["Sub"].append(
                QuestionRow(chapter * 1000 + i + 1, chapter, i < trueFalse ? 1 : 2, i));
    for (QVariantList& row : bank.Rows["Sub"])
        if (row[ChapterColumn] == 3)
            row[SourceColumn] = QStringLiteral("北京市道路交通安全条例（2020-01-01起施行）");
    bank.Rows["SubRelated"];
    bank.Rows["DriveTeach"];
    bank.Rows["DriveTeachList"];
    return bank;
}

QVariantList& Question(BankContent& bank, qlonglong id) {
    for (QVariantList& row : bank.Rows["Sub"])
        if (row[ID].toLongLong() == id)
            return row;
    throw std::out_of_range("no such question");
}

void RemoveQuestions(BankContent& bank, qlonglong chapter, int form, int keep) {
    QList<QVariantList>& rows = bank.Rows["Sub"];
    rows.removeIf([&](const QVariantList& row) {
        return row[ChapterColumn].toLongLong() == chapter && row[FormColumn].toInt() == form &&
               keep-- <= 0;
    });
}

QString WriteTestBank(const QTemporaryDir& dir, const BankContent& content) {
    const QString file = dir.filePath("DriveDB.db");
    WriteBank(content, file, SqlCipherConnection::BankKey);
    return file;
}

QString FindingsText(const BankCheckReport& report) {
    QStringList lines;
    for (const CheckFinding& finding : report.Problems)
        lines.append(finding.What + " @ " + finding.Where.join(", "));
    return lines.join("\n");
}

} // namespace

Q_DECLARE_METATYPE(BankEdit)

class TestBankCheck : public QObject {
    Q_OBJECT
private slots:
    void soundBankPassesWithFullPapersEverywhere() {
        QTemporaryDir dir;
        BankContent content = FullBank();
        // Pictures the library holds, as a question picture and inside a question text.
        Question(content, 1001)[PictureColumn] = "sign_no_entry";
        Question(content, 1001)[PictureTypeColumn] = "png";
        Question(content, 1002)[ContentColumn] = "看图 &7.png& 回答 &12.jpg&";
        const BankCheckReport report =
            CheckBank(WriteTestBank(dir, content), BindQuestionPictures());
        QVERIFY2(report.Passed(), qPrintable(FindingsText(report)));
        QVERIFY(report.Notes.isEmpty());
        const QString text = report.Text();
        for (const char* paper : {"小车 × 全国", "小车 × 北京市", "货车 × 全国", "货车 × 北京市"})
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\n  %1 +100 ").arg(paper))),
                     qPrintable(text));
        QVERIFY(text.contains("1:3.0/3.0")); // exactly three papers' worth everywhere
        QVERIFY(text.contains("A 32 (24%), B 34 (26%), C 34 (26%), D 32 (24%)"));
        QVERIFY(text.contains("对 101 (51%), 错 99 (50%)"));
        QVERIFY(text.contains("Pictures: 3 named by 2 question rows"));
        QVERIFY(text.endsWith("Result: passed, no problem found.\n"));
    }

    void everyProblemKindIsCaught_data() {
        QTest::addColumn<BankEdit>("edit");
        QTest::addColumn<QString>("sql"); // run on the written bank
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("finding"); // in the finding's text and where it applies

        const auto setColumn = [](qlonglong id, int column, QVariant value) {
            return BankEdit([=](BankContent& bank) { Question(bank, id)[column] = value; });
        };
        const auto problem = [](CheckProblem kind) { return int(kind); };
        QTest::newRow("too few choice questions in the local chapter")
            << BankEdit([](BankContent& b) { RemoveQuestions(b, 3, 2, 1); }) << QString()
            << problem(CheckProblem::FewQuestions)
            << "too few questions in chapter 3 北京, 选择题: 1, a paper draws 2 @ 小车 × 北京市, "
               "货车 × 北京市";
        QTest::newRow("one paper's worth but not two")
            << BankEdit([](BankContent& b) { RemoveQuestions(b, 2, 1, 85); }) << QString()
            << problem(CheckProblem::LowHeadroom)
            << "headroom 2.8 in chapter 2 信号, 判断题: 85 questions for 30 drawn, 90 are needed "
               "@ 小车 × every area";
        QTest::newRow("related questions count once")
            << BankEdit([](BankContent& b) {
                   for (int id = 2001; id <= 2010; ++id)
                       b.Rows["SubRelated"].append({"ch02-one-fact", id});
               })
            << QString() << problem(CheckProblem::LowHeadroom)
            << "headroom 2.7 in chapter 2 信号, 判断题: 81 questions for 30 drawn";
        QTest::newRow("chapter counts short of 100")
            << BankEdit([](BankContent& b) { b.Rows["Chapter"][1][6] = 48; }) << QString()
            << problem(CheckProblem::PaperSize)
            << "the chapter counts give a paper of 97 questions, not 100 @ 小车 × every area";
        QTest::newRow("local chapter with an empty count")
            << BankEdit([](BankContent& b) { b.Rows["Chapter"][2][7] = QVariant(); }) << QString()
            << problem(CheckProblem::PaperSize)
            << "a paper of 95 questions, not 100 @ 货车 × 北京市";
        QTest::newRow("car type without a count column") << BankEdit([](BankContent& b) {
            b.Columns["Chapter"].removeLast();
            for (QVariantList& row : b.Rows["Chapter"])
                row.removeLast();
        }) << QString() << problem(CheckProblem::NoPaper) << "no paper: the count query fails";
        QTest::newRow("answer that libEncryption cannot decode")
            << BankEdit() << "update Sub set SubAnswer='not a code' where ID=1001"
            << problem(CheckProblem::Undecodable) << "answer cannot be decoded @ 1001";
        QTest::newRow("choice question with three options")
            << setColumn(1093, OptionD, QString()) << QString() << problem(CheckProblem::BrokenForm)
            << "a choice question without four options @ 1093";
        QTest::newRow("true/false question answered with a letter")
            << setColumn(1001, AnswerColumn, "A") << QString() << problem(CheckProblem::BrokenForm)
            << "a true/false question not answered 对 or 错 @ 1001";
        QTest::newRow("true/false question with an option")
            << setColumn(1001, OptionA, "甲") << QString() << problem(CheckProblem::BrokenForm)
            << "a true/false question with options @ 1001";
        QTest::newRow("question form the bank does not know")
            << setColumn(1001, FormColumn, 3) << QString() << problem(CheckProblem::BrokenForm)
            << "question form 3 is not in SubFormat @ 1001";
        QTest::newRow("blank explanation")
            << setColumn(2005, AnalyseColumn, "  ") << QString()
            << problem(CheckProblem::NoExplanation) << "no explanation @ 2005";
        QTest::newRow("one stem twice in a chapter")
            << setColumn(1002, ContentColumn, "题目 1001。") << QString()
            << problem(CheckProblem::DuplicateStem)
            << "the same stem and picture twice in one chapter @ 1001 = 1002";
        QTest::newRow("keys longer than their distractors")
            << BankEdit([](BankContent& b) {
                   for (QVariantList& row : b.Rows["Sub"])
                       if (row[ChapterColumn] == 1 && row[FormColumn] == 2)
                           row[OptionA + row[AnswerColumn].toString()[0].unicode() - u'A'] = "甲乙";
               })
            << QString() << problem(CheckProblem::KeyLength)
            << "the key is the longest option in 60 (45%) of 132 choice questions (at most 35%)";
        QTest::newRow("true/false answers leaning to 对")
            << BankEdit([](BankContent& b) {
                   for (QVariantList& row : b.Rows["Sub"])
                       if (row[ChapterColumn] == 1 && row[FormColumn] == 1)
                           row[AnswerColumn] = "对";
               })
            << QString() << problem(CheckProblem::AnswerSpread)
            << "对 answers 147 (74%) of 200 questions (40%–60% wanted) @ the whole bank";
        QTest::newRow("local rule without the date of its source")
            << setColumn(3001, SourceColumn, "北京市道路交通安全条例") << QString()
            << problem(CheckProblem::NoSourceDate)
            << "a local rule whose source names no date (YYYY-MM-DD) @ 3001";
        QTest::newRow("question picture not in the library")
            << BankEdit([](BankContent& b) {
                   Question(b, 1003)[PictureColumn] = "no_such_sign";
                   Question(b, 1003)[PictureTypeColumn] = "png";
               })
            << QString() << problem(CheckProblem::MissingPicture)
            << "picture no_such_sign.png is not in the question picture library @ 1003";
        QTest::newRow("picture token in an option not in the library")
            << setColumn(1094, OptionA + 2, "看 &99.png&") << QString()
            << problem(CheckProblem::MissingPicture)
            << "picture S99.png is not in the question picture library @ 1094";
        QTest::newRow("picture of a type a text cannot hold")
            << setColumn(1004, ContentColumn, "看 &7.gif&") << QString()
            << problem(CheckProblem::MissingPicture) << "picture S7.gif cannot stand in a text";
        QTest::newRow("explanation picture without its type")
            << setColumn(1005, AnalysePictureColumn, "sign_no_entry") << QString()
            << problem(CheckProblem::MissingPicture) << "picture sign_no_entry cannot stand";
    }

    void everyProblemKindIsCaught() {
        QFETCH(BankEdit, edit);
        QFETCH(QString, sql);
        QFETCH(int, kind);
        QFETCH(QString, finding);
        QTemporaryDir dir;
        BankContent content = FullBank();
        if (edit)
            edit(content);
        const QString file = WriteTestBank(dir, content);
        if (!sql.isEmpty()) {
            SqlCipherConnection db;
            QVERIFY(db.Open(file));
            QVERIFY(db.Exec(sql));
        }
        const BankCheckReport report = CheckBank(file, BindQuestionPictures());
        QVERIFY(!report.Passed());
        QVERIFY(report.Has(CheckProblem(kind)));
        QVERIFY2(FindingsText(report).contains(finding), qPrintable(FindingsText(report)));
        QVERIFY2(report.Problems.size() == 1, qPrintable(FindingsText(report)));
        QVERIFY(report.Text().contains("Result: FAILED, 1 problem(s)."));
    }

    void questionInTwoChaptersOfOnePaperIsDrawnOnce() {
        QTemporaryDir dir;
        BankContent content = FullBank();
        QVariantList copy = Question(content, 4001);
        copy[ID] = 9001;
        copy[ChapterColumn] = 1;
        content.Rows["Sub"].append(copy);
        const BankCheckReport report =
            CheckBank(WriteTestBank(dir, content), BindQuestionPictures());
        QVERIFY2(report.Passed(), qPrintable(FindingsText(report)));
        QVERIFY(report.Notes.isEmpty());
    }

    void missingPictureLibraryIsAProblemOfItsOwn() {
        QTemporaryDir dir;
        BankContent content = FullBank();
        Question(content, 1003)[PictureColumn] = "no_such_sign";
        const BankCheckReport report =
            CheckBank(WriteTestBank(dir, content), QuestionPictures{"SubImage.so is missing", {}});
        QVERIFY(report.Has(CheckProblem::PictureLibrary));
        QVERIFY(!report.Has(CheckProblem::MissingPicture));
    }

    void teachingItemsMustNameFilesTheirLibrariesCanShow() {
        QTemporaryDir dir;
        const auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write("plain.rtf", "第一条 not rich text");
        write("real.rtf", "{\\rtf1\\ansi text}");
        write("broken.png", "not a png");
        write("law.txt", "第一条");
        write("gbk.txt", "\xb5\xda\xd2\xbb\xcc\xf5"); // 第一条 in GBK
        QList<TeachLibrary> asked;
        QuestionPictures pictures = BindQuestionPictures();
        pictures.FindTeaching = [&](TeachLibrary library, const QString& name,
                                    const QString& type) {
            asked.append(library);
            const QString path = dir.filePath(name + "." + type);
            return QFile::exists(path) ? path : QString();
        };
        BankContent content = FullBank();
        content.Rows["DriveTeach"] = {
            {17, "交通法规", "法"}, {42, "评判标准", "标准"}, {50, "其他", "无库"}};
        content.Rows["DriveTeachList"] = {
            {17, "law", "法", "", "TXT"},  {17, "gone", "缺", "", "txt"},
            {17, "gbk", "", "", "txt"},    {17, "law", "法", "", "doc"},
            {42, "real", "", "", "rtf"},   {42, "plain", "", "", "rtf"},
            {42, "broken", "", "", "png"}, {50, "law", "", "", "txt"}};
        const BankCheckReport report = CheckBank(WriteTestBank(dir, content), pictures);
        for (const char* finding :
             {"teaching file not in TrafficRuleImage.so @ 17 gone",
              "teaching text that is empty or not UTF-8 @ 17 gbk",
              "teaching file of type \"doc\", which the classroom cannot show @ 17 law",
              "teaching file broken.png cannot be shown: ", "@ 42 broken",
              "teaching file of type rtf that is not rich text @ 42 plain",
              "teaching entry of category \"其他\", which has no library @ 50 law"})
            QVERIFY2(FindingsText(report).contains(QString::fromUtf8(finding)),
                     qPrintable(FindingsText(report)));
        QCOMPARE(report.Problems.size(), 6);
        QVERIFY(report.Has(CheckProblem::TeachingFile));
        // Each item is asked of its own category's library, types lower-cased.
        QCOMPARE(asked,
                 (QList<TeachLibrary>{TeachLibrary::TrafficRule, TeachLibrary::TrafficRule,
                                      TeachLibrary::TrafficRule, TeachLibrary::JudgeStandard,
                                      TeachLibrary::JudgeStandard, TeachLibrary::JudgeStandard}));
        QVERIFY(report.Text().contains("Teaching items: 8, asked of their libraries"));
    }

    void unreadableBankIsAnErrorNotAReport() {
        QTemporaryDir dir;
        const QString file = WriteTestBank(dir, FullBank());
        QVERIFY_THROWS_EXCEPTION(BankError, CheckBank(file, BindQuestionPictures(), "other key"));
        QVERIFY_THROWS_EXCEPTION(BankError,
                                 CheckBank(dir.filePath("none.db"), BindQuestionPictures()));
    }
};

QTEST_GUILESS_MAIN(TestBankCheck)
#include "tst_bankcheck.moc"
