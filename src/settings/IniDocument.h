#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The lines of a GBK INI file, kept as the bytes that were read so that every line the
// program does not change is written back exactly as it was (comments, other sections,
// lines it does not understand). Section and key names match without regard to case; the
// first matching section and the first matching key in it count.
class IniDocument {
public:
    static IniDocument Parse(const QByteArray& bytes);

    // The value of `key` in `section` without surrounding blanks, or nothing when absent.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Replaces the key's line, or adds the key at the end of its section (adding the
    // section at the end of the file when absent). Line breaks in any of the three texts
    // are removed, so a value cannot add lines of its own.
    void SetValue(const QString& section, const QString& key, const QString& value);

    QByteArray ToBytes() const;

private:
    struct Range {
        qsizetype header = -1; // line of "[section]", -1 when absent
        qsizetype end = 0;     // first line after the section
    };
    Range FindSection(const QString& section) const;
    qsizetype FindKey(const Range& range, const QString& key) const;

    QList<QByteArray> Lines;
    QByteArray Newline = "\r\n";
};
