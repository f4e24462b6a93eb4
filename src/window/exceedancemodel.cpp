#include "window/exceedancemodel.h"

#include "session/numbertext.h"
#include "session/timetext.h"
#include "views/recorddetail.h"
#include "window/mainwindow.h"

#include <QLocale>

ExceedanceModel::ExceedanceModel(const MainWindow &mainWindow, QObject *parent)
    : QAbstractTableModel(parent), main(mainWindow)
{
}

void ExceedanceModel::reload()
{
    beginResetModel();
    endResetModel();
}

const Exceedance *ExceedanceModel::at(int row) const
{
    const RecordDetail *detail = main.recorddetail();
    if (!detail || row < 0 || row >= static_cast<int>(detail->exceedances.size()))
        return nullptr;
    return &detail->exceedances[static_cast<size_t>(row)];
}

int ExceedanceModel::rowCount(const QModelIndex &parent) const
{
    const RecordDetail *detail = main.recorddetail();
    return parent.isValid() || !detail ? 0 : static_cast<int>(detail->exceedances.size());
}

int ExceedanceModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant ExceedanceModel::data(const QModelIndex &index, int role) const
{
    const Exceedance *e = at(index.row());
    if (!e)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const std::string separator = QLocale().decimalPoint().toStdString();
    const int32_t rate = main.session().sampleRate;
    switch (index.column()) {
    case 0:
        if (const std::optional<int64_t> time = sampleTime(main.recorddetail()->startTime, e->first, rate)) {
            // "2026-03-14 10:21:07.87": the date, the time to a hundredth.
            std::string text = isoTime(*time).substr(0, 22);
            text[10] = ' ';
            return QString::fromStdString(text.substr(0, 19) + separator + text.substr(20));
        }
        return QString::fromStdString(format2(sampleOffset(e->first, rate), separator));
    case 1:
        return QString::fromStdString(format2(exceedanceDuration(*e, rate), separator));
    default:
        return QString::fromStdString(format2(e->lawMax, separator));
    }
}

QVariant ExceedanceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    const RecordDetail *detail = main.recorddetail();
    const bool timed = detail && detail->startTime;
    switch (section) {
    case 0:
        return timed ? QStringLiteral("Start (UTC)") : QStringLiteral("Start (s)");
    case 1:
        return QStringLiteral("Duration (s)");
    default:
        return QStringLiteral("Largest (dB)");
    }
}
