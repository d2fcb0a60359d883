#include "orders/SubscriptionContext.h"

#include "db/Query.h"

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
    const auto text = [&catalogue](const char *field) { return catalogue.fieldText(QLatin1String(field)); };
    const auto price = [&catalogue](const char *field) { return catalogue.fieldFloat(QLatin1String(field)); };
    title.bkdh = text("bkdh");
    title.bkmc = text("bkmc");
    title.kq = text("kq");
    title.cbrq = text("cbrq");
    title.bkfl = text("bkfl");
    title.bkjb = text("bkjb");
    title.cn = text("cn");
    title.issn = text("issn");
    title.qnj = price("qnj");
    title.dj = price("dj");
    title.yj = price("yj");
    title.jj = price("jj");
    title.bnj = price("bnj");
    return title;
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
