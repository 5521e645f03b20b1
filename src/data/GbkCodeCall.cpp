#include "data/GbkCodeCall.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>

std::optional<QString> CallCodeFunction(CodeFunction function, const QString& text) {
    if (function == nullptr)
        return std::nullopt;
    QStringEncoder toGbk("GBK");
    const QByteArray in = toGbk(text);
    const int length = function(in.constData(), int(in.size()), nullptr, 0);
    if (length < 0)
        return std::nullopt;
    QByteArray out(length + 1, Qt::Uninitialized);
    if (function(in.constData(), int(in.size()), out.data(), int(out.size())) != length)
        return std::nullopt;
    out.resize(length);
    QStringDecoder fromGbk("GBK");
    return QString(fromGbk(out));
}

bool FitsGbk(const QString& text) {
    QStringEncoder toGbk("GBK");
    const QByteArray bytes = toGbk(text);
    return !toGbk.hasError();
}
