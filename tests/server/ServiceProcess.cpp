#include "ServiceProcess.h"
#include "../support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <httplib.h>
#include <signal.h>
#include <sys/prctl.h>

ServiceProcess::~ServiceProcess() {
    if (Process.state() != QProcess::NotRunning)
        Kill();
}

bool ServiceProcess::Start() {
    Stderr.clear();
    // The service dies with the test, even when the test itself is aborted.
    Process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    Process.start(ServerProgram(),
                  QStringList{"--listen", "127.0.0.1:0", "--db", Database, "--threads", "16"} +
                      ExtraArguments);
    if (!Process.waitForStarted(10000)) {
        Stderr = Process.errorString().toUtf8();
        return false;
    }
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && Process.state() == QProcess::Running) {
        Process.waitForReadyRead(100);
        Stderr += Process.readAllStandardError();
        const auto match = listening.match(QString::fromUtf8(Stderr));
        if (match.hasMatch()) {
            ListenPort = match.captured(1).toInt();
            return true;
        }
    }
    return false;
}

bool ServiceProcess::Stop() {
    ::kill(pid_t(Process.processId()), SIGTERM);
    const bool ended = Process.waitForFinished(10000);
    Stderr += Process.readAllStandardError();
    return ended && Process.exitStatus() == QProcess::NormalExit && Process.exitCode() == 0;
}

void ServiceProcess::Kill() {
    ::kill(pid_t(Process.processId()), SIGKILL);
    Process.waitForFinished(10000);
    Stderr += Process.readAllStandardError();
}

QString ServiceProcess::Log() {
    Process.waitForReadyRead(200);
    Stderr += Process.readAllStandardError();
    return QString::fromUtf8(Stderr);
}

namespace {

Answer ToAnswer(const httplib::Result& result) {
    Answer answer;
    if (!result)
        return answer;
    answer.Status = result->status;
    answer.Body = nlohmann::json::parse(result->body, nullptr, false);
    return answer;
}

httplib::Client MakeClient(int port) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(3);
    client.set_read_timeout(10);
    return client;
}

} // namespace

Answer PostBody(int port, const std::string& path, const std::string& body) {
    auto client = MakeClient(port);
    return ToAnswer(client.Post(path, body, "application/json"));
}

Answer PostCommand(int port, const std::string& command, const std::string& mode,
                   const std::string& provider) {
    const nlohmann::json body{{"command", command}, {"mode", mode}};
    return PostBody(port, "/providers/" + provider, body.dump());
}

Answer GetPath(int port, const std::string& path) {
    auto client = MakeClient(port);
    return ToAnswer(client.Get(path));
}

QString ServerProgram() {
    return TestEnvironment::RequiredFolder("VELTRANO_BIN_DIR") + "/veltrano-server";
}

std::pair<int, QString> RunAdministration(const QStringList& arguments) {
    QProcess process;
    process.start(ServerProgram(), arguments);
    if (!process.waitForFinished(20000))
        return {-1, {}};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

bool TestingPostgres() {
    return qgetenv("VELTRANO_TEST_STORE") == "postgresql";
}

QString TestStore(const QString& folder) {
    if (!TestingPostgres())
        return folder + "/grades.db";
    QFile urlFile(QString::fromLocal8Bit(qgetenv("VELTRANO_TEST_PG_STATE")) + "/url");
    if (!urlFile.open(QIODevice::ReadOnly))
        return {};
    const QString cluster = QString::fromUtf8(urlFile.readAll()).trimmed();
    // Every run gets a database of its own, so a rerun on the same cluster starts empty.
    const QString database = QStringLiteral("veltrano_test_%1_%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(QDateTime::currentMSecsSinceEpoch());
    if (QProcess::execute("psql", {"-q", cluster, "-c", "CREATE DATABASE " + database}) != 0)
        return {};
    return cluster.left(cluster.lastIndexOf('/') + 1) + database;
}
