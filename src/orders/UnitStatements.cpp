#include "orders/UnitStatements.h"

#include "data/Udm.h"

#include <QList>

namespace {


} // namespace

QString UnitInsertSql(const QString &name, const QString &contact, const QString &phone)
{
    QString columns = QStringLiteral("dwmc");
    QString values = SqlQuoted(name);
    if (!contact.isEmpty()) {
        columns += QStringLiteral(",lxr");
        values += QLatin1Char(',') + SqlQuoted(contact);
    }
    if (!phone.isEmpty()) {
        columns += QStringLiteral(",phone");
        values += QLatin1Char(',') + SqlQuoted(phone);
    }
    return QStringLiteral("insert into dwinfo (") + columns + QStringLiteral(") values(") + values
        + QLatin1Char(')');
}

QString UnitChangedAssignments(const QList<UnitFieldEdit> &fields)
{
    QString assignments;
    for (const UnitFieldEdit &field : fields) {
        if (field.edited != field.stored)
            assignments += QLatin1Char(',') + field.column + QLatin1Char('=') + SqlQuoted(field.edited);
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

bool UnitNameTaken(const db::Query &units, const QString &name, qint64 self)
{
    const QString wanted = name.trimmed();
    for (int row = 0; row < units.recordCount(); ++row) {
        const qint64 id = units.value(row, units.fieldIndex(QStringLiteral("id"))).toLongLong();
        const QString other = db::Query::displayText(units.value(row, units.fieldIndex(QStringLiteral("dwmc"))));
        if (id != self && other.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString UnitOrderLinesSql(qint64 id)
{
    return QStringLiteral("select a.mllx,bkmllx.mc,a.n from (select mllx,count(*) as n from torder where dwid=")
        + QString::number(id) + QStringLiteral(" group by mllx) as a left join bkmllx on bkmllx.id=a.mllx order by a.mllx");
}

QString UnitOrderLinesRefusal(const db::Query &lines)
{
    if (lines.isEmpty())
        return QString();
    const int typeField = lines.fieldIndex(QStringLiteral("mllx"));
    const int nameField = lines.fieldIndex(QStringLiteral("mc"));
    const int countField = lines.fieldIndex(QStringLiteral("n"));
    qint64 total = 0;
    QStringList parts;
    for (int row = 0; row < lines.recordCount(); ++row) {
        const qint64 n = lines.value(row, countField).toLongLong();
        QString type = db::Query::displayText(lines.value(row, nameField));
        if (type.isEmpty())
            type = QStringLiteral("目录类型") + db::Query::displayText(lines.value(row, typeField));
        parts << type + QLatin1Char(' ') + QString::number(n) + QStringLiteral(" 条");
        total += n;
    }
    return QStringLiteral("该单位尚有订阅记录 ") + QString::number(total) + QStringLiteral(" 条（")
        + parts.join(QStringLiteral("，")) + QStringLiteral("），不能删除...");
}
