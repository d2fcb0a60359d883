#pragma once
// The statements of the unit maintenance window on table dwinfo. Values arrive trimmed and pass
// through SqlText(); ids are written as plain decimal integers.

#include "db/Query.h"

#include <QString>

// The insert for a new unit: a contact person or telephone left empty is not named, so the column
// stays NULL.
QString UnitInsertSql(const QString &name, const QString &contact, const QString &phone);

// One field of a unit as the edit holds it (trimmed) and as the stored row reads (NULL as empty).
struct UnitFieldEdit {
    QString column;
    QString edited;
    QString stored;
};

// The assignments ",column='value'" of the fields whose edited text differs from the stored one
// (exact comparison), in the order given. Empty when nothing changed.
QString UnitChangedAssignments(const QList<UnitFieldEdit> &fields);

// "update dwinfo set ... where id=n" from the assignments above (their leading comma dropped).
QString UnitUpdateSql(const QString &assignments, qint64 id);

QString UnitDeleteSql(qint64 id);

// The list of the window.
inline const QString UnitListSql = QStringLiteral("select * from dwinfo order by id");

// --- checks made inside the transaction of a write (see GuardedWrite) ---

// The units and their names, for the check that a name is free.
inline const QString UnitNamesSql = QStringLiteral("select id,dwmc from dwinfo");
// Whether another unit than `self` (0 for a new unit) already carries `name`: blanks around both
// trimmed, letter case ignored. `units` holds the rows of UnitNamesSql.
bool UnitNameTaken(const db::Query &units, const QString &name, qint64 self);

// The order lines of one unit counted per catalogue type: mllx, the type's name mc (empty when the
// type is unknown) and n, ordered by type.
QString UnitOrderLinesSql(qint64 id);
// "该单位尚有订阅记录 5 条（邮发报刊目录 3 条，非邮发报刊目录 2 条），不能删除..." from the rows of
// UnitOrderLinesSql; empty when there are none.
QString UnitOrderLinesRefusal(const db::Query &lines);
