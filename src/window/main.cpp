#include "window/mainwindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sismavue"));
    QApplication::setDesktopFileName(QStringLiteral("sismavue"));

    MainWindow window;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    // The record is read and drawn before the window is first shown.
    window.Form_Load(MainWindow::joinCommandLine(arguments));
    window.show();
    return QApplication::exec();
}
