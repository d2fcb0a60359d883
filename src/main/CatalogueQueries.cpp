#include "main/CatalogueQueries.h"

#include "catalogue/SearchData.h"
#include "catalogue/TitleReadings.h"
#include "data/Udm.h"

namespace {

QString CatalogueTable(int tab)
{
    return tab == 0 ? QStringLiteral("post") : QStringLiteral("nopost");
}

QString catalogueSelect(int tab, const QString &filter)
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
    return QStringLiteral("select * from ") + CatalogueTable(tab) + clause;
}

const QString CodeSortKey = QStringLiteral("clng(mid(bkdh,1,instr(bkdh,'-')-1))*10000"
                                           "+clng(mid(bkdh,instr(bkdh,'-')+1,len(bkdh)-instr(bkdh,'-')+1))");

} // namespace

QString CatalogueStatement(int tab, const QString &filter)
{
    return catalogueSelect(tab, filter) + QStringLiteral(" order by  ") + CodeSortKey + QLatin1Char(' ');
}

QString TolerantCatalogueStatement(int tab, const QString &filter)
{
    // Only codes of ASCII digits around one hyphen, at most nine digits on either side, reach the
    // conversions: with every digit taken out, such a code is the hyphen alone. Written with replace,
    // instr and len only, so every engine runs it.
    QString digitsRemoved = QStringLiteral("bkdh");
    for (char digit = '0'; digit <= '9'; ++digit)
        digitsRemoved = QStringLiteral("replace(%1,'%2','')").arg(digitsRemoved).arg(QLatin1Char(digit));
    return catalogueSelect(tab, filter) + QStringLiteral(" order by case when ") + digitsRemoved
        + QStringLiteral("='-' and instr(bkdh,'-') between 2 and 10 and len(bkdh)-instr(bkdh,'-') between 1 and 9 then ")
        + CodeSortKey + QStringLiteral(" else 9223372036854775807 end, bkdh");
}

QString CodeCondition(const QString &code)
{
    return QStringLiteral(" and  bkdh='") + SqlText(code) + QStringLiteral("'");
}

QString TitleCondition(const QString &part)
{
    return QStringLiteral(" and  Instr(1,LCase(bkmc),LCase('") + SqlText(part) + QStringLiteral("'),0)<>0");
}

QString TitleSearchCondition(const QString &part)
{
    if (!IsReadingSearchText(part))
        return TitleCondition(part);
    return QStringLiteral(" and  (Instr(1,LCase(bkmc),LCase('") + SqlText(part) + QStringLiteral("'),0)<>0 or ")
        + TitleReadingCondition(ReadingSearchKey(part)) + QLatin1Char(')');
}

QString SerialCondition(const QString &number)
{
    return QStringLiteral(" and  ") + SerialNumberCondition(SerialSearchKey(number));
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
    // A code is unique only within its catalogue type: the titles joined are those of the tab's type.
    return QStringLiteral("select torder.*,a.bkmc,a.qnj from  torder left join (select bkdh,bkmc,qnj from ")
        + CatalogueTable(tab) + (tab == 0 ? QString() : QStringLiteral(" where mllx=") + QString::number(tab))
        + QStringLiteral(" group by bkdh,bkmc,qnj) as a on torder.bkdh=a.bkdh ")
        + QStringLiteral("where dwid=") + QString::number(unitId) + QStringLiteral(" and torder.mllx=")
        + QString::number(tab) + QStringLiteral(" order by joindate");
}
