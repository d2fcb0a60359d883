#include "reports/OrderSummary.h"

#include "calendar/Vocabulary.h"
#include "data/CatalogueCode.h"
#include "data/Udm.h"

#include <algorithm>

namespace {

// One catalogue row per code of the type, for the title's name, period and kind.
QString titlesOfType(int catalogueType)
{
    QString sql = QStringLiteral("(select bkdh,min(bkmc) as bkmc,min(kq) as kq,min(bkzl) as bkzl from ");
    if (catalogueType == 0)
        sql += QStringLiteral("post");
    else
        sql += QStringLiteral("nopost where mllx=") + QString::number(catalogueType);
    return sql + QStringLiteral(" group by bkdh) as b");
}

QString filterConditions(const SummaryFilter &filter)
{
    QStringList conditions;
    if (!filter.period.isEmpty())
        conditions << QStringLiteral("b.kq='") + SqlText(filter.period) + QLatin1Char('\'');
    if (!filter.kind.isEmpty())
        conditions << QStringLiteral("b.bkzl='") + SqlText(filter.kind) + QLatin1Char('\'');
    return conditions.join(QStringLiteral(" and "));
}

struct SortedLine {
    bool sortable;
    qint64 key;
    SummaryLine line;
};

} // namespace

QString TermText(int startMonth, int endMonth)
{
    const int term = TermIndexByMonths(QString::number(startMonth) + QLatin1Char(',') + QString::number(endMonth));
    if (term >= 0)
        return TermListText.split(QLatin1Char(',')).at(term);
    return QString::number(startMonth) + QLatin1Char('-') + QString::number(endMonth) + QStringLiteral("月");
}

QString OrderSummarySql(const SummaryFilter &filter)
{
    QString sql = QStringLiteral("select a.bkdh,b.bkmc,b.kq,b.bkzl,a.qdy,a.zdy,a.dws,a.fs,a.ke from "
                                 "(select bkdh,qdy,zdy,count(distinct dwid) as dws,sum(fs) as fs,sum(ke) as ke "
                                 "from torder where mllx=")
                  + QString::number(filter.catalogueType) + QStringLiteral(" group by bkdh,qdy,zdy) as a left join ")
                  + titlesOfType(filter.catalogueType) + QStringLiteral(" on a.bkdh=b.bkdh");
    const QString conditions = filterConditions(filter);
    if (!conditions.isEmpty())
        sql += QStringLiteral(" where ") + conditions;
    return sql;
}

QString SummaryUnitsSql(const SummaryFilter &filter)
{
    QString sql = QStringLiteral("select distinct a.dwid from torder as a left join ") + titlesOfType(filter.catalogueType)
                  + QStringLiteral(" on a.bkdh=b.bkdh where a.mllx=") + QString::number(filter.catalogueType);
    const QString conditions = filterConditions(filter);
    if (!conditions.isEmpty())
        sql += QStringLiteral(" and ") + conditions;
    return sql;
}

bool LoadOrderSummary(const SummaryFilter &filter, QVector<SummaryLine> &lines, SummaryTotals &totals)
{
    lines.clear();
    totals = SummaryTotals();
    db::Query query;
    const int rows = OpenQuery(OrderSummarySql(filter), query);
    if (rows < 0)
        return false;

    std::vector<SortedLine> sorted;
    sorted.reserve(rows);
    for (query.first(); rows > 0 && !query.eof(); query.next()) {
        SortedLine s{};
        SummaryLine &l = s.line;
        l.bkdh = query.fieldText(QStringLiteral("bkdh"));
        l.bkmc = query.fieldText(QStringLiteral("bkmc"));
        l.kq = query.fieldText(QStringLiteral("kq"));
        l.bkzl = query.fieldText(QStringLiteral("bkzl"));
        l.qdy = int(query.fieldInt(QStringLiteral("qdy")));
        l.zdy = int(query.fieldInt(QStringLiteral("zdy")));
        l.units = int(query.fieldInt(QStringLiteral("dws")));
        l.copies = query.fieldInt(QStringLiteral("fs"));
        l.amount = query.fieldFloat(QStringLiteral("ke"));
        s.sortable = CatalogueSortKey(l.bkdh, s.key);
        sorted.push_back(std::move(s));
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const SortedLine &a, const SortedLine &b) {
        if (a.sortable != b.sortable)
            return a.sortable;
        if (a.sortable && a.key != b.key)
            return a.key < b.key;
        if (!a.sortable && a.line.bkdh != b.line.bkdh)
            return a.line.bkdh < b.line.bkdh;
        if (a.line.qdy != b.line.qdy)
            return a.line.qdy < b.line.qdy;
        return a.line.zdy < b.line.zdy;
    });

    lines.reserve(int(sorted.size()));
    QString previousCode;
    for (SortedLine &s : sorted) {
        totals.copies += s.line.copies;
        totals.amount += s.line.amount;
        if (totals.lines == 0 || s.line.bkdh != previousCode)
            ++totals.titles;
        previousCode = s.line.bkdh;
        ++totals.lines;
        lines.append(std::move(s.line));
    }
    if (!lines.isEmpty()) {
        totals.units = CountRows(SummaryUnitsSql(filter));
        if (totals.units < 0)
            return false;
    }
    return true;
}

QStringList SummaryFields()
{
    return {QStringLiteral("bkdh"), QStringLiteral("bkmc"), QStringLiteral("kq"), QStringLiteral("bkzl"),
            QStringLiteral("qx"),   QStringLiteral("qdy"),  QStringLiteral("zdy"), QStringLiteral("dws"),
            QStringLiteral("fs"),   QStringLiteral("ke")};
}

void FillSummaryQuery(const QVector<SummaryLine> &lines, db::Query &query)
{
    QVector<QVector<QVariant>> rows;
    rows.reserve(lines.size());
    for (const SummaryLine &l : lines)
        rows.append({l.bkdh, l.bkmc.isEmpty() ? QVariant() : QVariant(l.bkmc), l.kq, l.bkzl, TermText(l.qdy, l.zdy),
                     l.qdy, l.zdy, l.units, l.copies, l.amount});
    query.openRows(SummaryFields(), {false, false, false, false, false, true, true, true, true, true}, std::move(rows));
}
