#pragma once
// The order line that the desks of these tests write: one copy of a monthly title for a unit, written
// as the subscription dialog writes it (only while the unit is still there).

#include "orders/GuardedWrite.h"
#include "orders/OrderLineStatements.h"

inline NewOrderLine deskOrderLine(int unit, const QString &code)
{
    NewOrderLine line;
    line.unitId = unit;
    line.code = code;
    line.period = QStringLiteral("月刊");
    line.copies = 1;
    line.amount = 12.5;
    return line;
}

inline GuardedWriteResult subscribe(int unit, const QString &code)
{
    return GuardedWrite(QStringLiteral("select id from dwinfo where id=") + QString::number(unit),
                        [](const db::Query &rows) { return !rows.isEmpty(); },
                        OrderInsertSql(deskOrderLine(unit, code)));
}
