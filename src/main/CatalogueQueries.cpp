#include "main/CatalogueQueries.h"

#include "data/Udm.h"

namespace {

QString CatalogueTable(int tab)
{
    return tab == 0 ? QStringLiteral("post") : QStringLiteral("nopost");
}

} // namespace

QString CatalogueStatement(int tab, const QString &filter)
{
    QString clause;
    if (tab == 0) {
        if (!filter.isEmpty())
            clause = QStringLiteral(" where ") + filter.mid(4);
    } else {
        clause = QStringLiteral(" where mllx=") + QString::number(tab);
        if (!filter.isEmpty())
            clause += QStringLiteral(" and ") + filter.mid(4);
    }
    return QStringLiteral("select * from ") + CatalogueTable(tab) + clause
        + QStringLiteral(" order by  clng(mid(bkdh,1,instr(bkdh,'-')-1))*10000"
                         "+clng(mid(bkdh,instr(bkdh,'-')+1,len(bkdh)-instr(bkdh,'-')+1)) ");
}

QString CodeCondition(const QString &code)
{
    return QStringLiteral(" and  bkdh='") + SqlText(code) + QStringLiteral("'");
}

QString TitleCondition(const QString &part)
{
    return QStringLiteral(" and  Instr(1,LCase(bkmc),LCase('") + SqlText(part) + QStringLiteral("'),0)<>0");
}

QString KindCondition(const QString &kind)
{
    return QStringLiteral(" and bkzl='") + SqlText(kind) + QStringLiteral("'");
}

QString PeriodCondition(const QString &period)
{
    return QStringLiteral(" and  kq='") + SqlText(period) + QStringLiteral("'");
}

QString OrdersStatement(int tab, qint32 unitId)
{
    return QStringLiteral("select torder.*,a.bkmc,a.qnj from  torder left join (select bkdh,bkmc,qnj from ")
        + CatalogueTable(tab)
        + QStringLiteral(" group by bkdh,bkmc,qnj) as a on torder.bkdh=a.bkdh ")
        + QStringLiteral("where dwid=") + QString::number(unitId) + QStringLiteral(" and torder.mllx=")
        + QString::number(tab) + QStringLiteral(" order by joindate");
}
