#pragma once

#include <QString>
#include <memory>

namespace httplib {
class Client;
}

// One connection to the grade service, made for a single remote call and closed after it.
// ConnectServer opens it (a round trip to the service's health address, kept alive for the
// command that follows); DisconnectServer closes it.
struct TServerConnection {
    TServerConnection(QString address, int port);
    ~TServerConnection();
    TServerConnection(const TServerConnection&) = delete;
    TServerConnection& operator=(const TServerConnection&) = delete;

    QString Address;
    int Port = 0;
    bool Connected = false;
    std::unique_ptr<httplib::Client> Client;
};
