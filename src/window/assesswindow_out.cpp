// What goes out of the assessment window: the rows the report prints, on
// the clipboard, and the report's picture of the figures shown.
#include "window/assesswindow.h"

#include "report/assesstable.h"
#include "window/assesspicture.h"
#include "window/picturefile.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

void AssessWindow::createShortcuts()
{
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copyRows(Standard::Din4150_3); }},
        {QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_C), [this] { copyRows(Standard::Din4150_2); }},
        {QKeySequence(Qt::CTRL | Qt::Key_S), [this] { savePicture(Standard::Din4150_3); }},
        {QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_S), [this] { savePicture(Standard::Din4150_2); }},
    };
    for (const auto &[sequence, action] : keys)
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
    connect(copyButton, &QPushButton::clicked, this, [this] { copyRows(Standard::Din4150_3); });
    connect(copyPeopleButton, &QPushButton::clicked, this, [this] { copyRows(Standard::Din4150_2); });
    connect(savePictureButton, &QPushButton::clicked, this, [this] { savePicture(Standard::Din4150_3); });
    choosePictureFile = [this](const QString &suggested) { return choosePictureName(this, suggested); };
}

QString AssessWindow::copyText(Standard standard) const
{
    if (!shown || shown->error || isBusy() || (standard == Standard::Din4150_2 && shown->peopleError))
        return {};
    const std::vector<AssessRow> &rows = standard == Standard::Din4150_2 ? shown->peopleRows : shown->structureRows;
    return QString::fromStdString(assessTable(standard, TableFormat::tsv, rows, true));
}

void AssessWindow::copyRows(Standard standard)
{
    const QString text = copyText(standard);
    if (text.isEmpty())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void AssessWindow::savePicture(Standard standard)
{
    if (copyText(standard).isEmpty())
        return;
    const AssessEvent &event = standard == Standard::Din4150_2 ? shown->people : shown->structure;
    const QString suffix = standard == Standard::Din4150_2 ? QStringLiteral(".din4150-2.png")
                                                           : QStringLiteral(".din4150-3.png");
    const std::optional<QString> name = choosePictureFile(recordFile + suffix);
    if (!name)
        return;
    const std::string sep = separator().toStdString();
    QFile file(*name);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && name->endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        const QByteArray pdf = assessPicturePdf(event, assessPdfPage, windowTitle(), sep);
        written = file.write(pdf) == pdf.size();
    } else if (written) {
        const qreal ratio = std::max<qreal>(2, devicePixelRatioF());
        written = assessPictureImage(event, assessPictureSize, ratio, sep).save(&file, "PNG");
    }
    if (!written || !file.flush())
        statusLabel->setText(QStringLiteral("The picture could not be written: ") + file.errorString());
}
