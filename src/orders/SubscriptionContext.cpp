#include "orders/SubscriptionContext.h"

#include "data/Udm.h"
#include "db/Query.h"

#include <utility>

namespace {

bool hasRow(const db::Query &query)
{
    return query.active() && !query.isEmpty() && query.recNo() > 0;
}

} // namespace

SubscribedTitle TitleFromRow(const db::Query &catalogue)
{
    SubscribedTitle title;
    if (!hasRow(catalogue))
        return title;
    // The row's fields by column name.
    static const std::pair<const char *, QString SubscribedTitle::*> texts[] = {
        {"bkdh", &SubscribedTitle::bkdh}, {"bkmc", &SubscribedTitle::bkmc}, {"kq", &SubscribedTitle::kq},
        {"cbrq", &SubscribedTitle::cbrq}, {"bkfl", &SubscribedTitle::bkfl}, {"bkjb", &SubscribedTitle::bkjb},
        {"cn", &SubscribedTitle::cn},     {"issn", &SubscribedTitle::issn}};
    static const std::pair<const char *, double SubscribedTitle::*> prices[] = {
        {"qnj", &SubscribedTitle::qnj}, {"dj", &SubscribedTitle::dj},   {"yj", &SubscribedTitle::yj},
        {"jj", &SubscribedTitle::jj},   {"bnj", &SubscribedTitle::bnj}};
    for (const auto &[field, member] : texts)
        title.*member = catalogue.fieldText(QLatin1String(field));
    for (const auto &[field, member] : prices)
        title.*member = catalogue.fieldFloat(QLatin1String(field));
    return title;
}

int ReadSubscribedTitle(int catalogueType, const QString &code, SubscribedTitle *title)
{
    const QString where = QStringLiteral(" where bkdh='") + SqlText(code) + QLatin1Char('\'');
    const QString sql = catalogueType == 0
        ? QStringLiteral("select * from post") + where
        : QStringLiteral("select * from nopost") + where + QStringLiteral(" and mllx=") + QString::number(catalogueType);
    db::Query row;
    const int found = OpenQuery(sql, row);
    if (found <= 0)
        return found;
    row.first();
    *title = TitleFromRow(row);
    return 1;
}

bool SamePricing(const SubscribedTitle &a, const SubscribedTitle &b)
{
    return a.qnj == b.qnj && a.dj == b.dj && a.yj == b.yj && a.jj == b.jj && a.bnj == b.bnj && a.kq == b.kq
        && a.cbrq == b.cbrq;
}

std::optional<StoredOrderLine> OrderLineFromRow(const db::Query &orders)
{
    if (!hasRow(orders))
        return std::nullopt;
    StoredOrderLine line;
    line.id = orders.fieldInt(QStringLiteral("id"));
    line.qdy = orders.fieldText(QStringLiteral("qdy"));
    line.zdy = orders.fieldText(QStringLiteral("zdy"));
    line.fs = orders.fieldText(QStringLiteral("fs"));
    if (!orders.isNull(QStringLiteral("ke")))
        line.ke = orders.fieldFloat(QStringLiteral("ke"));
    return line;
}
