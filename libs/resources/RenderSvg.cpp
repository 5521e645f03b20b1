// Build-time tool: renders one SVG drawing to a PNG (transparent background), a JPEG
// (white background) or an animated GIF (white background, frames as SvgFrames.h
// describes) of the drawing's own size.
//   vt_render_svg <drawing.svg> <picture.png|picture.jpg|animation.gif>
// Any warning of the SVG reader (an element or attribute it cannot draw) fails the build,
// so that a picture never ships with parts silently missing.
#include "GifWriter.h"
#include "SvgFrames.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool readingSvg = false;
bool svgWarned = false;

// Start-up chatter of the offscreen platform is not about the drawing and is dropped.
void CatchSvgWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (readingSvg && type != QtDebugMsg && type != QtInfoMsg) {
        svgWarned = true;
        std::fprintf(stderr, "%s: %s\n", context.category ? context.category : "qt",
                     qPrintable(text));
    }
}

int Fail(const QString& message) {
    std::fprintf(stderr, "vt_render_svg: %s\n", qPrintable(message));
    return 1;
}

// The drawing on a canvas of the given colour, or a null image when it cannot be drawn in full.
QImage Render(const QByteArray& svg, const QColor& canvas) {
    readingSvg = true;
    QSvgRenderer renderer(svg);
    if (!renderer.isValid() || svgWarned)
        return {};
    QImage picture(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(canvas);
    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    renderer.render(&painter);
    painter.end();
    return svgWarned ? QImage() : picture;
}

QByteArray Animate(const QByteArray& svg, const QString& source) {
    QString error;
    const auto animation = veltrano::svgframes::ReadAnimation(svg, &error);
    if (!animation) {
        Fail(QStringLiteral("%1: %2").arg(source, error));
        return {};
    }
    QList<QImage> frames;
    for (int f = 0; f < animation->frames; ++f) {
        frames.append(Render(veltrano::svgframes::Frame(*animation, f), Qt::white));
        if (frames.back().isNull()) {
            Fail(QStringLiteral("%1: frame %2 cannot be drawn in full").arg(source).arg(f));
            return {};
        }
    }
    return veltrano::gif::WriteAnimation(frames, animation->delay);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(CatchSvgWarnings);
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return Fail(QStringLiteral("usage: vt_render_svg <drawing.svg> <picture.png|jpg>"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    const QString format = QFileInfo(target).suffix().toLower();
    if (format != QLatin1String("png") && format != QLatin1String("jpg") &&
        format != QLatin1String("gif"))
        return Fail(QStringLiteral("%1: the picture must end in .png, .jpg or .gif").arg(target));
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("%1: cannot be read").arg(source));
    const QByteArray svg = input.readAll();

    if (format == QLatin1String("gif")) {
        const QByteArray animation = Animate(svg, source);
        QSaveFile output(target);
        if (animation.isEmpty())
            return 1;
        if (!output.open(QIODevice::WriteOnly) || output.write(animation) != animation.size() ||
            !output.commit())
            return Fail(QStringLiteral("%1: cannot be written").arg(target));
        return 0;
    }
    const QImage picture =
        Render(svg, format == QLatin1String("png") ? Qt::transparent : Qt::white);
    if (picture.isNull())
        return Fail(QStringLiteral("%1: not a drawing that can be rendered in full").arg(source));
    if (!picture.save(target, format == QLatin1String("png") ? "PNG" : "JPEG", 92))
        return Fail(QStringLiteral("%1: cannot be written").arg(target));
    return 0;
}
