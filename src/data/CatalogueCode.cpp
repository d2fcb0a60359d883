#include "data/CatalogueCode.h"

#include <QRegularExpression>

bool CatalogueSortKey(const QString &bkdh, qint64 &key)
{
    static const QRegularExpression code(QStringLiteral("^([0-9]{1,9})-([0-9]{1,9})$"));
    const QRegularExpressionMatch match = code.match(bkdh);
    if (!match.hasMatch())
        return false;
    key = match.captured(1).toLongLong() * 10000 + match.captured(2).toLongLong();
    return true;
}
