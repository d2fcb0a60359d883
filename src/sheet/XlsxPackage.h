#pragma once
// Prepares an .xlsx package for liborcus 0.17, which silently skips parts of packages
// written by some programs (openpyxl among them): relationship targets given as
// absolute paths ("/xl/worksheets/sheet1.xml"), texts stored inline in cells
// (t="inlineStr"), and an active sheet named only in the workbook view (activeTab).

#include <QByteArray>

namespace sheet {

struct PreparedXlsx {
    QByteArray package; // the file itself, or a rewritten copy when it needed changes
    int activeTab = -1; // 0-based sheet of the workbook view, -1 when not given
};

// Throws SheetError (without a file name; the caller adds it) for a package whose
// parts would unpack to more than we accept.
PreparedXlsx prepareXlsx(const QByteArray &file);

// Throws SheetError (without a file name) when the directory of a zip archive declares
// parts larger than we accept: liborcus would set aside that much memory.
void checkUnpackedSize(const QByteArray &zip);

} // namespace sheet
