#include "settings/IniDocument.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

QString DecodeGbk(const QByteArray& bytes) {
    QStringDecoder decoder("GBK");
    return decoder(bytes);
}

QByteArray EncodeGbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder(text);
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<QString> SectionName(const QString& line) {
    const QString trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(u']');
    if (!trimmed.startsWith(u'[') || close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

bool IsComment(const QString& line) {
    return line.trimmed().startsWith(u';');
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString WithoutLineBreaks(QString text) {
    text.remove(u'\r');
    text.remove(u'\n');
    text.remove(QChar(0));
    return text;
}

} // namespace

IniDocument IniDocument::Parse(const QByteArray& bytes) {
    IniDocument document;
    if (bytes.isEmpty())
        return document;
    document.Newline = bytes.contains("\r\n") || !bytes.contains('\n') ? "\r\n" : "\n";
    document.Lines = bytes.split('\n');
    if (bytes.endsWith('\n'))
        document.Lines.removeLast();
    for (QByteArray& line : document.Lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return document;
}

IniDocument::Range IniDocument::FindSection(const QString& section) const {
    Range range;
    for (qsizetype i = 0; i < Lines.size(); ++i) {
        const std::optional<QString> name = SectionName(DecodeGbk(Lines[i]));
        if (!name)
            continue;
        if (range.header >= 0) {
            range.end = i;
            return range;
        }
        if (SameName(*name, section))
            range.header = i;
    }
    range.end = Lines.size();
    return range;
}

qsizetype IniDocument::FindKey(const Range& range, const QString& key) const {
    if (range.header < 0)
        return -1;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const QString line = DecodeGbk(Lines[i]);
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0 && !IsComment(line) && SameName(line.left(equals).trimmed(), key))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const {
    const qsizetype line = FindKey(FindSection(section), key);
    if (line < 0)
        return std::nullopt;
    const QString text = DecodeGbk(Lines[line]);
    return text.mid(text.indexOf(u'=') + 1).trimmed();
}

void IniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    const QString cleanSection = WithoutLineBreaks(section);
    const QString cleanKey = WithoutLineBreaks(key);
    const QByteArray keyLine = EncodeGbk(cleanKey + u'=' + WithoutLineBreaks(value));
    const Range range = FindSection(cleanSection);
    if (range.header < 0) {
        Lines.append(EncodeGbk(u'[' + cleanSection + u']'));
        Lines.append(keyLine);
        return;
    }
    const qsizetype existing = FindKey(range, cleanKey);
    if (existing >= 0) {
        Lines[existing] = keyLine;
        return;
    }
    qsizetype insertAt = range.end;
    while (insertAt > range.header + 1 && Lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    Lines.insert(insertAt, keyLine);
}

QByteArray IniDocument::ToBytes() const {
    QByteArray bytes;
    for (const QByteArray& line : Lines)
        bytes += line + Newline;
    return bytes;
}
