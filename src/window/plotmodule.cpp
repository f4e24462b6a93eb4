// The module sismavue-report loads for --plot: the window, never shown,
// drawing a record into an image or a PDF.
#include "report/plotmodule.h"
#include "window/assesspicture.h"
#include "window/mainwindow.h"
#include "window/reportdocument.h"

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QLocale>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int argc = 1;
char programName[] = "sismavue-report";
char *argv[] = {programName, nullptr};
std::unique_ptr<QApplication> application;

// No display is needed, nor used when there is one; nor a desktop theme or
// style, so that a picture does not depend on where it was made. Numbers
// are written with "." as in the report's tables.
// Standard error carries the report's own messages: the toolkit's notes
// (no runtime folder, no keyboard grab offscreen) stay off it.
void keepQuiet(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "sismavue-report: %s\n", qPrintable(text));
}

bool start(std::string &)
{
    qInstallMessageHandler(keepQuiet);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    qunsetenv("QT_STYLE_OVERRIDE");
    application = std::make_unique<QApplication>(argc, argv);
    QLocale::setDefault(QLocale::c());
    return true;
}

void show(MainWindow &window, PlotRecord &&plot)
{
    window.showMessage = [](const QString &) {};
    window.plotrecord(QString::fromLocal8Bit(plot.path), std::move(plot.record), plot.segment,
                      plot.spectrum);
}

PlotPicture draw(PlotRecord &&plot, int scale, std::vector<uint32_t> &&pixels)
{
    MainWindow window;
    // Drawn once, at the picture's resolution.
    for (PictureView *view : {window.Picture1, window.Picture2, window.Picture3})
        view->setPixelRatio(scale);
    show(window, std::move(plot));
    PlotPicture picture{window.width() * scale, window.height() * scale, std::move(pixels)};
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    // Drawn straight into the picture's pixels.
    QImage image(reinterpret_cast<uchar *>(picture.pixels.data()), picture.width, picture.height,
                 picture.width * 4, QImage::Format_RGB32);
    window.drawpicture(image, scale);
    return picture;
}

std::string drawPdf(PlotRecord &&plot)
{
    MainWindow window;
    show(window, std::move(plot));
    const QByteArray pdf = window.drawpdf();
    return pdf.toStdString();
}

PlotPicture drawAssess(AssessEvent &&event, int scale, std::vector<uint32_t> &&pixels)
{
    const QImage image = assessPictureImage(event, assessPictureSize, scale, ".");
    PlotPicture picture{image.width(), image.height(), std::move(pixels)};
    const auto width = static_cast<size_t>(picture.width);
    picture.pixels.resize(width * static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(picture.pixels.data() + width * static_cast<size_t>(y), image.constScanLine(y), width * 4);
    return picture;
}

std::string drawAssessPdf(AssessEvent &&event, const std::string &title)
{
    return assessPicturePdf(event, assessPdfPage, QString::fromLocal8Bit(title), ".").toStdString();
}

std::string writeDocument(const DocumentPlan &plan, const NextDocumentEvent &next, const std::string &path)
{
    return writeReportDocument(plan, next, QString::fromLocal8Bit(path)).toStdString();
}

std::string encodePng(const PlotPicture &picture)
{
    const QImage image(reinterpret_cast<const uchar *>(picture.pixels.data()), picture.width,
                       picture.height, picture.width * 4, QImage::Format_RGB32);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return {};
    return buffer.data().toStdString();
}

void stop()
{
    application.reset();
}

const PlotModule module = {start, draw, drawPdf, drawAssess, drawAssessPdf, writeDocument, encodePng, stop};

} // namespace

extern "C" __attribute__((visibility("default"))) const PlotModule *sismavuePlotModule()
{
    return &module;
}
