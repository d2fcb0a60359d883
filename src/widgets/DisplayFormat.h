#pragma once
// Number display formats as the windows write them ("0.00", "#,##0.00", "0"): '0' is a digit that is
// always shown, '#' a digit shown only when significant, '.' the decimal point, ',' anywhere before the
// point groups the thousands; other characters are copied. The number is first taken to 15 significant
// digits and then rounded half away from zero, so 2.675 shows as 2.68.

#include <QString>
#include <QVariant>

// The text of `value` in `format`; an empty format gives the shortest general form (15 digits).
QString FormatFloat(const QString &format, double value);

// The text a grid cell or a number edit shows for a value: empty for NULL, FormatFloat for numbers when
// a format is given, the value's plain text otherwise.
QString FormatValue(const QString &format, const QVariant &value, bool numericField);
