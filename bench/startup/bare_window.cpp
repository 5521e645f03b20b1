// The baseline of the start-up timer: a plain Qt window of the main window's size, which
// reports once it is shown exactly as the program does under VELTRANO_EXIT_AFTER_SHOW=1.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(1020, 754);
    window.show();
    QTimer::singleShot(0, &app, [] {
        std::printf("main window shown\n");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return app.exec();
}
