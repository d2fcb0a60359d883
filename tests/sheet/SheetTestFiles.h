#pragma once
// Helpers of the spreadsheet tests: files in a scratch folder, BIFF8 records put
// together by hand, and the independent readers run through /usr/bin/python3.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sheettest {

QString goldenFolder();
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
QString readText(const QString &path);

// One BIFF record, little-endian helpers, and a compound file holding a workbook stream.
QByteArray record(quint16 type, const QByteArray &body);
QByteArray le16(unsigned v);
QByteArray le32(quint32 v);
QByteArray bof(quint16 kind, quint16 version = 0x0600);
QByteArray compoundFile(const QByteArray &workbookStream);
// A workbook stream: globals with the given extra records and sheet directory, then
// the sheet bodies (each from its BOF to its EOF).
QByteArray workbookStream(const QByteArray &globalsExtra, const QList<QPair<QString, QByteArray>> &sheets);

struct ReaderRun {
    enum Status { Ok, Missing, Failed } status = Failed;
    QString output; // the dump, or what went wrong
};
// The dump that xlrd (.xls/.et) or openpyxl (.xlsx) makes of a file, every cell with
// its style.
ReaderRun independentDump(const QString &file);

// The lines of a dump without its "default" line (the default style is a matter of
// each writer; the cells carry their styles).
QStringList comparableLines(const QString &dump);

} // namespace sheettest
