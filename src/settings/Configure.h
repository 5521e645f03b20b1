#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Configure.ini: a GBK INI file opened anew for every read and write; section and key
// names are matched without regard to case. Every write replaces the file atomically.
namespace Configure {
QString ReadString(const QString& section, const QString& key, const QString& fallback = {});
// A missing key or a text that is not a decimal integer reads as `fallback`.
int ReadInteger(const QString& section, const QString& key, int fallback);
void WriteString(const QString& section, const QString& key, const QString& value);
void WriteInteger(const QString& section, const QString& key, int value);
// Writes several keys of one section, in order, in one replacement of the file: a crash
// leaves all of them or none.
void WriteStrings(const QString& section, const QList<QPair<QString, QString>>& values);
} // namespace Configure

struct TDriverInfo {
    QString Name;
    QString ID;
    int SubAreaID = 1;
    QString SubAreaName;
    int SubCarTypeID = 1;
    QString SubCarTypeName;
    QString SubCarTypeDesc;
};

TDriverInfo LoadDriverInfo();

struct TKeyMap {
    int A = -1, B = -1, C = -1, D = -1;
    int Right = -1, Wrong = -1, Last = -1, Next = -1;
};

TKeyMap LoadKeyMap();
void SaveKeyMap(const TKeyMap& map);
