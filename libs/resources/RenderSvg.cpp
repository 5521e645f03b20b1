// Build-time tool: renders one SVG drawing to a PNG (transparent background) or a JPEG
// (white background) of the drawing's own size.
//   vt_render_svg <drawing.svg> <picture.png|picture.jpg>
// Any warning of the SVG reader (an element or attribute it cannot draw) fails the build,
// so that a picture never ships with parts silently missing.
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
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
    if (format != QLatin1String("png") && format != QLatin1String("jpg"))
        return Fail(QStringLiteral("%1: the picture must end in .png or .jpg").arg(target));

    readingSvg = true;
    QSvgRenderer renderer(source);
    if (!renderer.isValid() || svgWarned)
        return Fail(QStringLiteral("%1: not a drawing that can be rendered in full").arg(source));
    const QSize size = renderer.defaultSize();
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(format == QLatin1String("png") ? Qt::transparent : Qt::white);
    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    renderer.render(&painter);
    painter.end();
    if (svgWarned)
        return Fail(QStringLiteral("%1: the drawing has parts that cannot be drawn").arg(source));
    if (!picture.save(target, format == QLatin1String("png") ? "PNG" : "JPEG", 92))
        return Fail(QStringLiteral("%1: cannot be written").arg(target));
    return 0;
}
