#pragma once
// Text in the forms the export writes: lines into a file in the ANSI code page (GB18030, the superset of
// GBK), and a number in general format.

#include <QString>
#include <QStringList>

// Writes every line followed by CR LF, encoded in GB18030 without a byte-order mark, creating or
// replacing the file. Throws GridExportError when the file cannot be written.
void WriteAnsiLines(const QString &fileName, const QStringList &lines);

// The lines as they go into the file (for the writer and for tests).
QByteArray EncodeAnsiLines(const QStringList &lines);

// A number in general format: the shortest form with at most 15 significant digits, fixed notation
// from 0.00001 up to 15 integer digits, otherwise "1.5E20" / "1E-6"; "." as decimal separator.
QString GeneralFloatText(double value);
