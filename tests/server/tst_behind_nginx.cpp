// The grade service behind the nginx example of packaging/nginx: TLS with a certificate
// made here, the token passed through, and the example's rate limit answering 429.
#include "../support/TestEnvironment.h"
#include "ServiceProcess.h"
#include "protocol/CommandText.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kToken = "nginx-test-token-0123456789";

// Runs curl over TLS against nginx (the certificate is self-signed); returns its output.
QString Curl(const QStringList& arguments) {
    QProcess curl;
    curl.start("curl", QStringList{"-sk", "--max-time", "10"} + arguments);
    curl.waitForFinished(20000);
    return QString::fromUtf8(curl.readAllStandardOutput());
}

// A loopback port that was free a moment ago.
int FreePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

} // namespace

class TestBehindNginx : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Folder;
    QProcess Nginx;
    std::unique_ptr<ServiceProcess> Service;
    QString Url;

    // The example configuration, pointed at this test's service, port and certificate,
    // inside a main configuration that keeps every file in the test's folder.
    bool WriteConfiguration(int servicePort, int nginxPort) {
        QFile example(TestEnvironment::RequiredFolder("VELTRANO_SOURCE_DIR") +
                      "/packaging/nginx/veltrano-server.conf");
        if (!example.open(QIODevice::ReadOnly))
            return false;
        QString site = QString::fromUtf8(example.readAll());
        site = site.left(site.indexOf("# Plain HTTP only"));
        site.replace("127.0.0.1:2112", QString("127.0.0.1:%1").arg(servicePort));
        site.replace("listen 443 ssl;", QString("listen 127.0.0.1:%1 ssl;").arg(nginxPort));
        site.replace("/etc/ssl/certs/veltrano-server.pem", Folder.filePath("cert.pem"));
        site.replace("/etc/ssl/private/veltrano-server.key", Folder.filePath("key.pem"));
        QFile siteFile(Folder.filePath("site.conf"));
        if (!siteFile.open(QIODevice::WriteOnly))
            return false;
        siteFile.write(site.toUtf8());
        const QString dir = Folder.path();
        const QString main =
            QString(geteuid() == 0 ? "user root;\n" : "") + "worker_processes 1;\npid " + dir +
            "/nginx.pid;\nerror_log " + dir + "/error.log;\nevents { worker_connections 64; }\n" +
            "http {\n access_log " + dir + "/access.log;\n client_body_temp_path " + dir +
            "/body;\n proxy_temp_path " + dir + "/proxy;\n fastcgi_temp_path " + dir +
            "/fastcgi;\n uwsgi_temp_path " + dir + "/uwsgi;\n scgi_temp_path " + dir +
            "/scgi;\n include " + dir + "/site.conf;\n}\n";
        QFile mainFile(Folder.filePath("nginx.conf"));
        if (!mainFile.open(QIODevice::WriteOnly))
            return false;
        mainFile.write(main.toUtf8());
        return true;
    }

private slots:
    void initTestCase() {
        const QString nginx = QStandardPaths::findExecutable("nginx", {"/usr/sbin", "/sbin"});
        if (nginx.isEmpty() || QStandardPaths::findExecutable("openssl").isEmpty() ||
            QStandardPaths::findExecutable("curl").isEmpty())
            QSKIP(
                "nginx, openssl or curl is not installed: the reverse-proxy example is not tried");
        QVERIFY(Folder.isValid());
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                  Folder.filePath("key.pem"), "-out", Folder.filePath("cert.pem"),
                                  "-subj", "/CN=localhost", "-days", "1"});
        QVERIFY(openssl.waitForFinished(30000) && openssl.exitCode() == 0);
        QFile token(Folder.filePath("token"));
        QVERIFY(token.open(QIODevice::WriteOnly));
        token.write(kToken.toUtf8());
        token.close();
        Service = std::make_unique<ServiceProcess>(TestStore(Folder.path()),
                                                   QStringList{"--token-file", token.fileName()});
        QVERIFY2(Service->Start(), qPrintable(Service->Log()));
        const int port = FreePort();
        QVERIFY(WriteConfiguration(Service->Port(), port));
        Nginx.setProcessChannelMode(QProcess::MergedChannels);
        Nginx.start(
            nginx, {"-p", Folder.path(), "-c", Folder.filePath("nginx.conf"), "-g", "daemon off;"});
        if (!Nginx.waitForStarted(5000))
            QSKIP("nginx cannot run here");
        Url = QString("https://127.0.0.1:%1").arg(port);
        for (int i = 0; i < 50 && Curl({Url + "/health"}).isEmpty(); ++i)
            QTest::qWait(100);
        if (Nginx.state() != QProcess::Running)
            QSKIP(qPrintable("nginx cannot run here: " + QString::fromUtf8(Nginx.readAll())));
    }

    void cleanupTestCase() {
        if (Nginx.state() == QProcess::Running) {
            ::kill(pid_t(Nginx.processId()), SIGQUIT);
            Nginx.waitForFinished(5000);
        }
        if (Service)
            QVERIFY(Service->Stop());
    }

    void gradesGoThroughWithTheToken() {
        QCOMPARE(Curl({"-o", "/dev/null", "-w", "%{http_code}", Url + "/health"}), "200");
        const std::string id = "n" + std::to_string(QRandomGenerator::global()->bounded(1000000));
        const auto post = [this](const std::string& command, const std::string& mode,
                                 const QString& token) {
            const nlohmann::json body{{"command", command}, {"mode", mode}};
            return Curl({"-w", "\n%{http_code}", "-H", "Content-Type: application/json", "-H",
                         "Authorization: Bearer " + token, "--data-binary",
                         QString::fromStdString(body.dump()), Url + "/providers/dspClient1"});
        };
        QCOMPARE(post(protocol::InsertGradeCommand(id, "n", 600, 95), "Execute", kToken),
                 "{\"rowsAffected\":1}\n200");
        QVERIFY(post(protocol::InsertGradeCommand(id, "n", 600, 95), "Execute", "wrong")
                    .endsWith("401"));
        const QString rows = post(protocol::SelectGradeCommand(id, 90), "Active", kToken);
        QVERIFY2(rows.contains(QString::fromStdString("[[\"" + id + "\",\"n\",600,")),
                 qPrintable(rows));
    }

    // The example allows bursts of 20 requests from one address; a burst of 40 is cut.
    void burstsAreCutByTheRateLimit() {
        QTest::qWait(2500);
        QStringList arguments{"-w", "%{http_code}\n"};
        for (int i = 0; i < 40; ++i)
            arguments << "-o"
                      << "/dev/null" << Url + "/health";
        const QStringList codes = Curl(arguments).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(codes.size(), 40);
        QVERIFY2(codes.count("200") >= 20 && codes.count("429") >= 10, qPrintable(codes.join(' ')));
    }
};

QTEST_GUILESS_MAIN(TestBehindNginx)
#include "tst_behind_nginx.moc"
