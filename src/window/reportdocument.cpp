#include "window/reportdocument.h"

#include "window/assesspicture.h"
#include "window/plotpainting.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

using Range = std::pair<std::size_t, std::size_t>;   // rows or items first..second - 1

constexpr qreal footerPoints = 6.5, smallestFooter = 4;
constexpr qreal failurePoints = 8.5;

// Where everything goes, worked out before the first page is drawn, so that
// every page can say how many there are.
struct PagePlan {
    qreal headBottom = 0;
    std::vector<Range> tablePages;   // the first on the head's page, possibly empty
    std::vector<Range> failurePages;
    int total = 0;
};

// The rows of each page, each page's header line above them: `firstRoom`
// points on the first page (which may hold none), `room` on the others.
std::vector<Range> splitRows(std::size_t count, qreal firstRoom, qreal room, qreal rowHeight)
{
    const auto fit = [&](qreal space) {
        return static_cast<std::size_t>(std::max(0.0, std::floor(space / rowHeight - 1)));
    };
    std::vector<Range> pages;
    std::size_t first = 0;
    for (std::size_t n = fit(firstRoom); first < count || pages.empty(); n = fit(room)) {
        const std::size_t last = std::min(count, first + std::max<std::size_t>(n, pages.empty() ? 0 : 1));
        pages.push_back({first, last});
        first = last;
    }
    return pages;
}

qreal failureHeight(const DocumentFailure &failure, const QFontMetricsF &metrics)
{
    const QRectF text = metrics.boundingRect(QRectF(0, 0, ReportPage::body.width() - 12, 1e6), Qt::TextWordWrap,
                                             qText(failure.reason));
    return metrics.height() + text.height() + 0.5 * metrics.height();
}

std::vector<Range> splitFailures(const std::vector<DocumentFailure> &failures, QPaintDevice *device)
{
    const QFontMetricsF metrics(documentFont(failurePoints), device);
    const qreal heading = 2.5 * metrics.height();
    std::vector<Range> pages;
    qreal y = ReportPage::body.top() + heading;
    std::size_t first = 0;
    for (std::size_t i = 0; i < failures.size(); ++i) {
        const qreal h = failureHeight(failures[i], metrics);
        if (y + h > ReportPage::bodyBottom && i > first) {
            pages.push_back({first, i});
            first = i;
            y = ReportPage::body.top() + heading;
        }
        y += h;
    }
    if (!failures.empty())
        pages.push_back({first, failures.size()});
    return pages;
}

PagePlan planPages(const DocumentPlan &plan, const TableLayout &table, QPaintDevice *device)
{
    PagePlan pages;
    pages.headBottom = paintSummaryHead(nullptr, device, plan.summary);
    const qreal gap = table.rowHeight;
    pages.tablePages = splitRows(plan.summary.table.rows.size(), ReportPage::bodyBottom - pages.headBottom - gap,
                                 ReportPage::body.height(), table.rowHeight);
    pages.failurePages = splitFailures(plan.failures, device);
    pages.total = static_cast<int>(pages.tablePages.size() + plan.events + pages.failurePages.size());
    return pages;
}

// Starts each page after the first and draws its footer.
class Pager {
public:
    Pager(QPdfWriter &writer, QPainter &painter, const PagePlan &plan, const QString &footer)
        : writer_(writer), painter_(painter), total_(plan.total), footer_(footer)
    {
    }

    void next()
    {
        if (number_ > 0)
            writer_.newPage();
        ++number_;
        painter_.save();
        painter_.setFont(documentFont(footerPoints));
        painter_.setPen(PictureColours::faint);
        const qreal line = painter_.fontMetrics().height();
        const QRectF first(ReportPage::margin, ReportPage::bodyBottom + 14, ReportPage::body.width(), line);
        const QRectF second = first.translated(0, line);
        const QString page = QStringLiteral("page %1 of %2").arg(number_).arg(total_);
        const qreal room = first.width() - painter_.fontMetrics().horizontalAdvance(page) - 2 * line;
        // The options used in full where a smaller font lets them fit.
        painter_.save();
        QFont font = painter_.font();
        const qreal wide = painter_.fontMetrics().horizontalAdvance(footer_);
        if (wide > first.width())
            font.setPointSizeF(std::max(smallestFooter, footerPoints * first.width() / wide));
        painter_.setFont(font);
        painter_.drawText(first, Qt::AlignLeft | Qt::AlignVCenter,
                          painter_.fontMetrics().elidedText(footer_, Qt::ElideRight, first.width()));
        painter_.restore();
        painter_.drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                          painter_.fontMetrics().elidedText(qText(std::string(documentNotice)), Qt::ElideRight, room));
        painter_.drawText(second, Qt::AlignRight | Qt::AlignVCenter, page);
        painter_.restore();
    }

private:
    QPdfWriter &writer_;
    QPainter &painter_;
    int total_;
    QString footer_;
    int number_ = 0;
};

void paintFailures(QPainter &painter, const std::vector<DocumentFailure> &failures, Range range, bool first)
{
    painter.setFont(documentFont(failurePoints, true));
    const QFontMetricsF metrics(documentFont(failurePoints), painter.device());
    qreal y = ReportPage::body.top();
    painter.setPen(PictureColours::text);
    painter.drawText(QRectF(ReportPage::margin, y, ReportPage::body.width(), 2 * metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop,
                     first ? QStringLiteral("Files that could not be assessed")
                           : QStringLiteral("Files that could not be assessed (continued)"));
    y += 2.5 * metrics.height();
    for (std::size_t i = range.first; i < range.second; ++i) {
        const DocumentFailure &f = failures[i];
        painter.setFont(documentFont(failurePoints, true));
        painter.drawText(QRectF(ReportPage::margin, y, ReportPage::body.width(), metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop,
                         painter.fontMetrics().elidedText(qText(f.file), Qt::ElideMiddle, ReportPage::body.width()));
        painter.setFont(documentFont(failurePoints));
        painter.drawText(QRectF(ReportPage::margin + 12, y + metrics.height(), ReportPage::body.width() - 12, 1e6),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, qText(f.reason));
        y += failureHeight(f, metrics);
    }
}

void paintDocument(QPdfWriter &writer, QPainter &painter, const DocumentPlan &plan, const NextDocumentEvent &next)
{
    const DocumentTable &table = plan.summary.table;
    const TableLayout layout = tableLayout(table, &writer, ReportPage::body.width());
    const PagePlan pages = planPages(plan, layout, &writer);
    Pager pager(writer, painter, pages, qText(plan.footer));
    pager.next();
    paintSummaryHead(&painter, &writer, plan.summary);
    for (std::size_t p = 0; p < pages.tablePages.size(); ++p) {
        if (p > 0)
            pager.next();
        const Range rows = pages.tablePages[p];
        if (rows.first < rows.second)
            paintTableRows(painter, table, layout, p == 0 ? pages.headBottom + layout.rowHeight : ReportPage::body.top(),
                           rows.first, rows.second);
    }
    for (std::size_t e = 0; e < plan.events; ++e) {
        pager.next();
        paintEventPage(painter, next());
    }
    for (std::size_t p = 0; p < pages.failurePages.size(); ++p) {
        pager.next();
        paintFailures(painter, plan.failures, pages.failurePages[p], p == 0);
    }
}

} // namespace

QFont documentFont(qreal points, bool bold)
{
    QFont font = assessPictureFont();
    font.setPointSizeF(points);
    font.setBold(bold);
    // Without ligatures, so that "file" is searched and copied as four letters.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QString writeReportDocument(const DocumentPlan &plan, const NextDocumentEvent &next, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Sismavue"));
        writer.setTitle(qText(plan.summary.title));
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer))
            return QStringLiteral("the PDF cannot be started");
        paintDocument(writer, painter, plan, next);
        painter.end();
    }
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    if (!file.flush())
        return file.errorString();
    file.close();
    return file.error() != QFileDevice::NoError ? file.errorString() : QString();
}
