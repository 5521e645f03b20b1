#include "GifWriter.h"

#include <QHash>
#include <QRect>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace veltrano::gif {

namespace {

constexpr int MaxCodeBits = 12;
constexpr int MaxCodes = 1 << MaxCodeBits;
constexpr int PaletteSize = 256;

class CodeWriter {
public:
    void Write(int code, int bits) {
        buffer_ |= uint32_t(code) << used_;
        used_ += bits;
        while (used_ >= 8) {
            bytes_.append(char(buffer_ & 0xFF));
            buffer_ >>= 8;
            used_ -= 8;
        }
    }
    QByteArray Finish() {
        if (used_ > 0)
            bytes_.append(char(buffer_ & 0xFF));
        buffer_ = 0;
        used_ = 0;
        return bytes_;
    }

private:
    QByteArray bytes_;
    uint32_t buffer_ = 0;
    int used_ = 0;
};

void AppendU16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// 5 bits per channel: the key under which colours are counted and looked up.
int Key15(QRgb rgb) {
    return ((qRed(rgb) >> 3) << 10) | ((qGreen(rgb) >> 3) << 5) | (qBlue(rgb) >> 3);
}

QRgb FromKey15(int key) {
    const auto spread = [](int v) { return (v << 3) | (v >> 2); };
    return qRgb(spread((key >> 10) & 31), spread((key >> 5) & 31), spread(key & 31));
}

// The palette and, for each 15-bit colour, its palette index.
struct Palette {
    std::vector<QRgb> colours;
    std::vector<uint8_t> indexOf;
};

Palette MakePalette(const QList<QImage>& frames) {
    std::vector<uint32_t> counts(1 << 15, 0);
    for (const QImage& frame : frames) {
        for (int y = 0; y < frame.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x)
                ++counts[size_t(Key15(line[x]))];
        }
    }
    std::vector<int> used;
    for (int key = 0; key < int(counts.size()); ++key) {
        if (counts[size_t(key)] > 0)
            used.push_back(key);
    }
    std::stable_sort(used.begin(), used.end(),
                     [&](int a, int b) { return counts[size_t(a)] > counts[size_t(b)]; });
    Palette palette;
    for (size_t i = 0; i < used.size() && i < size_t(PaletteSize); ++i)
        palette.colours.push_back(FromKey15(used[i]));
    palette.indexOf.assign(counts.size(), 0);
    for (int key : used) {
        const QRgb colour = FromKey15(key);
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < int(palette.colours.size()); ++i) {
            const QRgb p = palette.colours[size_t(i)];
            const int dr = qRed(p) - qRed(colour);
            const int dg = qGreen(p) - qGreen(colour);
            const int db = qBlue(p) - qBlue(colour);
            const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        palette.indexOf[size_t(key)] = uint8_t(best);
    }
    return palette;
}

// The smallest rectangle holding every pixel that differs between two frames of one size;
// one pixel when none does (a frame cannot be empty).
QRect Changed(const QImage& before, const QImage& after) {
    int left = after.width();
    int right = -1;
    int top = after.height();
    int bottom = -1;
    for (int y = 0; y < after.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < after.width(); ++x) {
            if (Key15(a[x]) != Key15(b[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect(0, 0, 1, 1) : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

QByteArray CompressLzw(const QByteArray& indices, int minimumCodeSize) {
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    CodeWriter out;
    QHash<uint32_t, int> table; // (prefix code << 8 | next index) → code
    int nextCode = end + 1;
    int codeBits = minimumCodeSize + 1;
    out.Write(clear, codeBits);
    int prefix = -1;
    for (char c : indices) {
        const int index = uint8_t(c);
        if (prefix < 0) {
            prefix = index;
            continue;
        }
        const uint32_t entry = (uint32_t(prefix) << 8) | uint32_t(index);
        const auto found = table.constFind(entry);
        if (found != table.constEnd()) {
            prefix = found.value();
            continue;
        }
        out.Write(prefix, codeBits);
        if (nextCode < MaxCodes) {
            table.insert(entry, nextCode);
            // The decoder widens its codes once the code it would add next no longer fits.
            if (nextCode == (1 << codeBits) && codeBits < MaxCodeBits)
                ++codeBits;
            ++nextCode;
        } else {
            out.Write(clear, codeBits);
            table.clear();
            nextCode = end + 1;
            codeBits = minimumCodeSize + 1;
        }
        prefix = index;
    }
    if (prefix >= 0)
        out.Write(prefix, codeBits);
    out.Write(end, codeBits);
    return out.Finish();
}

QByteArray WriteAnimation(const QList<QImage>& frames, int delay) {
    if (frames.isEmpty())
        return {};
    const QSize size = frames.front().size();
    QList<QImage> opaque;
    for (const QImage& frame : frames)
        opaque.append(frame.scaled(size).convertToFormat(QImage::Format_RGB32));
    const Palette palette = MakePalette(opaque);

    QByteArray file("GIF89a");
    AppendU16(file, size.width());
    AppendU16(file, size.height());
    file.append(char(0xF7)); // global colour table of 256 entries, 8 bits per channel
    file.append('\0');       // background colour index
    file.append('\0');       // square pixels
    for (int i = 0; i < PaletteSize; ++i) {
        const QRgb colour = i < int(palette.colours.size()) ? palette.colours[size_t(i)] : 0;
        file.append(char(qRed(colour)));
        file.append(char(qGreen(colour)));
        file.append(char(qBlue(colour)));
    }
    // Loops for ever.
    file.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
    AppendU16(file, 0);
    file.append('\0');

    for (qsizetype f = 0; f < opaque.size(); ++f) {
        // After the first frame only the rectangle that changed is stored; the rest of the
        // previous frame stays in place.
        const QRect area = f == 0 ? QRect(QPoint(0, 0), size) : Changed(opaque[f - 1], opaque[f]);
        file.append("\x21\xF9\x04\x04", 4); // graphic control: leave the frame in place
        AppendU16(file, std::clamp(delay, 2, 65535));
        file.append('\0');
        file.append('\0');
        file.append(',');
        AppendU16(file, area.x());
        AppendU16(file, area.y());
        AppendU16(file, area.width());
        AppendU16(file, area.height());
        file.append('\0');
        QByteArray indices;
        indices.reserve(qsizetype(area.width()) * area.height());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(opaque[f].constScanLine(y));
            for (int x = area.left(); x <= area.right(); ++x)
                indices.append(char(palette.indexOf[size_t(Key15(line[x]))]));
        }
        file.append(char(8));
        const QByteArray data = CompressLzw(indices, 8);
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const qsizetype block = std::min<qsizetype>(255, data.size() - at);
            file.append(char(block));
            file.append(data.mid(at, block));
        }
        file.append('\0');
    }
    file.append(';');
    return file;
}

} // namespace veltrano::gif
