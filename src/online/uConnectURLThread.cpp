#include "online/uConnectURLThread.h"

#include "online/URLInfo.h"

#include <QTcpSocket>
#include <QUrl>

bool CanConnect(const QString& url, int timeLimitMs) {
    const QUrl address(url, QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty())
        return false;
    QTcpSocket socket;
    socket.connectToHost(address.host(), quint16(address.port(80)));
    const bool reached = socket.waitForConnected(timeLimitMs);
    socket.abort();
    return reached;
}

TConnectURLThread::TConnectURLThread(QString headURL, QString homeURL, QObject* parent)
    : QThread(parent), HeadURL(std::move(headURL)), HomeURL(std::move(homeURL)) {}

void TConnectURLThread::run() {
    if (CheckHome)
        emit HomeChecked(CanConnect(WebAddress(HomeURL)), HomeURL);
    if (CheckHead)
        emit HeadChecked(CanConnect(WebAddress(HeadURL)), HeadURL);
}
