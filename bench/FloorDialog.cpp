// The floor of an idle dialog: an empty Qt dialog whose 100 ms timer does nothing.
#include <QApplication>
#include <QDialog>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Veltra floor dialog"));
    dialog.resize(640, 360);
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start();
    dialog.show();
    return app.exec();
}
