#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <nlohmann/json.hpp>
#include <string>

// A veltrano-server process started by a test, on a free loopback port, and the HTTP calls
// a test makes to it.
class ServiceProcess {
public:
    // `extraArguments` are added to the service's command line, e.g. {"--site", folder}.
    explicit ServiceProcess(QString database, QStringList extraArguments = {})
        : Database(std::move(database)), ExtraArguments(std::move(extraArguments)) {}
    ~ServiceProcess();

    // Starts the service and waits until it listens; false when it did not within 10 s.
    bool Start();
    // SIGTERM; true when the service ended by itself with exit code 0 within 10 s.
    bool Stop();
    // SIGKILL, as a crash or a power cut would stop it.
    void Kill();

    int Port() const { return ListenPort; }
    // Everything the service wrote to stderr so far.
    QString Log();

private:
    QString Database;
    QStringList ExtraArguments;
    QProcess Process;
    QByteArray Stderr;
    int ListenPort = 0;
};

struct Answer {
    int Status = 0; // 0 when no HTTP answer came
    nlohmann::json Body;
};

Answer PostBody(int port, const std::string& path, const std::string& body);
Answer PostCommand(int port, const std::string& command, const std::string& mode,
                   const std::string& provider = "dspClient1");
Answer GetPath(int port, const std::string& path);

// The built veltrano-server, in the output folder the tests are told of.
QString ServerProgram();
// Runs an administration command of veltrano-server; returns its exit code and stdout.
std::pair<int, QString> RunAdministration(const QStringList& arguments);

// The store the suite runs against: a SQLite file in `folder`, or the PostgreSQL cluster
// the test script started (VELTRANO_TEST_STORE=postgresql).
QString TestStore(const QString& folder);
bool TestingPostgres();
