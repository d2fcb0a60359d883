#include "reports/ReportPrint.h"

#include "reports/PdfTextMap.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace {

QFont reportFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(points);
    font.setBold(bold);
    // Drawn straight from the font's character map: shaped as a Latin run, the digits after a letter
    // ("Tel 0731") take glyphs the character map does not reach, and a PDF would carry no text for them.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// Once written, a PDF names each glyph by the character that was printed, not by a radical or a
// control character that the font draws with the same glyph.
void restoreTextOfPdf(const QPrinter &printer)
{
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return;
    static const QHash<char32_t, char32_t> preferred =
        PreferredCharacters({reportFont(10), reportFont(10, true)});
    RewritePdfTextMaps(printer.outputFileName(), preferred);
}

// Everything the pages share, measured for the printer.
struct Layout {
    QRect area;       // the printable area, in device pixels from its top-left corner
    int lineHeight;   // a header line
    int rowHeight;    // a table row
    int headingHeight;
    int footHeight;   // date of printing and page number
    int padding;      // inside a cell
    QVector<int> columnX; // left edge of each column, and the right edge of the last one
};

Layout measure(QPrinter &printer, const PrintDocument &document)
{
    Layout l;
    const QRect paint = printer.pageLayout().paintRectPixels(printer.resolution());
    l.area = QRect(0, 0, paint.width(), paint.height());
    const QFontMetrics text(reportFont(10), &printer);
    const QFontMetrics heading(reportFont(16, true), &printer);
    l.lineHeight = text.height() * 3 / 2;
    l.rowHeight = text.height() * 8 / 5;
    l.headingHeight = heading.height() * 2;
    l.footHeight = text.height() * 2;
    l.padding = text.averageCharWidth() / 2;

    int total = 0;
    for (const PrintColumn &c : document.columns)
        total += qMax(1, c.width);
    l.columnX.append(0);
    int used = 0;
    for (const PrintColumn &c : document.columns) {
        used += qMax(1, c.width);
        l.columnX.append(int(qint64(l.area.width()) * used / qMax(1, total)));
    }
    return l;
}

int headerBlockHeight(const Layout &l, const PrintDocument &document)
{
    return l.lineHeight + l.headingHeight + l.lineHeight * int(document.headerLines.size()) + l.lineHeight / 2;
}

// Rows [first, end) of each page. The total row goes below the rows of the last page, or on a page
// of its own (with the column titles) when that page is full.
QVector<QPair<int, int>> paginate(const Layout &l, const PrintDocument &document)
{
    auto fitting = [&](int page) {
        int room = l.area.height() - l.footHeight - l.rowHeight; // the column titles
        if (page == 0)
            room -= headerBlockHeight(l, document);
        return qMax(1, room / l.rowHeight);
    };
    QVector<QPair<int, int>> pages;
    const int rows = int(document.rows.size());
    int next = 0;
    do {
        const int end = qMin(rows, next + fitting(int(pages.size())));
        pages.append({next, end});
        next = end;
    } while (next < rows);
    const QPair<int, int> last = pages.constLast();
    if (!document.totalRow.isEmpty() && last.second - last.first >= fitting(int(pages.size()) - 1))
        pages.append({rows, rows});
    return pages;
}

void paintCells(QPainter &painter, const Layout &l, const QVector<PrintColumn> &columns, const QStringList &cells,
                int top, bool titles)
{
    const QFontMetrics metrics(painter.font(), painter.device());
    for (int c = 0; c < columns.size(); ++c) {
        const QRect cell(l.columnX.at(c), top, l.columnX.at(c + 1) - l.columnX.at(c), l.rowHeight);
        painter.drawRect(cell);
        const QRect inner = cell.adjusted(l.padding, 0, -l.padding, 0);
        const QString text = c < cells.size() ? cells.at(c) : QString();
        const Qt::Alignment alignment = titles ? Qt::AlignHCenter : columns.at(c).alignment;
        painter.drawText(inner, int(alignment | Qt::AlignVCenter),
                         metrics.elidedText(text, Qt::ElideRight, inner.width()));
    }
}

void paintHeaderBlock(QPainter &painter, const Layout &l, const PrintDocument &document, int &top)
{
    painter.setFont(reportFont(10));
    painter.drawText(QRect(0, top, l.area.width(), l.lineHeight), Qt::AlignLeft | Qt::AlignVCenter, document.officeLine);
    top += l.lineHeight;
    painter.setFont(reportFont(16, true));
    painter.drawText(QRect(0, top, l.area.width(), l.headingHeight), Qt::AlignCenter, document.heading);
    top += l.headingHeight;
    painter.setFont(reportFont(10));
    for (const QString &line : document.headerLines) {
        const QStringList halves = line.split(QLatin1Char('\t'));
        const QRect left(0, top, l.area.width() / 2, l.lineHeight);
        painter.drawText(left, Qt::AlignLeft | Qt::AlignVCenter, halves.value(0));
        if (halves.size() > 1)
            painter.drawText(QRect(l.area.width() / 2, top, l.area.width() / 2, l.lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, halves.at(1));
        top += l.lineHeight;
    }
    top += l.lineHeight / 2;
}

void paintFoot(QPainter &painter, const Layout &l, const PrintDocument &document, int page, int pages)
{
    painter.setFont(reportFont(9));
    const QRect foot(0, l.area.height() - l.footHeight, l.area.width(), l.footHeight);
    painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("打印日期：") + document.printed.toString(QStringLiteral("yyyy-MM-dd")));
    painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("第 %1 页，共 %2 页").arg(page).arg(pages));
}

} // namespace

QString OfficeLineText()
{
    return QStringLiteral("经办局（所）：");
}

int PaintReport(QPrinter &printer, const PrintDocument &document)
{
    const Layout l = measure(printer, document);
    const QVector<QPair<int, int>> pages = paginate(l, document);
    QPainter painter;
    if (!painter.begin(&printer))
        return -1;
    QStringList titles;
    for (const PrintColumn &c : document.columns)
        titles << c.title;
    QPen pen(Qt::black);
    pen.setWidth(qMax(1, printer.resolution() / 150));
    painter.setPen(pen);

    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer.newPage();
        int top = 0;
        if (p == 0)
            paintHeaderBlock(painter, l, document, top);
        painter.setFont(reportFont(10, true));
        paintCells(painter, l, document.columns, titles, top, true);
        top += l.rowHeight;
        painter.setFont(reportFont(10));
        for (int r = pages.at(p).first; r < pages.at(p).second; ++r) {
            paintCells(painter, l, document.columns, document.rows.at(r), top, false);
            top += l.rowHeight;
        }
        if (p == pages.size() - 1 && !document.totalRow.isEmpty()) {
            painter.setFont(reportFont(10, true));
            paintCells(painter, l, document.columns, document.totalRow, top, false);
        }
        paintFoot(painter, l, document, p + 1, int(pages.size()));
    }
    painter.end();
    restoreTextOfPdf(printer);
    return int(pages.size());
}

void SetUpReportPrinter(QPrinter &printer, const QString &documentName)
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
    printer.setDocName(documentName);
    printer.setCreator(QStringLiteral("Tavrin系统"));
}

int WriteReportPdf(const QString &fileName, const PrintDocument &document)
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPrinter(printer, QFileInfo(fileName).completeBaseName());
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    return PaintReport(printer, document);
}
