#include "window/mainwindow.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

namespace {

const char usage[] =
    "usage: sismavue [FILE]\n"
    "       sismavue --assess FILE\n"
    "\n"
    "Opens FILE, a vibration record, in the Sismavue window. The whole command\n"
    "line (after a first argument --assess) is one file name: blanks stay part\n"
    "of it, and one leading and one trailing double quote are removed.\n"
    "\n"
    "  --assess    open FILE and its assessment window beside it\n"
    "  --help      print this text\n"
    "  --version   print the program's name and version\n"
    "\n"
    "Only a command line that is exactly --help or --version asks for them; a\n"
    "file of either name opens as ./--help or ./--version.\n";

} // namespace

int main(int argc, char **argv)
{
    // The command line is one file name: take it before the toolkit could
    // read words such as "-style" or "-platform" from it, and give the
    // toolkit none of it.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    if (arguments == QStringList{QStringLiteral("--version")}) {
        std::fputs("sismavue " SISMAVUE_VERSION "\n", stdout);
        return 0;
    }
    if (arguments == QStringList{QStringLiteral("--help")}) {
        std::fputs(usage, stdout);
        return 0;
    }
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Sismavue"));
    QApplication::setApplicationVersion(QStringLiteral(SISMAVUE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.sismavue.Sismavue"));

    // "--assess FILE" opens the assessment window too; the rest of the line
    // is the file's name as without it.
    const bool assess = arguments.size() > 1 && arguments.front() == QStringLiteral("--assess");
    if (assess)
        arguments.removeFirst();
    MainWindow window;
    // The record is read and drawn before the window is first shown.
    window.Form_Load(MainWindow::joinCommandLine(arguments));
    window.show();
    if (assess)
        window.openassess();
    return QApplication::exec();
}
