#pragma once

#include <QString>
#include <QStringList>

// The program's six web addresses, stored without a scheme: the site host, optionally with
// a path. "http://" is put in front where an address is tested or opened.
struct TURLInfo {
    QString TopURL;
    QString MiniURL;
    QString MobileURL;
    QString DownloadURL;
    QString SiteURL;
    QString FeedbackURL;
};

// The site host: VELTRANO_SITE as "host[:port]". An empty setting gives the local service
// 127.0.0.1:2112; a setting that is no plain host with an optional port (a scheme, a path,
// spaces, a port outside 1..65535) is refused with a warning on stderr and also gives the
// local service.
QString SiteHost(const QString& setting);

// The six addresses for `host`.
TURLInfo URLInfoFor(const QString& host);
// The six addresses for the host named by VELTRANO_SITE.
TURLInfo LoadURLInfo();

// "http://" + a stored address, as a browser or the connection test takes it.
QString WebAddress(const QString& address);

// Opens a stored address in the desktop's default browser; a failure is not reported.
// Tests replace the opening by recording the addresses (OpenRecorder).
void OpenInExplorer(const QString& address);
namespace OpenRecorder {
void Enable(bool on);
QStringList Opened();
} // namespace OpenRecorder
