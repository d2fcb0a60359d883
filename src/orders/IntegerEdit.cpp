#include "orders/IntegerEdit.h"

#include <QRegularExpression>

TIntegerEdit::TIntegerEdit(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

std::optional<int> TIntegerEdit::Value() const
{
    static const QRegularExpression wholeNumber(QStringLiteral("^-?[0-9]+$"));
    const QString shown = text().trimmed();
    if (!wholeNumber.match(shown).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = shown.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}
