#include "window/mainwindow.h"

#include "views/clipboardtext.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>

void MainWindow::Command2_Click()
{
    putOnClipboard(copyText(MaxPeak->text().toStdString(), RMS->text().toStdString(),
                            Law->text().toStdString()));
}

void MainWindow::Command4_Click()
{
    SummaryFields fields;
    fields.label = Label9->text().toStdString();
    fields.id = Label10->text().toStdString();
    fields.start = Ss->text().toStdString();
    fields.end = Es->text().toStdString();
    fields.maxPeak = MaxPeak->text().toStdString();
    fields.rms = RMS->text().toStdString();
    fields.law = Law->text().toStdString();
    fields.freqMax = Fmax->text().toStdString();
    putOnClipboard(copyAllText(fields));
}

void MainWindow::Command5_Click()
{
    putOnClipboard(copySpectrumText(state.spectrum, state.sampleRate, decimalSeparator()));
}

void MainWindow::putOnClipboard(const std::string &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(text));
}
