#pragma once

#include <QString>
#include <QThread>

// How long one reachability test waits for a TCP connection (name lookup included).
constexpr int kConnectTimeLimitMs = 2000;

// Whether a TCP connection to the server of an "http://" address (its port, else 80) can be
// made now, within `timeLimitMs`. Any failure, a malformed address included, is false.
bool CanConnect(const QString& url, int timeLimitMs = kConnectTimeLimitMs);

// One connection check: tests the home address, then the header address, each once, on its
// own thread, and reports each result as soon as its test has finished. The addresses are
// copies taken at creation. Reports reach receivers on other threads queued, in the order
// the tests finish; several checks may run at once.
class TConnectURLThread : public QThread {
    Q_OBJECT
public:
    TConnectURLThread(QString headURL, QString homeURL, QObject* parent = nullptr);

    bool CheckHead = false;
    bool CheckHome = false;

signals:
    void HomeChecked(bool online, const QString& address);
    void HeadChecked(bool online, const QString& address);

protected:
    void run() override;

private:
    const QString HeadURL;
    const QString HomeURL;
};
