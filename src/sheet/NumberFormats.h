#pragma once
// Number format codes: the built-in formats that the binary and the XML formats refer
// to by number, and whether a code shows a date.

#include <QString>

namespace sheet {

// The code of built-in format `id`, or an empty text when the id has no fixed meaning.
QString builtinFormatCode(int id);
// The built-in id of a code (0 for General, 49 for "@"), or -1 when it has none.
int builtinFormatId(const QString &code);
// True when the code formats numbers as dates or times ("yyyy-mm-dd", "h:mm", ...).
bool isDateFormat(const QString &code);

} // namespace sheet
