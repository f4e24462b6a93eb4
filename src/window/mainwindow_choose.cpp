// Choosing a record: start-up, the file dialog and drops.
#include "window/mainwindow.h"

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

QString MainWindow::joinCommandLine(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

QString MainWindow::stripQuotes(QString name)
{
    if (name.startsWith(QLatin1Char('"')))
        name.remove(0, 1);
    if (name.endsWith(QLatin1Char('"')))
        name.chop(1);
    return name;
}

void MainWindow::Form_Load(const QString &commandLine)
{
    state.startSample = 0;
    state.endSample = 0;
    state.isDragging = false;
    if (commandLine.isEmpty())
        return;
    const QString name = stripQuotes(commandLine);
    Label2->setText(name);
    if (loadfile(name))
        Picture1->setEnabled(true);
}

void MainWindow::Command3_Click()
{
    if (busy)
        return;
    Picture1->setEnabled(false);
    const QString initial = Label2->text().isEmpty() ? QStringLiteral("*.psn") : Label2->text();
    if (const std::optional<QString> chosen = chooseFile(initial)) {
        Label2->setText(*chosen);
        loadfile(*chosen);
    }
    Picture1->setEnabled(true);
}

// Copy when the source allows it; anything but local files is refused.
bool MainWindow::Label2_OLEDragOver(const QMimeData *data, Qt::DropActions possible) const
{
    if (busy || !data || !data->hasUrls() || !(possible & Qt::CopyAction))
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

// Files dragged over any part of the window follow the path box's rules;
// other data is left to the control under the pointer (text to a text box).
bool MainWindow::takeFileDrag(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!drag->mimeData() || !drag->mimeData()->hasUrls())
            return false;
        if (Label2_OLEDragOver(drag->mimeData(), drag->possibleActions())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!drop->mimeData() || !drop->mimeData()->hasUrls())
            return false;
        if (!Label2_OLEDragOver(drop->mimeData(), drop->possibleActions())) {
            drop->ignore();
            return true;
        }
        QStringList files;
        for (const QUrl &url : drop->mimeData()->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Loaded once the drop has returned, so the source is not kept waiting.
        QMetaObject::invokeMethod(this, [this, files] { Label2_OLEDragDrop(files); },
                                  Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}

void MainWindow::Label2_OLEDragDrop(const QStringList &files)
{
    if (busy || files.isEmpty())
        return;
    for (const QString &file : files)
        DropFile(Label2, file);
    if (loadfile(Label2->text()))
        Picture1->setEnabled(true);
}

void MainWindow::DropFile(QLabel *target, const QString &fileName)
{
    target->setText(fileName);
}
