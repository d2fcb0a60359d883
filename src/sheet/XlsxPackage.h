#pragma once
// Prepares .xlsx and .ods packages for liborcus 0.17.
//
// Every package is checked first for what liborcus does not survive: parts declaring
// huge sizes (it sets that much memory aside), numeric character references beyond
// Unicode and malformed XML (on which it stops the program with a failed assertion).
//
// liborcus is then given a copy made of the checked parts only (stored, not
// compressed), so that it reads exactly what was checked. .xlsx packages are mended
// on the way where liborcus silently skips parts of packages
// written by some programs (openpyxl among them): relationship targets given as
// absolute paths ("/xl/worksheets/sheet1.xml"), texts stored inline in cells
// (t="inlineStr"), and an active sheet named only in the workbook view (activeTab).

#include "SheetError.h"

#include <QByteArray>

namespace sheet {

struct PreparedXlsx {
    QByteArray package; // the checked and mended copy
    int activeTab = -1; // 0-based sheet of the workbook view, -1 when not given
};

// A package that holds more than the readers take in: more unpacked data than the limit for
// its size, or more filled cells made by repeats than any sheet may hold. The message says which.
class PackageTooLarge : public SheetError {
public:
    using SheetError::SheetError;
};

// Both throw SheetError (without a file name; the caller adds it) for a package that
// fails the checks, PackageTooLarge for one that unpacks to too much.
PreparedXlsx prepareXlsx(const QByteArray &file);
QByteArray prepareOds(const QByteArray &file);

} // namespace sheet
