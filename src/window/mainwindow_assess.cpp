// The assessment window's ways into the main window.
#include "window/mainwindow.h"

#include "window/assesswindow.h"

#include <QAction>

// Also offered by the views' context menu.
void MainWindow::createAssessAction()
{
    assessAction = new QAction(QStringLiteral("Assess\u2026"), this);
    assessAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    addAction(assessAction);
    connect(assessAction, &QAction::triggered, this, &MainWindow::openassess);
}

void MainWindow::openassess()
{
    if (!assess)
        assess = new AssessWindow(*this);
    assess->show();
    assess->raise();
    assess->activateWindow();
}
