#include "orders/OrderLineStatements.h"

#include "data/Udm.h"

QString AmountSqlText(double amount)
{
    return QString::number(amount, 'g', 15);
}

QString OrderInsertSql(const NewOrderLine &line)
{
    return QStringLiteral("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(")
        + QString::number(line.unitId) + QLatin1Char(',') + QString::number(line.catalogueType) + QStringLiteral(",'")
        + SqlText(line.code) + QStringLiteral("','") + SqlText(line.period) + QStringLiteral("',")
        + QString::number(line.startMonth) + QLatin1Char(',') + QString::number(line.endMonth) + QLatin1Char(',')
        + QString::number(line.copies) + QLatin1Char(',')
        + (line.amount ? AmountSqlText(*line.amount) : QStringLiteral("null")) + QLatin1Char(')');
}

QString OrderChangedAssignments(const OrderLineValues &stored, const OrderLineValues &edited)
{
    QString assignments;
    if (edited.startMonth != stored.startMonth || edited.endMonth != stored.endMonth)
        assignments += QStringLiteral(",qdy=") + QString::number(edited.startMonth) + QStringLiteral(",zdy=")
            + QString::number(edited.endMonth);
    if (edited.copies != stored.copies)
        assignments += QStringLiteral(",fs=") + QString::number(edited.copies);
    if (edited.amount) {
        const QString amount = AmountSqlText(*edited.amount);
        if (!stored.amount || amount != AmountSqlText(*stored.amount))
            assignments += QStringLiteral(",ke=") + amount;
    }
    return assignments;
}

QString OrderUpdateSql(const QString &assignments, qint64 id)
{
    return QStringLiteral("update torder set ") + assignments.mid(1) + QStringLiteral(" where id=")
        + QString::number(id);
}
