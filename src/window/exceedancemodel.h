#pragma once

#include <QAbstractTableModel>

class MainWindow;
struct Exceedance;

// The exceedance list of the record the main window shows: when each began
// (UTC, or seconds from the start without a time), how long it lasted and
// its largest level, with the locale's decimal separator.
class ExceedanceModel : public QAbstractTableModel {
public:
    ExceedanceModel(const MainWindow &main, QObject *parent);

    // The main window shows another record.
    void reload();
    const Exceedance *at(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const MainWindow &main;
};
