#include "online/URLInfo.h"

#include <QDesktopServices>
#include <QMutex>
#include <QStringList>
#include <QUrl>

namespace {

const QString kDefaultSite = QStringLiteral("127.0.0.1:2112");

QMutex RecorderLock;
bool Recording = false;
QStringList RecordedAddresses;

bool IsPlainHost(const QString& setting) {
    const QUrl url(WebAddress(setting), QUrl::StrictMode);
    const bool portGiven = setting.contains(QLatin1Char(':'));
    return url.isValid() && !url.host().isEmpty() && url.userInfo().isEmpty() &&
           url.path().isEmpty() && !url.hasQuery() && !url.hasFragment() &&
           !setting.contains(QLatin1Char(' ')) && (!portGiven || url.port() > 0);
}

} // namespace

QString SiteHost(const QString& setting) {
    const QString host = setting.trimmed();
    if (host.isEmpty())
        return kDefaultSite;
    if (!IsPlainHost(host)) {
        qWarning("VELTRANO_SITE=\"%s\" is no host[:port]; using %s", qPrintable(setting),
                 qPrintable(kDefaultSite));
        return kDefaultSite;
    }
    return host;
}

TURLInfo URLInfoFor(const QString& host) {
    return {host + QStringLiteral("/top/"),
            host + QStringLiteral("/mini/"),
            host + QStringLiteral("/download/"),
            host + QStringLiteral("/download/"),
            host,
            host + QStringLiteral("/tellme/")};
}

TURLInfo LoadURLInfo() {
    return URLInfoFor(SiteHost(QString::fromLocal8Bit(qgetenv("VELTRANO_SITE"))));
}

QString WebAddress(const QString& address) {
    return QStringLiteral("http://") + address;
}

void OpenInExplorer(const QString& address) {
    {
        QMutexLocker lock(&RecorderLock);
        if (Recording) {
            RecordedAddresses.append(WebAddress(address));
            return;
        }
    }
    QDesktopServices::openUrl(QUrl(WebAddress(address)));
}

namespace OpenRecorder {

void Enable(bool on) {
    QMutexLocker lock(&RecorderLock);
    Recording = on;
    RecordedAddresses.clear();
}

QStringList Opened() {
    QMutexLocker lock(&RecorderLock);
    return RecordedAddresses;
}

} // namespace OpenRecorder
