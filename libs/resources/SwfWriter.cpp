#include "SwfWriter.h"

#include <QHash>
#include <QRectF>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace veltrano::swf {

namespace {

constexpr int Twips = 20; // SWF coordinates are twentieths of a pixel
constexpr int MaxStyles = 255;

enum TagCode : int {
    TagEnd = 0,
    TagShowFrame = 1,
    TagDefineShape = 2,
    TagSetBackgroundColor = 9,
    TagPlaceObject2 = 26,
    TagFileAttributes = 69,
};

// Bits written most significant first, as every bit field of SWF.
class BitWriter {
public:
    void Unsigned(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ == 0)
                bytes_.append('\0');
            if ((value >> i) & 1U)
                bytes_[bytes_.size() - 1] = char(uint8_t(bytes_.back()) | (0x80U >> used_));
            used_ = (used_ + 1) % 8;
        }
    }
    void Signed(int32_t value, int bits) { Unsigned(uint32_t(value) & Mask(bits), bits); }
    QByteArray Bytes() const { return bytes_; }

private:
    static uint32_t Mask(int bits) { return bits >= 32 ? 0xFFFFFFFFU : (1U << bits) - 1U; }
    QByteArray bytes_;
    int used_ = 0;
};

// Bits a signed field needs to hold every value given (sign included).
int SignedBits(std::initializer_list<int32_t> values) {
    int bits = 1;
    for (int32_t value : values) {
        const uint32_t magnitude = value < 0 ? uint32_t(~value) : uint32_t(value);
        int needed = 1;
        while (needed < 32 && (magnitude >> (needed - 1)) != 0)
            ++needed;
        bits = std::max(bits, needed);
    }
    return bits;
}

int UnsignedBits(uint32_t value) {
    int bits = 0;
    while (bits < 32 && (value >> bits) != 0)
        ++bits;
    return bits;
}

void AppendU16(QByteArray& out, uint32_t value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void AppendU32(QByteArray& out, uint32_t value) {
    AppendU16(out, value & 0xFFFF);
    AppendU16(out, value >> 16);
}

void AppendRgb(QByteArray& out, const QColor& color) {
    out.append(char(color.red()));
    out.append(char(color.green()));
    out.append(char(color.blue()));
}

void AppendTag(QByteArray& out, int code, const QByteArray& body) {
    if (body.size() < 0x3F) {
        AppendU16(out, uint32_t(code << 6) | uint32_t(body.size()));
    } else {
        AppendU16(out, uint32_t(code << 6) | 0x3FU);
        AppendU32(out, uint32_t(body.size()));
    }
    out.append(body);
}

QByteArray Rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax) {
    BitWriter bits;
    const int n = SignedBits({xMin, xMax, yMin, yMax});
    bits.Unsigned(uint32_t(n), 5);
    for (int32_t value : {xMin, xMax, yMin, yMax})
        bits.Signed(value, n);
    return bits.Bytes();
}

int32_t ToTwips(double pixels) {
    return int32_t(std::lround(pixels * Twips));
}

// A closed outline filled on the right-hand side of its edges: clockwise on screen.
QList<QPointF> Clockwise(QList<QPointF> points) {
    double twiceArea = 0;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QPointF& a = points[i];
        const QPointF& b = points[(i + 1) % points.size()];
        twiceArea += a.x() * b.y() - b.x() * a.y();
    }
    if (twiceArea < 0)
        std::reverse(points.begin(), points.end());
    return points;
}

QByteArray DefineShape(int id, const Shape& shape) {
    QByteArray body;
    AppendU16(body, uint32_t(id));
    QRectF bounds;
    double widest = 0;
    for (const Outline& outline : shape.outlines) {
        for (const QPointF& point : outline.points)
            bounds = bounds.united(QRectF(point, QSizeF(0.001, 0.001)));
        widest = std::max(widest, outline.lineWidth);
    }
    bounds.adjust(-widest, -widest, widest, widest);
    body.append(Rect(ToTwips(bounds.left()), ToTwips(bounds.right()), ToTwips(bounds.top()),
                     ToTwips(bounds.bottom())));

    QList<QColor> fills;
    QList<std::pair<int, QColor>> lines;
    for (const Outline& outline : shape.outlines) {
        if (outline.fill)
            fills.append(*outline.fill);
        if (outline.lineWidth > 0)
            lines.append({ToTwips(outline.lineWidth), outline.lineColor});
    }
    body.append(char(fills.size()));
    for (const QColor& fill : fills) {
        body.append('\0'); // solid fill
        AppendRgb(body, fill);
    }
    body.append(char(lines.size()));
    for (const auto& [width, color] : lines) {
        AppendU16(body, uint32_t(width));
        AppendRgb(body, color);
    }
    const int fillBits = UnsignedBits(uint32_t(fills.size()));
    const int lineBits = UnsignedBits(uint32_t(lines.size()));
    body.append(char((fillBits << 4) | lineBits));

    BitWriter records;
    int fillIndex = 0;
    int lineIndex = 0;
    for (const Outline& outline : shape.outlines) {
        const QList<QPointF> points = outline.closed ? Clockwise(outline.points) : outline.points;
        QList<std::pair<int32_t, int32_t>> at;
        for (const QPointF& point : points)
            at.append({ToTwips(point.x()), ToTwips(point.y())});
        if (outline.closed)
            at.append(at.front());
        // Style change: move to the first point, fill on the right, this outline's line.
        records.Unsigned(0, 1);
        records.Unsigned(0b01111, 5); // line style, fill style 1, fill style 0, move to
        const int moveBits = SignedBits({at[0].first, at[0].second});
        records.Unsigned(uint32_t(moveBits), 5);
        records.Signed(at[0].first, moveBits);
        records.Signed(at[0].second, moveBits);
        records.Unsigned(0, fillBits);
        records.Unsigned(outline.fill ? uint32_t(++fillIndex) : 0U, fillBits);
        records.Unsigned(outline.lineWidth > 0 ? uint32_t(++lineIndex) : 0U, lineBits);
        for (qsizetype i = 1; i < at.size(); ++i) {
            const int32_t dx = at[i].first - at[i - 1].first;
            const int32_t dy = at[i].second - at[i - 1].second;
            const int edgeBits = std::max(2, SignedBits({dx, dy}));
            records.Unsigned(0b11, 2); // edge record, straight
            records.Unsigned(uint32_t(edgeBits - 2), 4);
            records.Unsigned(1, 1); // general line: both deltas
            records.Signed(dx, edgeBits);
            records.Signed(dy, edgeBits);
        }
    }
    records.Unsigned(0, 6); // end of shape
    body.append(records.Bytes());
    return body;
}

// 16.16 fixed point, as the scale and rotation fields of a matrix.
int32_t Fixed(double value) {
    return int32_t(std::lround(value * 65536.0));
}

QByteArray Matrix(const Key& key) {
    const double radians = key.angle * M_PI / 180.0;
    const int32_t cosine = Fixed(std::cos(radians));
    const int32_t sine = Fixed(std::sin(radians));
    const int32_t x = ToTwips(key.position.x());
    const int32_t y = ToTwips(key.position.y());
    BitWriter bits;
    bits.Unsigned(1, 1); // scale
    const int scaleBits = SignedBits({cosine});
    bits.Unsigned(uint32_t(scaleBits), 5);
    bits.Signed(cosine, scaleBits);
    bits.Signed(cosine, scaleBits);
    bits.Unsigned(1, 1); // rotation
    const int rotateBits = SignedBits({sine, -sine});
    bits.Unsigned(uint32_t(rotateBits), 5);
    bits.Signed(sine, rotateBits);
    bits.Signed(-sine, rotateBits);
    const int translateBits = SignedBits({x, y});
    bits.Unsigned(uint32_t(translateBits), 5);
    bits.Signed(x, translateBits);
    bits.Signed(y, translateBits);
    return bits.Bytes();
}

QByteArray PlaceObject(int depth, int character, const Key& key) {
    QByteArray body;
    body.append(char(character ? 0x06 : 0x05)); // has matrix; new character or move
    AppendU16(body, uint32_t(depth));
    if (character)
        AppendU16(body, uint32_t(character));
    body.append(Matrix(key));
    return body;
}

std::optional<QColor> ParseColor(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{6}$"));
    if (!hex.match(text).hasMatch())
        return std::nullopt;
    return QColor(QLatin1Char('#') + text);
}

bool ParseNumber(const QString& text, double* value) {
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value) && std::fabs(*value) < 100000;
}

std::optional<QPointF> ParsePoint(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    double x = 0;
    double y = 0;
    if (parts.size() != 2 || !ParseNumber(parts[0], &x) || !ParseNumber(parts[1], &y))
        return std::nullopt;
    return QPointF(x, y);
}

// The reason a statement cannot be read, or an empty text when it was taken into `movie`.
QString ParseStatement(const QStringList& words, Movie& movie, QHash<QString, int>& shapeIndex) {
    const QString& verb = words[0];
    if (verb == QLatin1String("stage")) {
        bool ok[4] = {};
        if (words.size() != 5)
            return QStringLiteral("stage needs width, height, frame rate and frame count");
        movie.width = words[1].toInt(&ok[0]);
        movie.height = words[2].toInt(&ok[1]);
        movie.frameRate = words[3].toInt(&ok[2]);
        movie.frameCount = words[4].toInt(&ok[3]);
        if (!(ok[0] && ok[1] && ok[2] && ok[3]) || movie.width < 1 || movie.width > 2000 ||
            movie.height < 1 || movie.height > 2000 || movie.frameRate < 1 ||
            movie.frameRate > 120 || movie.frameCount < 1 || movie.frameCount > 16000)
            return QStringLiteral("stage sizes, frame rate or frame count out of range");
        return {};
    }
    if (verb == QLatin1String("background")) {
        const auto color = words.size() == 2 ? ParseColor(words[1]) : std::nullopt;
        if (!color)
            return QStringLiteral("background needs one colour rrggbb");
        movie.background = *color;
        return {};
    }
    if (verb == QLatin1String("shape")) {
        if (words.size() != 2 || shapeIndex.contains(words[1]))
            return QStringLiteral("shape needs one new name");
        shapeIndex.insert(words[1], int(movie.shapes.size()));
        movie.shapes.append(Shape{words[1], {}});
        return {};
    }
    if (verb == QLatin1String("rect") || verb == QLatin1String("poly") ||
        verb == QLatin1String("line")) {
        if (movie.shapes.isEmpty())
            return QStringLiteral("an outline before any shape");
        if (words.size() < 5)
            return QStringLiteral("an outline needs fill, line width, line colour and geometry");
        Outline outline;
        outline.closed = verb != QLatin1String("line");
        if (words[1] != QLatin1String("-")) {
            outline.fill = ParseColor(words[1]);
            if (!outline.fill || !outline.closed)
                return QStringLiteral("bad fill (a line has none)");
        }
        if (!ParseNumber(words[2], &outline.lineWidth) || outline.lineWidth < 0 ||
            outline.lineWidth > 100)
            return QStringLiteral("bad line width");
        if (outline.lineWidth > 0) {
            const auto color = ParseColor(words[3]);
            if (!color)
                return QStringLiteral("bad line colour");
            outline.lineColor = *color;
        }
        if (!outline.fill && outline.lineWidth <= 0)
            return QStringLiteral("an outline with neither fill nor line");
        if (verb == QLatin1String("rect")) {
            double r[4] = {};
            if (words.size() != 8 || !ParseNumber(words[4], &r[0]) ||
                !ParseNumber(words[5], &r[1]) || !ParseNumber(words[6], &r[2]) ||
                !ParseNumber(words[7], &r[3]))
                return QStringLiteral("rect needs x, y, width and height");
            outline.points = {
                {r[0], r[1]}, {r[0] + r[2], r[1]}, {r[0] + r[2], r[1] + r[3]}, {r[0], r[1] + r[3]}};
        } else {
            for (qsizetype i = 4; i < words.size(); ++i) {
                const auto point = ParsePoint(words[i]);
                if (!point)
                    return QStringLiteral("bad point %1").arg(words[i]);
                outline.points.append(*point);
            }
            if (outline.points.size() < (outline.closed ? 3 : 2))
                return QStringLiteral("too few points");
        }
        Shape& shape = movie.shapes.back();
        if (shape.outlines.size() >= MaxStyles)
            return QStringLiteral("too many outlines in one shape");
        shape.outlines.append(outline);
        return {};
    }
    if (verb == QLatin1String("place")) {
        Placement placement;
        qsizetype i = 1;
        for (; i < words.size() && words[i] != QLatin1String("at"); ++i) {
            if (!shapeIndex.contains(words[i]))
                return QStringLiteral("unknown shape %1").arg(words[i]);
            placement.shapes.append(shapeIndex.value(words[i]));
        }
        const qsizetype numbers = words.size() - i - 1;
        if (placement.shapes.isEmpty() || i == words.size() || numbers < 4 || numbers % 4 != 0)
            return QStringLiteral("place needs shapes, then 'at' and keys of frame x y angle");
        for (++i; i < words.size(); i += 4) {
            Key key;
            double x = 0;
            double y = 0;
            bool frameOk = false;
            key.frame = words[i].toInt(&frameOk);
            if (!frameOk || !ParseNumber(words[i + 1], &x) || !ParseNumber(words[i + 2], &y) ||
                !ParseNumber(words[i + 3], &key.angle))
                return QStringLiteral("bad key");
            if (!placement.keys.isEmpty() && key.frame <= placement.keys.back().frame)
                return QStringLiteral("key frames must rise");
            key.position = {x, y};
            placement.keys.append(key);
        }
        movie.placements.append(placement);
        return {};
    }
    return QStringLiteral("unknown statement %1").arg(verb);
}

} // namespace

std::optional<Movie> ParseMovie(const QString& text, QString* error) {
    Movie movie;
    QHash<QString, int> shapeIndex;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const QString reason =
            ParseStatement(line.split(QLatin1Char(' '), Qt::SkipEmptyParts), movie, shapeIndex);
        if (!reason.isEmpty()) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(n + 1).arg(reason);
            return std::nullopt;
        }
    }
    QString problem;
    if (movie.width == 0)
        problem = QStringLiteral("no stage");
    else if (movie.placements.isEmpty())
        problem = QStringLiteral("nothing placed");
    for (const Shape& shape : movie.shapes) {
        if (shape.outlines.isEmpty())
            problem = QStringLiteral("shape %1 has no outline").arg(shape.name);
    }
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return std::nullopt;
    }
    return movie;
}

Key PlaceAt(const Placement& placement, int frame) {
    const QList<Key>& keys = placement.keys;
    if (frame <= keys.front().frame)
        return keys.front();
    for (qsizetype i = 1; i < keys.size(); ++i) {
        if (frame <= keys[i].frame) {
            const Key& a = keys[i - 1];
            const Key& b = keys[i];
            const double t = double(frame - a.frame) / double(b.frame - a.frame);
            return {frame, a.position + (b.position - a.position) * t,
                    a.angle + (b.angle - a.angle) * t};
        }
    }
    return keys.back();
}

QByteArray WriteMovie(const Movie& movie) {
    QByteArray tags;
    AppendTag(tags, TagFileAttributes, QByteArray(4, '\0'));
    QByteArray background;
    AppendRgb(background, movie.background);
    AppendTag(tags, TagSetBackgroundColor, background);
    for (qsizetype i = 0; i < movie.shapes.size(); ++i)
        AppendTag(tags, TagDefineShape, DefineShape(int(i + 1), movie.shapes[i]));

    QList<Key> shown(movie.placements.size());
    for (int frame = 0; frame < movie.frameCount; ++frame) {
        int depth = 1;
        for (qsizetype p = 0; p < movie.placements.size(); ++p) {
            const Placement& placement = movie.placements[p];
            const Key key = PlaceAt(placement, frame);
            const bool moved =
                frame == 0 || key.position != shown[p].position || key.angle != shown[p].angle;
            for (int shape : placement.shapes) {
                if (moved)
                    AppendTag(tags, TagPlaceObject2,
                              PlaceObject(depth, frame == 0 ? shape + 1 : 0, key));
                ++depth;
            }
            shown[p] = key;
        }
        AppendTag(tags, TagShowFrame, {});
    }
    AppendTag(tags, TagEnd, {});

    QByteArray file("FWS");
    file.append(char(10));
    const QByteArray stage = Rect(0, movie.width * Twips, 0, movie.height * Twips);
    const uint32_t length = uint32_t(8 + stage.size() + 4 + tags.size());
    AppendU32(file, length);
    file.append(stage);
    AppendU16(file, uint32_t(movie.frameRate) << 8);
    AppendU16(file, uint32_t(movie.frameCount));
    file.append(tags);
    return file;
}

} // namespace veltrano::swf
