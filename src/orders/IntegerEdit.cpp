#include "orders/IntegerEdit.h"

#include <QRegularExpressionValidator>

TIntegerEdit::TIntegerEdit(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Nine digits stay inside a 32-bit integer.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,9}")), this));
}

std::optional<int> TIntegerEdit::Value() const
{
    bool ok = false;
    const int value = text().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}
