#pragma once
// Shared pieces of the report tests: order lines written straight into torder, and written files read
// back by independent readers (xlrd, openpyxl, pdftotext) or decoded as the text export writes them.

#include <QString>
#include <QStringList>

// Adds a unit and returns its id (-1 on failure).
int AddUnit(const QString &name, const QString &contact = QString(), const QString &phone = QString());
// Adds an order line; false on failure.
bool AddLine(int unit, int type, const QString &code, int qdy, int zdy, int copies, double amount);

// The rows of every sheet as "a|b|c" lines ("SHEET name" before each), numbers in shortest form:
// .xls through xlrd, .xlsx through openpyxl.
QString SheetDump(const QString &fileName);
// A text export (GB18030) as text.
QString TextFile(const QString &fileName);
// The text of a PDF (pdftotext -layout), of pages first to last (0: to the end), with the radicals the
// extraction gives for some ideographs read as those ideographs.
QString PdfText(const QString &fileName, int first = 1, int last = 0);
// The page count pdfinfo reports, -1 when it cannot read the file.
int PdfPages(const QString &fileName);
