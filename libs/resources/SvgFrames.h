#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Animated drawings: an SVG whose root element carries vt-frames="<count>" and
// vt-delay="<hundredths of a second per frame>", and whose elements may carry key-framed
// attributes vt-<attribute>="<frame>: <value>; <frame>: <value>; ...". Frame f of the
// drawing is the SVG with each such attribute replaced by <attribute>="<value at f>":
// between two keys whose values differ only in their numbers, each number moves in a
// straight line; otherwise the earlier key's value holds until the next key. Before the
// first key the first value holds, after the last the last.
namespace veltrano::svgframes {

struct Animation {
    QByteArray svg; // the drawing with its vt-frames and vt-delay removed
    int frames = 0;
    int delay = 0;
};

// Reads the frame count and delay; nothing, with the reason in `error`, when either is
// missing or out of range (1 to 1000 frames, 2 to 1000 hundredths) or a key list cannot be
// read.
std::optional<Animation> ReadAnimation(const QByteArray& svg, QString* error);

// The SVG of frame `frame` (counted from 0).
QByteArray Frame(const Animation& animation, int frame);

// The value of a key list at a frame, or nothing when the list cannot be read.
std::optional<QString> ValueAt(const QString& keys, int frame);

} // namespace veltrano::svgframes
