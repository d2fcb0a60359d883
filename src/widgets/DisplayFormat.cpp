#include "widgets/DisplayFormat.h"

#include <cmath>

namespace {

struct Pattern {
    QString prefix;
    QString suffix;
    int minIntegerDigits = 0; // '0' before the point
    int minDecimals = 0;      // '0' after the point
    int maxDecimals = 0;      // '0' and '#' after the point
    bool grouping = false;
};

bool isPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

Pattern parsePattern(const QString &format)
{
    Pattern p;
    int first = -1;
    int last = -1;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (isPlaceholder(c) || c == QLatin1Char('.') || c == QLatin1Char(',')) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        p.prefix = format;
        return p;
    }
    p.prefix = format.left(first);
    p.suffix = format.mid(last + 1);
    bool afterPoint = false;
    for (int i = first; i <= last; ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('.')) {
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            if (!afterPoint)
                p.grouping = true;
        } else if (c == QLatin1Char('0')) {
            if (afterPoint) {
                ++p.minDecimals;
                ++p.maxDecimals;
            } else {
                ++p.minIntegerDigits;
            }
        } else if (c == QLatin1Char('#') && afterPoint) {
            ++p.maxDecimals;
        }
    }
    return p;
}

// The decimal digits of |value| to 15 significant digits and the position of the point: value equals
// 0.<digits> times ten to the power `pointPos`.
void decimalDigits(double value, QString &digits, int &pointPos)
{
    const QString e = QString::number(std::fabs(value), 'e', 14); // d.dddddddddddddde+XX
    const int ePos = e.indexOf(QLatin1Char('e'));
    digits = e.left(1) + e.mid(2, ePos - 2);
    pointPos = e.mid(ePos + 1).toInt() + 1;
    if (value == 0.0) {
        digits = QStringLiteral("0");
        pointPos = 1;
    }
}

QString groupThousands(const QString &integer)
{
    QString out;
    const int n = integer.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += integer.at(i);
    }
    return out;
}

} // namespace

QString FormatFloat(const QString &format, double value)
{
    if (std::isnan(value) || std::isinf(value))
        return QString::number(value);
    if (format.isEmpty())
        return QString::number(value, 'g', 15);
    const Pattern p = parsePattern(format);

    QString digits;
    int pointPos = 0;
    decimalDigits(value, digits, pointPos);
    // Round to maxDecimals places, half away from zero, on the decimal digits.
    const int keep = pointPos + p.maxDecimals;
    if (keep < 0) {
        digits = QStringLiteral("0");
        pointPos = 1;
    } else if (keep < digits.size()) {
        const bool up = digits.at(keep) >= QLatin1Char('5');
        digits.truncate(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits.at(i) == QLatin1Char('9')) {
                digits[i] = QLatin1Char('0');
                --i;
            }
            if (i >= 0) {
                digits[i] = QChar(digits.at(i).unicode() + 1);
            } else {
                digits.prepend(QLatin1Char('1'));
                ++pointPos;
            }
        }
        if (digits.isEmpty()) {
            digits = QStringLiteral("0");
            pointPos = 1;
        }
    }
    // Split into integer and fraction digits.
    QString integer;
    QString fraction;
    if (pointPos <= 0) {
        fraction = QString(-pointPos, QLatin1Char('0')) + digits;
    } else if (pointPos >= digits.size()) {
        integer = digits + QString(pointPos - digits.size(), QLatin1Char('0'));
    } else {
        integer = digits.left(pointPos);
        fraction = digits.mid(pointPos);
    }
    while (integer.size() > 1 && integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    if (integer == QLatin1String("0"))
        integer.clear();
    if (integer.size() < p.minIntegerDigits)
        integer = QString(p.minIntegerDigits - integer.size(), QLatin1Char('0')) + integer;
    fraction.truncate(p.maxDecimals);
    while (fraction.size() < p.minDecimals)
        fraction += QLatin1Char('0');
    while (fraction.size() > p.minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);

    bool zero = true;
    for (const QChar c : integer + fraction)
        zero = zero && c == QLatin1Char('0');
    QString text = p.grouping ? groupThousands(integer) : integer;
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    if (text.isEmpty())
        text = QStringLiteral("0");
    if (value < 0 && !zero)
        text.prepend(QLatin1Char('-'));
    return p.prefix + text + p.suffix;
}

QString FormatValue(const QString &format, const QVariant &value, bool numericField)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const int type = value.typeId();
    const bool number = type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int
        || type == QMetaType::Float || type == QMetaType::UInt || type == QMetaType::ULongLong;
    if (!format.isEmpty() && (number || numericField)) {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (ok)
            return FormatFloat(format, d);
    }
    if (type == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}
