#include "widgets/TNumberEdit.h"

#include "widgets/DisplayFormat.h"

#include <QRegularExpressionValidator>
#include <QScopedValueRollback>

#include <cmath>

TNumberEdit::TNumberEdit(QWidget *parent, int decimals, const QString &displayFormat)
    : QLineEdit(parent), m_format(displayFormat)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setDecimals(decimals);
    connect(this, &QLineEdit::textChanged, this, &TNumberEdit::textTyped);
    showValue();
}

qint64 TNumberEdit::AsInteger() const
{
    return qint64(std::llround(m_value));
}

void TNumberEdit::setDecimals(int decimals)
{
    m_decimals = decimals;
    const QString pattern = decimals == 0 ? QStringLiteral("-?\\d*")
        : decimals < 0                    ? QStringLiteral("-?\\d*\\.?\\d*")
                                          : QStringLiteral("-?\\d*\\.?\\d{0,%1}").arg(decimals);
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
}

void TNumberEdit::setDisplayFormat(const QString &format)
{
    m_format = format;
    showValue();
}

void TNumberEdit::setValue(double value)
{
    if (m_decimals == 0)
        value = std::round(value);
    const bool differs = value != m_value;
    m_value = value;
    showValue();
    if (differs)
        emit changed();
}

void TNumberEdit::textTyped(const QString &text)
{
    if (m_showing)
        return;
    bool ok = false;
    const double value = text.toDouble(&ok);
    const double next = ok ? value : 0.0;
    if (next != m_value) {
        m_value = next;
        emit changed();
    }
}

void TNumberEdit::showValue()
{
    const QScopedValueRollback<bool> showing(m_showing, true);
    if (hasFocus() || m_format.isEmpty())
        setText(m_decimals == 0 ? QString::number(AsInteger()) : QString::number(m_value, 'g', 15));
    else
        setText(FormatFloat(m_format, m_value));
}

void TNumberEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    showValue();
}

void TNumberEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    showValue();
}
