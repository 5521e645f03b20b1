#pragma once

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QMovie>

// The frames of an animated GIF as Qt decodes them, in RGB32; `loops` receives its loop
// count (-1: for ever).
inline QList<QImage> GifFrames(const QByteArray& gif, int* loops = nullptr) {
    QBuffer buffer;
    buffer.setData(gif);
    QMovie movie(&buffer, "gif");
    QList<QImage> frames;
    for (int i = 0; i < movie.frameCount() && movie.jumpToFrame(i); ++i)
        frames.append(movie.currentImage().convertToFormat(QImage::Format_RGB32));
    if (loops)
        *loops = movie.loopCount();
    return frames;
}
