#pragma once
// Printed lists (an order list for a unit, the office's summary): a heading block on the first page,
// a table whose column titles repeat on every page, a total row after the last row, and at the foot of
// every page the date of printing and the page number. Printed in 宋体. No widgets: the print preview
// and the PDF writer both paint through here.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <Qt>

class QPrinter;

struct PrintColumn {
    QString title;
    int width = 64; // relative widths (the grid's pixels); the table fills the page width
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct PrintDocument {
    QString officeLine;       // first line, at the left
    QString heading;          // centred, in a larger size
    QStringList headerLines;  // under the heading, first page only; a tab splits a line into a left and a right half
    QVector<PrintColumn> columns;
    QVector<QStringList> rows;
    QStringList totalRow;     // after the last row; empty: none
    QDate printed;            // the date of printing shown at the foot of each page
};

// The line every printed list begins with. The database holds no office name, so the line leaves
// room for the office's name or stamp.
QString OfficeLineText();

// Lays the document out on the printer's pages and paints it. Returns the number of pages.
int PaintReport(QPrinter &printer, const PrintDocument &document);

// Prepares a printer for a report: A4 portrait, 15 mm margins, the document name as its title.
void SetUpReportPrinter(QPrinter &printer, const QString &documentName);

// Writes the document into a PDF file; the number of pages, or -1 when the file cannot be written.
int WriteReportPdf(const QString &fileName, const PrintDocument &document);
