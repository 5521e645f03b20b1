#include "exam/GradeOutbox.h"

#include "data/TQuery.h"
#include "data/uProc.h"
#include "settings/AppPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSaveFile>
#include <QThreadPool>
#include <QUuid>

namespace GradeOutbox {
namespace {

// One lock for the file: the start-up resend runs on a worker thread.
QMutex& FileLock() {
    static QMutex lock;
    return lock;
}

QList<TGrade> ReadFile() {
    QFile file(File());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<TGrade> grades;
    const QJsonArray items = QJsonDocument::fromJson(file.readAll()).array();
    for (const QJsonValue& item : items) {
        const QJsonObject o = item.toObject();
        TGrade grade{o.value("Key").toString(), o.value("EmpID").toString(),
                     o.value("EmpName").toString(), o.value("UseTime").toInt(),
                     o.value("Mark").toInt()};
        if (!grade.Key.isEmpty())
            grades.append(grade);
    }
    return grades;
}

bool WriteFile(const QList<TGrade>& grades) {
    if (grades.isEmpty() && !QFile::exists(File()))
        return true;
    QJsonArray items;
    for (const TGrade& grade : grades)
        items.append(QJsonObject{{"Key", grade.Key},
                                 {"EmpID", grade.EmpID},
                                 {"EmpName", grade.EmpName},
                                 {"UseTime", grade.UseTime},
                                 {"Mark", grade.Mark}});
    QSaveFile file(File());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(items).toJson());
    return file.commit();
}

bool RemoveKey(QList<TGrade>& grades, const QString& key) {
    return grades.removeIf([&](const TGrade& g) { return g.Key == key; }) > 0;
}

} // namespace

QString File() {
    return QFileInfo(AppPaths::BankFile()).absolutePath() + QStringLiteral("/GradeOutbox.json");
}

QString NewKey() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QList<TGrade> Pending() {
    QMutexLocker locker(&FileLock());
    return ReadFile();
}

bool Keep(const TGrade& grade) {
    QMutexLocker locker(&FileLock());
    QList<TGrade> grades = ReadFile();
    RemoveKey(grades, grade.Key);
    grades.append(grade);
    return WriteFile(grades);
}

bool Forget(const QString& key) {
    QMutexLocker locker(&FileLock());
    QList<TGrade> grades = ReadFile();
    return !RemoveKey(grades, key) || WriteFile(grades);
}

int Resend(const std::function<bool(const TGrade&)>& send) {
    int acknowledged = 0;
    for (const TGrade& grade : Pending())
        if (send(grade) && Forget(grade.Key))
            ++acknowledged;
    return acknowledged;
}

bool SendQuietly(const TGrade& grade) {
    TQuery dataset;
    return ExecRemoteSQL(dataset, InsertGradeCommand(grade), QStringLiteral("Execute"), false);
}

void ResendInBackground() {
    if (Pending().isEmpty())
        return;
    QThreadPool::globalInstance()->start([] { Resend(SendQuietly); });
}

} // namespace GradeOutbox
