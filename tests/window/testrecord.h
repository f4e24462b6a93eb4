#pragma once

#include "window/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

// A window opened on the record at `path`; any message it shows fails the
// test.
inline std::unique_ptr<MainWindow> openWindow(const QString &path)
{
    auto w = std::make_unique<MainWindow>();
    w->showMessage = [](const QString &text) { QFAIL(qPrintable(text)); };
    w->Form_Load(path);
    return w;
}

// Writes a PSN text record into `dir` and returns its path. Without an
// identity the station and component lines are left out.
inline QString writeRecord(const QTemporaryDir &dir, const QString &name,
                           const std::vector<double> &values, int rate = 100,
                           bool identity = true)
{
    const QString path = QDir(dir.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QByteArray text = "Number of Samples: " + QByteArray::number(qsizetype(values.size())) + "\r\n";
    text += "SPS: " + QByteArray::number(rate) + "\r\n";
    if (identity)
        text += "Station Code: ABC\r\nComponent Name: Z\r\n";
    text += "Data:\r\n";
    for (double v : values)
        text += QByteArray::number(v, 'g', 9) + "\r\n";
    file.write(text);
    return path;
}

// A record of `count` samples, 0 except for spikes at the given samples.
inline std::vector<double> spikes(int count, std::initializer_list<std::pair<int, double>> at)
{
    std::vector<double> values(count, 0.0);
    for (auto [sample, v] : at)
        values[sample - 1] = v;
    return values;
}
