#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Animated GIF89a files: Qt reads GIF but cannot write it.
namespace veltrano::gif {

// Encodes the frames (all of the first frame's size, drawn opaque) as one looping GIF89a
// with a shared palette of at most 256 colours: the most frequent colours of all frames,
// each pixel shown in the nearest of them; each frame after the first stores only the
// rectangle that changed. `delay` is the time each frame stays, in
// hundredths of a second. No frames gives an empty array.
QByteArray WriteAnimation(const QList<QImage>& frames, int delay);

// The GIF variant of LZW for codes of `minimumCodeSize` bits (2 to 8), packed least
// significant bit first, without the data sub-block framing.
QByteArray CompressLzw(const QByteArray& indices, int minimumCodeSize);

} // namespace veltrano::gif
