// Build-time tool: writes a Flash film from its description (see SwfWriter.h).
//   vt_write_swf <film.swf.movie> <film.swf>
#include "SwfWriter.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdio>

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "vt_write_swf: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return Fail(QStringLiteral("usage: vt_write_swf <film.swf.movie> <film.swf>"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("%1: cannot be read").arg(source));
    QString error;
    const auto movie = veltrano::swf::ParseMovie(QString::fromUtf8(input.readAll()), &error);
    if (!movie)
        return Fail(QStringLiteral("%1: %2").arg(source, error));
    QSaveFile output(target);
    const QByteArray bytes = veltrano::swf::WriteMovie(*movie);
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes) != bytes.size() ||
        !output.commit())
        return Fail(QStringLiteral("%1: cannot be written").arg(target));
    return 0;
}
