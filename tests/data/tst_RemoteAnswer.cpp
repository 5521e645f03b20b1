// Answers of the grade service as the client reads them into a dataset: numbers keep their
// kind and value, whatever their size, and a body of another shape is refused untouched.
#include "data/RemoteAnswer.h"
#include "data/TQuery.h"

#include <QTest>
#include <limits>

class TestRemoteAnswer : public QObject {
    Q_OBJECT
private slots:
    void numbersKeepTheirKindAndValue() {
        TQuery dataset;
        QVERIFY(ReadRemoteAnswer(R"({"columns":["a","b","c","d","e","f"],"rows":[[95,2.5,)"
                                 R"(-9223372036854775808,9223372036854775808,1e300,-1e300]]})",
                                 false, dataset));
        const QVariantList row = dataset.Rows.value(0);
        QCOMPARE(row.size(), 6);
        QCOMPARE(row[0], QVariant(qint64(95)));
        QCOMPARE(row[1], QVariant(2.5));
        QCOMPARE(row[2], QVariant(std::numeric_limits<qint64>::min())); // the lowest that fits
        // Beyond qint64 a whole number stays floating point with its value.
        QCOMPARE(row[3], QVariant(9223372036854775808.0));
        QCOMPARE(row[4], QVariant(1e300));
        QCOMPARE(row[5], QVariant(-1e300));
    }

    void otherShapesLeaveTheDatasetUntouched() {
        for (const QByteArray& body :
             {QByteArray(R"({"columns":["a"],"rows":[[1,2]]})"), QByteArray(R"({"rows":[]})"),
              QByteArray(R"({"columns":[1],"rows":[]})"), QByteArray("[]"), QByteArray("{")}) {
            TQuery dataset;
            QVERIFY2(!ReadRemoteAnswer(body, false, dataset), body.constData());
            QVERIFY(dataset.Fields.isEmpty() && dataset.Rows.isEmpty() && !dataset.Active);
        }
        TQuery executed;
        QVERIFY(!ReadRemoteAnswer(R"({"rowsAffected":"1"})", true, executed));
        QVERIFY(ReadRemoteAnswer(R"({"rowsAffected":1e300})", true, executed));
        QVERIFY(ReadRemoteAnswer(R"({"rowsAffected":3})", true, executed));
        QCOMPARE(executed.RowsAffected, 3);
    }
};

QTEST_GUILESS_MAIN(TestRemoteAnswer)
#include "tst_RemoteAnswer.moc"
