#include "ContentRules.h"

#include <QTest>

namespace {

ContentQuestion Choice(qlonglong id, const QStringList& options, const QString& key) {
    ContentQuestion q;
    q.SubId = id;
    q.Chapter = 1;
    q.Choice = true;
    q.Stem = QStringLiteral("驾驶机动车在道路上发生故障时应当怎样做？%1").arg(id);
    q.Options = options;
    q.Answer = key;
    return q;
}

ContentQuestion Judgement(qlonglong id, qlonglong chapter, const QString& stem,
                          const QString& picture = {}) {
    ContentQuestion q;
    q.SubId = id;
    q.Chapter = chapter;
    q.Stem = stem;
    q.Picture = picture;
    q.Answer = QStringLiteral("对");
    return q;
}

} // namespace

class TestContentRules : public QObject {
    Q_OBJECT
private slots:
    void keyLengthsAreComparedWithEveryDistractor() {
        const ContentQuestion longest = Choice(1, {"50米", "100米以外", "150米", "200米"}, "B");
        QVERIFY(KeyIsLongest(longest));
        QVERIFY(!KeyOverTwice(longest)); // 6 is not over twice 4
        const ContentQuestion tie = Choice(2, {"50米", "150米", "100米", "200米"}, "B");
        QVERIFY(!KeyIsLongest(tie));
        const ContentQuestion twice = Choice(3, {"甲", "乙", "开启危险报警闪光灯", "丙"}, "C");
        QVERIFY(KeyOverTwice(twice));
        QVERIFY(!KeyIsLongest(Choice(4, {"a", "bb"}, "E"))); // no such option
        QVERIFY(!KeyIsLongest(Judgement(5, 1, "题目")));

        const ContentFigures figures =
            MeasureContent({longest, tie, twice, Judgement(6, 1, "a"), Judgement(7, 1, "b")});
        QCOMPARE(figures.Choices, 3);
        QCOMPARE(figures.KeyLongest, 2);
        QCOMPARE(figures.KeyOverTwice, 1);
        QCOMPARE(figures.Letters.value("B"), 2);
        QCOMPARE(figures.TrueFalse, 2);
        QCOMPARE(figures.True, 2);
    }

    void duplicatesAndNearDuplicatesStayWithinAChapter() {
        const QString stem = QStringLiteral("这个标志是何含义？");
        const QString fog = QStringLiteral("机动车在雾天行驶，应当开启雾灯和危险报警闪光灯。");
        const QList<ContentQuestion> questions = {
            Judgement(1, 2, stem, "sign_stop"),
            Judgement(2, 2, stem + " ", "sign_stop"), // the same but for a blank
            Judgement(3, 2, stem, "sign_yield"),      // another picture: another question
            Judgement(4, 3, stem, "sign_stop"),       // another chapter
            Judgement(5, 4, fog),
            Judgement(6, 4, QStringLiteral("机动车在雾天行驶时，应当开启雾灯和危险报警闪光灯。")),
            Judgement(7, 5, fog)};
        QCOMPARE(DuplicateStems(questions), (QList<QList<qlonglong>>{{1, 2}}));
        QCOMPARE(SimilarStems(questions), (QList<std::pair<qlonglong, qlonglong>>{{5, 6}}));
        QCOMPARE(SamePicture(questions), (QList<QList<qlonglong>>{{1, 2}}));
    }

    void repeatsAcrossChaptersOfOnePaperMustBeGrouped() {
        const QString stem =
            QStringLiteral("驾驶机动车在高速公路上发生故障时，应当开启危险报警闪光灯。");
        const QList<ContentQuestion> questions = {
            Judgement(1, 1, stem),        Judgement(2, 3, stem + "  "), // one paper, no group
            Judgement(3, 4, stem),                                      // grouped with 1
            Judgement(4, 10, stem),       Judgement(5, 11, stem),       // two areas' chapters
            Judgement(1, 5, stem),                                      // 1 filed again
            Judgement(6, 3, stem, "sign")};                             // another picture
        const QHash<qlonglong, QString> groups = {{1, "g"}, {3, "g"}, {2, "h"}};
        // Chapters 10 and 11 belong to different areas; the others share a paper.
        const auto sharePaper = [](qlonglong a, qlonglong b) { return a < 10 || b < 10 || a == b; };
        QCOMPARE(UngroupedRepeats(questions, sharePaper, groups),
                 (QList<std::pair<qlonglong, qlonglong>>{
                     {1, 2}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}, {3, 4}, {3, 5}}));
    }

    void sourceDatesAreIsoDatesAnywhereInTheSource() {
        QVERIFY(HasSourceDate("北京市实施办法第十条（2011-07-01起施行）"));
        QVERIFY(HasSourceDate("2022-04-01"));
        QVERIFY(!HasSourceDate("北京市实施办法第十条"));
        QVERIFY(!HasSourceDate("2022年4月1日"));
        QVERIFY(!HasSourceDate("12022-04-01"));
        QVERIFY(!HasSourceDate("2022-4-1"));
        QVERIFY(NamesPolicy("广州市限制摩托车通行规定"));
        QVERIFY(NamesPolicy("道路交通安全法第四十二条"));
        QVERIFY(!NamesPolicy("台风天气安全驾驶"));
    }
};

QTEST_GUILESS_MAIN(TestContentRules)
#include "tst_contentrules.moc"
