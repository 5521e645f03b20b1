// Times the start of `veltrano` up to its shown main window against a bare Qt window, both
// started as processes from the same folder, alternately, and prints the medians and their
// ratio: once with the web site reachable (a listening port of this process) and once with
// it unreachable. The machine is shared and noisy, so only the ratios mean something.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QByteArray kShownMarker = "main window shown";

// Milliseconds until the program printed the marker, or -1 when it never did.
double TimeToShownWindow(const QString& program, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray output;
    while (!output.contains(kShownMarker) && clock.elapsed() < 60000) {
        if (!process.waitForReadyRead(1000) && process.state() == QProcess::NotRunning)
            break;
        output += process.readAllStandardOutput();
    }
    const double elapsed = output.contains(kShownMarker) ? clock.nsecsElapsed() / 1e6 : -1;
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished();
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 15;
    const QDir folder(QCoreApplication::applicationDirPath());
    const QString program = folder.filePath("veltrano");
    const QString baseline = folder.filePath("veltrano-bare-window");

    // A runtime folder of its own, so that a running copy of the program does not count. It
    // lies in memory where it can, as a login session's (/run/user/<uid>) does: the
    // program's instance lock is synced to its disk, which a loaded disk makes slow.
    const QString memory = QStringLiteral("/dev/shm");
    QTemporaryDir runtime((QDir(memory).exists() ? memory : QDir::tempPath()) +
                          QStringLiteral("/veltrano-bench-XXXXXX"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("VELTRANO_EXIT_AFTER_SHOW", "1");
    if (!environment.contains("DISPLAY") && !environment.contains("WAYLAND_DISPLAY"))
        environment.insert("QT_QPA_PLATFORM", "offscreen");

    // The program's connection check only needs a TCP connection to succeed.
    QTcpServer site;
    site.listen(QHostAddress::LocalHost);
    const QList<std::pair<const char*, QString>> sites{
        {"site reachable", QStringLiteral("127.0.0.1:%1").arg(site.serverPort())},
        {"site unreachable", QStringLiteral("127.0.0.1:9")}};
    std::printf("runs: %d\n", runs);
    for (const auto& [label, host] : sites) {
        environment.insert("VELTRANO_SITE", host);
        std::vector<double> programTimes;
        std::vector<double> baselineTimes;
        for (int run = 0; run < runs; ++run) {
            const double programTime = TimeToShownWindow(program, environment);
            const double baselineTime = TimeToShownWindow(baseline, environment);
            if (programTime < 0 || baselineTime < 0) {
                std::fprintf(stderr, "%s, run %d: a program did not show its window\n", label,
                             run + 1);
                return 1;
            }
            programTimes.push_back(programTime);
            baselineTimes.push_back(baselineTime);
        }
        const double programMedian = Median(programTimes);
        const double baselineMedian = Median(baselineTimes);
        std::printf("%s: veltrano median %.1f ms, bare Qt window median %.1f ms, ratio %.2f\n",
                    label, programMedian, baselineMedian, programMedian / baselineMedian);
    }
    return 0;
}
