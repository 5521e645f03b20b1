#include "Encryption.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

namespace {

using Function = int (*)(const char*, int, char*, int);

QByteArray Apply(Function function, const QByteArray& in, int* result = nullptr) {
    const int length = function(in.constData(), int(in.size()), nullptr, 0);
    if (result)
        *result = length;
    if (length < 0)
        return {};
    QByteArray out(length + 1, '\x7f');
    const int written = function(in.constData(), int(in.size()), out.data(), int(out.size()));
    if (written != length || out[length] != '\0')
        return QByteArrayLiteral("<length or terminator wrong>");
    out.resize(length);
    return out;
}

QByteArray Gbk(const QString& text) {
    return QStringEncoder("GBK")(text);
}

// A random text of GBK characters: ASCII, CJK ideographs and full-width punctuation.
QString RandomGbkText(QRandomGenerator& random) {
    static const QString pool =
        QStringLiteral("ab Z09,'\"%_;对错驾驶证机动车道路交通安全法（）、。！？—…·");
    QString text;
    const int length = random.bounded(60);
    for (int i = 0; i < length; ++i)
        text += random.bounded(3) == 0 ? pool[random.bounded(int(pool.size()))]
                                       : QChar(0x4E00 + random.bounded(0x51A5));
    return text;
}

} // namespace

class TestEncryption : public QObject {
    Q_OBJECT
private slots:
    void answersRoundTripAndDifferFromEachOther() {
        QSet<QByteArray> codes;
        for (const QString& answer : QStringList{"A", "B", "C", "D", "对", "错"}) {
            const QByteArray code = Apply(StrToCode, Gbk(answer));
            QVERIFY(!code.isEmpty());
            QCOMPARE(QStringDecoder("GBK")(Apply(CodeToStr, code)), answer);
            codes.insert(code);
        }
        QCOMPARE(codes.size(), 6);
    }

    void everyByteStringRoundTrips() {
        QRandomGenerator random(7305);
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes(random.bounded(200), '\0');
            for (char& byte : bytes)
                byte = char(random.bounded(256));
            QCOMPARE(Apply(CodeToStr, Apply(StrToCode, bytes)), bytes);
        }
        for (int round = 0; round < 500; ++round) {
            const QString text = RandomGbkText(random);
            const QByteArray bytes = Gbk(text);
            QCOMPARE(QStringDecoder("GBK")(Apply(CodeToStr, Apply(StrToCode, bytes))), text);
        }
        QCOMPARE(Apply(StrToCode, QByteArray()), QByteArray());
    }

    void codesAreLettersOnlyAndDeterministic() {
        QRandomGenerator random(2112);
        for (int round = 0; round < 300; ++round) {
            const QByteArray bytes = Gbk(RandomGbkText(random)) + "'\"\\%_;-- \n\0";
            const QByteArray code = Apply(StrToCode, bytes);
            for (char c : code)
                QVERIFY2(c >= 'A' && c <= 'Z', code.constData());
            QCOMPARE(Apply(StrToCode, bytes), code);
        }
    }

    void equalRunsOfTextDoNotGiveEqualRunsOfCode() {
        const QByteArray code = Apply(StrToCode, QByteArray(64, 'A'));
        QVERIFY(code.left(32) != code.mid(32, 32));
    }

    void foreignInputIsRefused() {
        int result = 0;
        for (const QByteArray& bad : {QByteArray("K"), QByteArray("KQX"), QByteArray("ka"),
                                      QByteArray("KA"), QByteArray("K1"), QByteArray("K Q ")}) {
            Apply(CodeToStr, bad, &result);
            QCOMPARE(result, -1);
        }
        char out[8] = "unset";
        QCOMPARE(StrToCode("A", -1, out, 8), -1);
        QCOMPARE(CodeToStr(nullptr, 2, out, 8), -1);
        QCOMPARE(StrToCode(nullptr, 0, out, 8), 0);
    }

    void tooSmallBufferIsLeftUntouched() {
        char out[4] = {'x', 'x', 'x', 'x'};
        QCOMPARE(StrToCode("AB", 2, out, 4), 4); // needs 4 letters and a terminator
        QCOMPARE(QByteArray(out, 4), QByteArray("xxxx"));
    }
};

QTEST_GUILESS_MAIN(TestEncryption)
#include "tst_encryption.moc"
