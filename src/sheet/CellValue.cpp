#include "CellValue.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace sheet {

CellValue CellValue::text(const QString &text)
{
    CellValue v;
    v.m_type = Type::Text;
    v.m_text = text;
    return v;
}

CellValue CellValue::number(double value)
{
    CellValue v;
    v.m_type = Type::Number;
    v.m_number = value;
    return v;
}

CellValue CellValue::boolean(bool value)
{
    CellValue v;
    v.m_type = Type::Boolean;
    v.m_number = value ? 1 : 0;
    return v;
}

CellValue CellValue::date(double serial)
{
    CellValue v;
    v.m_type = Type::Date;
    v.m_number = serial;
    return v;
}

CellValue CellValue::error(const QString &code)
{
    CellValue v;
    v.m_type = Type::Error;
    v.m_text = code;
    return v;
}

QString CellValue::toText() const
{
    switch (m_type) {
    case Type::Empty: return QString();
    case Type::Text:
    case Type::Error: return m_text;
    case Type::Number: return plainNumberText(m_number);
    case Type::Boolean: return m_number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Date: return serialDateText(m_number);
    }
    return QString();
}

double CellValue::toNumber() const
{
    switch (m_type) {
    case Type::Number:
    case Type::Date:
    case Type::Boolean: return m_number;
    case Type::Text: return typedNumber(m_text).value_or(0.0);
    default: return 0;
    }
}

bool CellValue::operator==(const CellValue &other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type) {
    case Type::Empty: return true;
    case Type::Text:
    case Type::Error: return m_text == other.m_text;
    default: return m_number == other.m_number;
    }
}

QString plainNumberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // Round to the 15 significant digits a spreadsheet shows, then print that value in
    // its shortest fixed-point form.
    const double rounded = QString::number(value, 'g', 15).toDouble();
    if (rounded == 0)
        return QStringLiteral("0");
    return QLocale::c().toString(rounded, 'f', QLocale::FloatingPointShortest);
}

std::optional<double> typedNumber(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (text.isEmpty() || text.size() > 400 || !pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

static const QDate kSerialBase(1899, 12, 30);

QString serialDateText(double serial)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)
        return plainNumberText(serial);
    double days = std::floor(serial);
    qint64 seconds = std::llround((serial - days) * 86400.0);
    if (seconds >= 86400) {
        days += 1;
        seconds -= 86400;
    }
    QString dateText;
    const qint64 whole = static_cast<qint64>(days);
    if (whole == 60)
        dateText = QStringLiteral("1900-02-29");
    else if (whole == 0)
        dateText = QStringLiteral("1900-01-00");
    else
        dateText = kSerialBase.addDays(whole < 60 ? whole + 1 : whole).toString(QStringLiteral("yyyy-MM-dd"));
    if (seconds == 0)
        return dateText;
    return dateText + QStringLiteral(" %1:%2:%3")
                          .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                          .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

double serialFromDateTime(int year, int month, int day, int hour, int minute, double second)
{
    const QDate date(year, month, day);
    double serial = date.isValid() ? double(kSerialBase.daysTo(date)) : 0.0;
    if (serial > 0 && serial < 61)
        serial -= 1;
    return serial + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

} // namespace sheet
