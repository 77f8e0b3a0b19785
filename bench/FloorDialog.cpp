// The floor of an idle dialog: an empty Qt dialog whose 100 ms timer does nothing. With
// --text-field it holds one focused text field, whose cursor blinks as the dialog's does.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Veltra floor dialog"));
    dialog.resize(640, 360);
    if (app.arguments().contains(QStringLiteral("--text-field"))) {
        auto* field = new QLineEdit(QStringLiteral("60"), &dialog);
        field->setGeometry(20, 20, 80, 24);
        field->setFocus();
    }
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start();
    dialog.show();
    return app.exec();
}
