#pragma once
// The OLE2 compound-file container of .xls files, through libgsf: the "Workbook"
// stream is where the BIFF8 records live.

#include <QByteArray>
#include <QString>

namespace sheet {

// The workbook stream of a compound file held in memory. Throws SheetError when the
// bytes are no compound file, hold no workbook stream, or hold an older (BIFF5) one.
QByteArray readWorkbookStream(const QByteArray &file, const QString &fileName);

// A compound file whose only stream is "Workbook" with these bytes.
QByteArray makeCompoundFile(const QByteArray &workbookStream);

} // namespace sheet
