// The grade service facing clients that do not play fair: slow and idle connections,
// oversized and compressed requests, pipelined and half-closed ones, callers without the
// token, and bursts from one address. A real veltrano-server over loopback.
#include "ServiceProcess.h"
#include "protocol/CommandText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// A plain TCP connection to the service from a chosen loopback address, for requests no
// HTTP library would send.
class RawClient {
public:
    RawClient(int port, const char* from = "127.0.0.1") {
        Socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(uint16_t(port));
        remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(Socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            ::connect(Socket, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
            ::close(Socket);
            Socket = -1;
        }
    }
    ~RawClient() {
        if (Socket >= 0)
            ::close(Socket);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return Socket >= 0; }
    bool Send(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n =
                ::send(Socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += size_t(n);
        }
        return true;
    }
    void CloseSending() { ::shutdown(Socket, SHUT_WR); }

    // Everything that arrives until the service closes or `ms` pass without a byte.
    std::string Receive(int ms = 5000) {
        std::string got;
        pollfd ready{Socket, POLLIN, 0};
        char buffer[4096];
        while (::poll(&ready, 1, ms) == 1) {
            const ssize_t n = ::recv(Socket, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            got.append(buffer, size_t(n));
        }
        return got;
    }
    // True when the service closes the connection within `ms`.
    bool ClosedWithin(int ms) {
        QElapsedTimer timer;
        timer.start();
        char buffer[4096];
        pollfd ready{Socket, POLLIN, 0};
        while (timer.elapsed() < ms && ::poll(&ready, 1, int(ms - timer.elapsed())) == 1)
            if (::recv(Socket, buffer, sizeof buffer, 0) <= 0)
                return true;
        return false;
    }

private:
    int Socket = -1;
};

std::string Post(const std::string& path, const std::string& body,
                 const std::string& extraHeaders = "") {
    return "POST " + path + " HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n" +
           extraHeaders + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string CommandBody(const std::string& command, const std::string& mode) {
    return nlohmann::json{{"command", command}, {"mode", mode}}.dump();
}

// The status codes of the answers in `text`, in the order they came.
std::vector<int> Statuses(const std::string& text) {
    std::vector<int> statuses;
    const QRegularExpression status("HTTP/1\\.1 (\\d{3}) ");
    auto matches = status.globalMatch(QString::fromStdString(text));
    while (matches.hasNext())
        statuses.push_back(matches.next().captured(1).toInt());
    return statuses;
}

std::string UniqueId() {
    return "h" + std::to_string(QRandomGenerator::global()->bounded(1'000'000'000));
}

int StoredGrades(int port, const std::string& id) {
    const auto answer = PostCommand(port, protocol::SelectGradeCommand(id, 0), "Active");
    return answer.Status == 200 ? int(answer.Body["rows"].size()) : -1;
}

// 127.0.0.(2 + n / 20): many attacking addresses, each below the limit per address.
std::string AttackerAddress(int n) {
    return "127.0.0." + std::to_string(2 + n / 20);
}

} // namespace

class TestHostileClients : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Folder;
    QString Store;

    std::unique_ptr<ServiceProcess> StartService(const QStringList& extra = {}) {
        auto service = std::make_unique<ServiceProcess>(Store, extra);
        if (!service->Start())
            qWarning("%s", qPrintable(service->Log()));
        return service;
    }

private slots:
    void initTestCase() {
        QVERIFY(Folder.isValid());
        Store = TestStore(Folder.path());
        QVERIFY2(!Store.isEmpty(), "no test store");
    }

    // More slow and idle connections than there are workers: a normal client is still
    // answered at once, the slow ones are cut at the request time, with a log line that
    // names them; and SIGTERM ends the service within seconds while they are connected.
    void slowAndIdleClientsDoNotStarveOthersNorTheStop() {
        auto service = StartService({"--request-timeout", "2"});
        QVERIFY(service->Port() > 0);
        const int port = service->Port();
        std::vector<std::unique_ptr<RawClient>> attackers;
        for (int n = 0; n < 80; ++n) {
            attackers.push_back(std::make_unique<RawClient>(port, AttackerAddress(n).c_str()));
            QVERIFY(attackers.back()->Connected());
            if (n % 2 == 0)
                QVERIFY(
                    attackers.back()->Send("POST /providers/dspClient1 HTTP/1.1\r\nHost: x\r\n"));
        }
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(GetPath(port, "/health").Status, 200);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));

        // A byte every 300 ms keeps no connection beyond the time for a whole request.
        RawClient slow(port, "127.0.0.50");
        QVERIFY(slow.Send("GET /health HTTP/1.1\r\n"));
        timer.restart();
        bool closed = false;
        while (!closed && timer.elapsed() < 5000) {
            slow.Send("X");
            closed = slow.ClosedWithin(300);
        }
        QVERIFY2(closed && timer.elapsed() >= 1500, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(service->Log().contains(QRegularExpression(
                     "127\\.0\\.0\\.50 - - 408 0B \\d+\\.\\dms request not read within 2 s")),
                 qPrintable(service->Log()));

        timer.restart();
        QVERIFY2(service->Stop(), qPrintable(service->Log()));
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
    }

    // Connections are bounded per address and in all; those over the bound are told so
    // and closed, and another address is still served.
    void connectionsAreBoundedPerAddressAndInAll() {
        auto service = StartService({"--max-per-address", "4", "--max-connections", "8"});
        const int port = service->Port();
        std::vector<std::unique_ptr<RawClient>> held;
        for (int n = 0; n < 4; ++n)
            held.push_back(std::make_unique<RawClient>(port, "127.0.0.9"));
        // The service counts a connection once it has accepted it.
        QTest::qWait(200);
        RawClient fifth(port, "127.0.0.9");
        QVERIFY(Statuses(fifth.Receive(2000)) == std::vector<int>{503});
        for (int n = 0; n < 4; ++n)
            held.push_back(std::make_unique<RawClient>(port, "127.0.0.10"));
        QTest::qWait(200);
        RawClient ninth(port, "127.0.0.11");
        QVERIFY(Statuses(ninth.Receive(2000)) == std::vector<int>{503});
        held.clear();
        QTest::qWait(200);
        QCOMPARE(GetPath(port, "/health").Status, 200);
    }

    // Bodies are bounded after chunked decoding, compressed bodies are refused, and so are
    // oversized headers and too many of them; nothing of a refused insert is stored.
    void oversizedAndCompressedRequestsAreRefused() {
        auto service = StartService();
        const int port = service->Port();
        const std::string id = UniqueId();
        const std::string insert =
            CommandBody(protocol::InsertGradeCommand(id, "c", 600, 95), "Execute");

        RawClient chunked(port);
        std::string request = "POST /providers/dspClient1 HTTP/1.1\r\nHost: x\r\n"
                              "Transfer-Encoding: chunked\r\n\r\n";
        const std::string chunk(1000, ' ');
        for (int i = 0; i < 100; ++i)
            request += "3e8\r\n" + chunk + "\r\n";
        QVERIFY(chunked.Send(request));
        QVERIFY(Statuses(chunked.Receive()) == std::vector<int>{413});

        RawClient compressed(port);
        QVERIFY(
            compressed.Send(Post("/providers/dspClient1", insert, "Content-Encoding: gzip\r\n")));
        QVERIFY(Statuses(compressed.Receive()) == std::vector<int>{415});

        RawClient longHeader(port);
        QVERIFY(longHeader.Send(
            Post("/providers/dspClient1", insert, "X-Pad: " + std::string(100000, 'p') + "\r\n")));
        QVERIFY(Statuses(longHeader.Receive()) == std::vector<int>{431});

        std::string manyFields;
        for (int i = 0; i < 200; ++i)
            manyFields += "X-F" + std::to_string(i) + ": 1\r\n";
        RawClient manyHeaders(port);
        QVERIFY(manyHeaders.Send(Post("/providers/dspClient1", insert, manyFields)));
        QVERIFY(Statuses(manyHeaders.Receive()) == std::vector<int>{431});

        QCOMPARE(StoredGrades(port, id), 0);
        // A small chunked insert is read whole and stored.
        RawClient small(port);
        QVERIFY(small.Send("POST /providers/dspClient1 HTTP/1.1\r\nHost: x\r\n"
                           "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n" +
                           QByteArray::number(qulonglong(insert.size()), 16).toStdString() +
                           "\r\n" + insert + "\r\n0\r\n\r\n"));
        QVERIFY(Statuses(small.Receive()) == std::vector<int>{200});
        QCOMPARE(StoredGrades(port, id), 1);
    }

    // Requests sent back to back on one connection are answered in order; a client that
    // closes its sending side after the request still gets the answer.
    void pipelinedAndHalfClosedRequestsAreAnswered() {
        auto service = StartService();
        const int port = service->Port();
        const std::string id = UniqueId();
        RawClient pipelined(port);
        QVERIFY(pipelined.Send(
            Post("/providers/dspClient1",
                 CommandBody(protocol::InsertGradeCommand(id, "p", 60, 91), "Execute")) +
            Post("/providers/dspClient9",
                 CommandBody(protocol::SelectExeVersionCommand(), "Active")) +
            "GET /health HTTP/1.1\r\nHost: x\r\n\r\n" +
            Post("/providers/dspClient1",
                 CommandBody(protocol::SelectGradeCommand(id, 0), "Active"),
                 "Connection: close\r\n")));
        const std::string answers = pipelined.Receive();
        QVERIFY2((Statuses(answers) == std::vector<int>{200, 404, 200, 200}), answers.c_str());
        QVERIFY(answers.find("\"rows\":[[\"" + id) != std::string::npos);

        const std::string halfId = UniqueId();
        RawClient halfClosed(port);
        QVERIFY(halfClosed.Send(
            Post("/providers/dspClient1",
                 CommandBody(protocol::InsertGradeCommand(halfId, "h", 60, 92), "Execute"))));
        halfClosed.CloseSending();
        const std::string answer = halfClosed.Receive();
        QVERIFY2(Statuses(answer) == std::vector<int>{200}, answer.c_str());
        QVERIFY(answer.find("\"rowsAffected\":1") != std::string::npos);
        QCOMPARE(StoredGrades(port, halfId), 1);
    }

    // A network address is served only with a token; with one, the procedures want it and
    // the health check does not.
    void tokenGuardsTheProcedures() {
        QProcess refused;
        refused.start(ServerProgram(), {"--listen", "0.0.0.0:0", "--db", Store});
        QVERIFY(refused.waitForFinished(10000));
        QCOMPARE(refused.exitCode(), 2);
        QVERIFY(refused.readAllStandardError().contains("needs --token-file"));

        const QString tokenFile = Folder.filePath("token");
        QFile file(tokenFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("short\n");
        file.close();
        QProcess weak;
        weak.start(ServerProgram(),
                   {"--listen", "0.0.0.0:0", "--db", Store, "--token-file", tokenFile});
        QVERIFY(weak.waitForFinished(10000));
        QCOMPARE(weak.exitCode(), 2);

        const std::string token = "k7Qm2xV9pL4sT8wZ";
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString("  " + token + "\n"));
        file.close();
        auto service = StartService({"--token-file", tokenFile});
        const int port = service->Port();
        const std::string id = UniqueId();
        const std::string insert =
            CommandBody(protocol::InsertGradeCommand(id, "t", 60, 93), "Execute");
        for (const std::string& header : std::vector<std::string>{
                 std::string(), "Authorization: Bearer wrong-token-0000\r\n",
                 "Authorization: Bearer " + token + "x\r\n", "Authorization: " + token + "\r\n"}) {
            RawClient client(port);
            QVERIFY(client.Send(Post("/providers/dspClient1", insert, header)));
            QVERIFY2(Statuses(client.Receive()) == std::vector<int>{401}, header.c_str());
        }
        RawClient allowed(port);
        QVERIFY(allowed.Send(Post("/providers/dspClient1", insert,
                                  "Authorization: Bearer " + token + "\r\nConnection: close\r\n")));
        QVERIFY(Statuses(allowed.Receive()) == std::vector<int>{200});
        QCOMPARE(GetPath(port, "/health").Status, 200);
    }

    // Each address gets its rate; another address is not held back by it. The refusal is
    // logged with the client's address and the time of that request, not an earlier one.
    void rateIsLimitedPerAddressAndRefusalsLogged() {
        auto service = StartService({"--rate-limit", "5"});
        const int port = service->Port();
        std::vector<int> statuses;
        for (int i = 0; i < 30; ++i) {
            RawClient client(port, "127.0.0.20");
            QVERIFY(client.Send("GET /health HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
            const auto got = Statuses(client.Receive());
            statuses.push_back(got.empty() ? 0 : got.front());
        }
        QVERIFY(std::count(statuses.begin(), statuses.end(), 200) >= 10);
        QVERIFY(std::count(statuses.begin(), statuses.end(), 429) >= 15);
        QCOMPARE(std::count(statuses.begin(), statuses.end(), 0), 0);
        RawClient other(port, "127.0.0.21");
        QVERIFY(other.Send("GET /health HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
        QVERIFY(Statuses(other.Receive()) == std::vector<int>{200});

        // A refusal before routing, on a connection that waited a second first.
        RawClient late(port, "127.0.0.22");
        QTest::qWait(1000);
        QVERIFY(late.Send("GET /x HTTP/1.1\r\nHost: x\r\nX-Pad: " + std::string(20000, 'p') +
                          "\r\n\r\n"));
        QVERIFY(Statuses(late.Receive()) == std::vector<int>{431});
        const auto line = QRegularExpression("127\\.0\\.0\\.22 - - 431 \\d+B (\\d+)\\.\\dms")
                              .match(service->Log());
        QVERIFY2(line.hasMatch(), qPrintable(service->Log()));
        QVERIFY(line.captured(1).toInt() < 500);
    }
};

QTEST_GUILESS_MAIN(TestHostileClients)
#include "tst_hostile_clients.moc"
