#include "orders/OrderCorrection.h"

#include "data/Udm.h"
#include "db/Query.h"
#include "orders/OrderLineStatements.h"

namespace {

// A whole-number column as read: its number, NULL when it was read empty, else the text itself.
QString columnIs(const QString &column, const QString &read)
{
    const QString text = read.trimmed();
    if (text.isEmpty())
        return QStringLiteral(" and ") + column + QStringLiteral(" is null");
    bool whole = false;
    const qint64 number = text.toLongLong(&whole);
    if (whole)
        return QStringLiteral(" and ") + column + QLatin1Char('=') + QString::number(number);
    return QStringLiteral(" and ") + column + QStringLiteral("='") + SqlText(text) + QLatin1Char('\'');
}

} // namespace

QString OrderLineUnchangedCondition(const StoredOrderLine &read)
{
    QString condition = columnIs(QStringLiteral("qdy"), read.qdy) + columnIs(QStringLiteral("zdy"), read.zdy)
        + columnIs(QStringLiteral("fs"), read.fs);
    if (read.ke)
        condition += QStringLiteral(" and ke=") + QString::number(*read.ke, 'g', 17);
    else
        condition += QStringLiteral(" and ke is null");
    return condition;
}

QString OrderCorrectionSql(const StoredOrderLine &read, const QString &assignments)
{
    return OrderUpdateSql(assignments, read.id) + OrderLineUnchangedCondition(read);
}

int ReadOrderLine(qint64 id, StoredOrderLine *line)
{
    db::Query rows;
    const int found = OpenQuery(QStringLiteral("select id,qdy,zdy,fs,ke from torder where id=") + QString::number(id), rows);
    if (found <= 0)
        return found;
    *line = *OrderLineFromRow(rows);
    return 1;
}

CorrectionResult WriteOrderCorrection(const StoredOrderLine &read, const QString &assignments,
                                      std::optional<StoredOrderLine> *now)
{
    const qint64 written = ExecSqlCounted(OrderCorrectionSql(read, assignments));
    if (written < 0)
        return CorrectionResult::Failed;
    if (written > 0)
        return CorrectionResult::Written;
    // Nothing matched: the line is no longer what the clerk read.
    StoredOrderLine stored;
    const int found = ReadOrderLine(read.id, &stored);
    if (found < 0)
        return CorrectionResult::Failed;
    if (found == 0)
        return CorrectionResult::Gone;
    *now = stored;
    return CorrectionResult::Changed;
}
