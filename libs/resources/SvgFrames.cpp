#include "SvgFrames.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

namespace veltrano::svgframes {

namespace {

struct KeyValue {
    int frame = 0;
    QString value;
};

const QRegularExpression& NumberPattern() {
    static const QRegularExpression number(QStringLiteral("-?(?:\\d+\\.?\\d*|\\.\\d+)"));
    return number;
}

const QRegularExpression& KeyedAttribute() {
    static const QRegularExpression attribute(
        QStringLiteral("\\bvt-([a-zA-Z][\\w-]*)=\"([^\"]*)\""));
    return attribute;
}

std::optional<QList<KeyValue>> ParseKeys(const QString& keys) {
    QList<KeyValue> parsed;
    for (const QString& part : keys.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        bool ok = false;
        const int frame = colon < 0 ? 0 : part.left(colon).trimmed().toInt(&ok);
        if (!ok || frame < 0 || (!parsed.isEmpty() && frame <= parsed.back().frame))
            return std::nullopt;
        parsed.append({frame, part.mid(colon + 1).trimmed()});
    }
    if (parsed.isEmpty())
        return std::nullopt;
    return parsed;
}

// Splits a value into its numbers and the text around them.
QStringList Skeleton(const QString& value, QList<double>* numbers) {
    QStringList texts;
    qsizetype at = 0;
    auto match = NumberPattern().globalMatch(value);
    while (match.hasNext()) {
        const auto m = match.next();
        texts.append(value.mid(at, m.capturedStart() - at));
        numbers->append(m.captured().toDouble());
        at = m.capturedEnd();
    }
    texts.append(value.mid(at));
    return texts;
}

QString Between(const QString& from, const QString& to, double t) {
    QList<double> a;
    QList<double> b;
    const QStringList texts = Skeleton(from, &a);
    if (texts != Skeleton(to, &b))
        return from;
    QString value = texts.front();
    for (qsizetype i = 0; i < a.size(); ++i) {
        value += QString::number(a[i] + (b[i] - a[i]) * t, 'f', 3);
        value += texts[i + 1];
    }
    return value;
}

int RootNumber(const QByteArray& svg, const char* name) {
    const QRegularExpression pattern(QStringLiteral("<svg\\b[^>]*\\b%1=\"(\\d+)\"").arg(name));
    const auto match = pattern.match(QString::fromUtf8(svg));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

std::optional<QString> ValueAt(const QString& keys, int frame) {
    const auto parsed = ParseKeys(keys);
    if (!parsed)
        return std::nullopt;
    if (frame <= parsed->front().frame)
        return parsed->front().value;
    for (qsizetype i = 1; i < parsed->size(); ++i) {
        const KeyValue& a = parsed->at(i - 1);
        const KeyValue& b = parsed->at(i);
        if (frame < b.frame)
            return Between(a.value, b.value, double(frame - a.frame) / double(b.frame - a.frame));
    }
    return parsed->back().value;
}

std::optional<Animation> ReadAnimation(const QByteArray& svg, QString* error) {
    Animation animation;
    animation.frames = RootNumber(svg, "vt-frames");
    animation.delay = RootNumber(svg, "vt-delay");
    QString problem;
    if (animation.frames < 1 || animation.frames > 1000)
        problem = QStringLiteral("vt-frames on the svg element must be 1 to 1000");
    else if (animation.delay < 2 || animation.delay > 1000)
        problem = QStringLiteral("vt-delay on the svg element must be 2 to 1000");
    QString text = QString::fromUtf8(svg);
    text.remove(QRegularExpression(QStringLiteral("\\s+vt-(?:frames|delay)=\"\\d+\"")));
    auto match = KeyedAttribute().globalMatch(text);
    while (problem.isEmpty() && match.hasNext()) {
        const auto m = match.next();
        if (!ParseKeys(m.captured(2)))
            problem = QStringLiteral("key list of vt-%1 cannot be read: %2")
                          .arg(m.captured(1), m.captured(2));
    }
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return std::nullopt;
    }
    animation.svg = text.toUtf8();
    return animation;
}

QByteArray Frame(const Animation& animation, int frame) {
    const QString text = QString::fromUtf8(animation.svg);
    QString result;
    qsizetype at = 0;
    auto match = KeyedAttribute().globalMatch(text);
    while (match.hasNext()) {
        const auto m = match.next();
        result += text.mid(at, m.capturedStart() - at);
        result += QStringLiteral("%1=\"%2\"")
                      .arg(m.captured(1), ValueAt(m.captured(2), frame).value_or(QString()));
        at = m.capturedEnd();
    }
    result += text.mid(at);
    return result.toUtf8();
}

} // namespace veltrano::svgframes
