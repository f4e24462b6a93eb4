// The sensitivity of a record of counts, and what the title says about a
// record whose figures may mislead or about a segment kept.
#include "window/mainwindow.h"

#include "analysis/notices.h"
#include "session/numbertext.h"
#include "settings/sensitivitytable.h"

#include <QLabel>
#include <QMenu>

namespace {

const QString title = QStringLiteral("Sismavue");

} // namespace

// Shown where it is seen without moving any control: the title.
void MainWindow::shownotices(const AnalysedRecord &record)
{
    QStringList &notices = recordNotices;
    notices.clear();
    for (const std::string &read : record.warnings)
        notices << QString::fromStdString(read);
    if (const auto counts = countsWarning(record))
        notices << QString::fromStdString(*counts) +
                       (record.sensitivity ? QStringLiteral("; right-click the station to change it")
                                           : QStringLiteral("; right-click the station to give a sensitivity"));
    if (const auto lowRate = lowRateNotice(record.sampleRate))
        notices << QString::fromStdString(*lowRate);
    keptNotice.clear();
    showtitle();
}

void MainWindow::showtitle()
{
    const QStringList notices = keptNotice.isEmpty() ? recordNotices : recordNotices + QStringList(keptNotice);
    setWindowTitle(notices.isEmpty() ? title : title + QStringLiteral(" \u2014 ") + notices.join(QStringLiteral("; ")));
}

// Until the next selection or click: the figures of a new record are those
// of a segment the person chose on the one before.
void MainWindow::showkeptsegment(bool kept)
{
    keptNotice = kept ? QStringLiteral("the segment %1 to %2 is kept from the previous record")
                            .arg(state.startSample)
                            .arg(state.endSample)
                      : QString();
    showtitle();
}

std::unique_ptr<QMenu> MainWindow::sensitivitymenu()
{
    auto menu = std::make_unique<QMenu>(this);
    QAction *action = menu->addAction(QStringLiteral("Sensitivity\u2026"), this, &MainWindow::setsensitivity);
    action->setEnabled(!busy && !loadedFile.isEmpty() && usableInTable(Label9->text().toStdString()) &&
                       usableInTable(Label10->text().toStdString()));
    return menu;
}

void MainWindow::setsensitivity()
{
    const std::string station = Label9->text().toStdString(), component = Label10->text().toStdString();
    const std::string path = userSensitivityTablePath();
    if (busy || loadedFile.isEmpty() || !usableInTable(station) || !usableInTable(component))
        return;
    if (path.empty()) {
        showMessage(QStringLiteral("The sensitivity table has no place: neither XDG_CONFIG_HOME nor HOME is set."));
        return;
    }
    auto text = readTableText(path, true);
    if (const auto *error = std::get_if<LoadError>(&text)) {
        showMessage(QString::fromLocal8Bit(error->message()));
        return;
    }
    const QString question =
        QStringLiteral("Counts per m/s for station %1, component %2 (kept in %3; empty removes the line):")
            .arg(Label9->text().trimmed(), Label10->text().trimmed(), QString::fromLocal8Bit(path));
    // Offered and read with the locale's decimal separator, as the boxes show
    // numbers; "." is read too.
    const QString separator = QString::fromStdString(decimalSeparator());
    const QString offered =
        loadedSensitivity ? QString::fromStdString(shortestText(*loadedSensitivity)).replace(QLatin1Char('.'), separator)
                          : QString();
    const std::optional<QString> answer = askSensitivity(question, offered);
    if (!answer)
        return;
    std::optional<double> s;
    if (!answer->trimmed().isEmpty() && !(s = parseSensitivity(answer->toStdString(), separator.toStdString()))) {
        showMessage(QStringLiteral("\"%1\" is not a number of counts per m/s above 0.").arg(*answer));
        return;
    }
    const std::string table = withSensitivity(std::get<std::string>(text), station, component, s);
    if (const auto reason = writeTableFile(path, table)) {
        showMessage(QString::fromLocal8Bit(path + ": " + *reason));
        return;
    }
    loadfile(loadedFile, loadedChoice.channel, loadedChoice.piece);
}
