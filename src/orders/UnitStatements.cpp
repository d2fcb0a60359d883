#include "orders/UnitStatements.h"

#include "data/Udm.h"

#include <QList>

namespace {

QString quoted(const QString &value)
{
    return QLatin1Char('\'') + SqlText(value) + QLatin1Char('\'');
}

} // namespace

QString UnitInsertSql(const QString &name, const QString &contact, const QString &phone)
{
    QString columns = QStringLiteral("dwmc");
    QString values = quoted(name);
    if (!contact.isEmpty()) {
        columns += QStringLiteral(",lxr");
        values += QLatin1Char(',') + quoted(contact);
    }
    if (!phone.isEmpty()) {
        columns += QStringLiteral(",phone");
        values += QLatin1Char(',') + quoted(phone);
    }
    return QStringLiteral("insert into dwinfo (") + columns + QStringLiteral(") values(") + values
        + QLatin1Char(')');
}

QString UnitChangedAssignments(const QList<UnitFieldEdit> &fields)
{
    QString assignments;
    for (const UnitFieldEdit &field : fields) {
        if (field.edited != field.stored)
            assignments += QLatin1Char(',') + field.column + QLatin1Char('=') + quoted(field.edited);
    }
    return assignments;
}

QString UnitUpdateSql(const QString &assignments, qint64 id)
{
    return QStringLiteral("update dwinfo set ") + assignments.mid(1) + QStringLiteral(" where id=")
        + QString::number(id);
}

QString UnitDeleteSql(qint64 id)
{
    return QStringLiteral("delete from dwinfo where id=") + QString::number(id);
}
