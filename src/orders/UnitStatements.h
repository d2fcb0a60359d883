#pragma once
// The statements of the unit maintenance window on table dwinfo. Values arrive trimmed and pass
// through SqlText(); ids are written as plain decimal integers.

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
