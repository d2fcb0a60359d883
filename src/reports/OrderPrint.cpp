#include "reports/OrderPrint.h"

#include "data/Udm.h"

namespace {

const Qt::Alignment Right = Qt::AlignRight;
const Qt::Alignment Centre = Qt::AlignHCenter;

QString money(double value)
{
    return QString::number(value, 'f', 2);
}

QString orEverything(const QString &choice)
{
    return choice.isEmpty() ? QStringLiteral("全部") : choice;
}

} // namespace

QString UnitOrdersSql(qint32 unitId, int catalogueType)
{
    // A code is unique only within its catalogue type: the titles joined are those of the type.
    const QString table = catalogueType == 0 ? QStringLiteral("post")
                                             : QStringLiteral("nopost where mllx=") + QString::number(catalogueType);
    return QStringLiteral("select torder.*,a.bkmc,a.qnj from  torder left join (select bkdh,bkmc,qnj from ") + table
           + QStringLiteral(" group by bkdh,bkmc,qnj) as a on torder.bkdh=a.bkdh ") + QStringLiteral("where dwid=")
           + QString::number(unitId) + QStringLiteral(" and torder.mllx=") + QString::number(catalogueType)
           + QStringLiteral(" order by joindate");
}

bool BuildUnitOrdersDocument(const UnitOrdersContext &context, PrintDocument &document)
{
    document = PrintDocument();
    document.officeLine = OfficeLineText();
    document.heading = QStringLiteral("报刊订阅单");
    document.headerLines = {
        QStringLiteral("单位名称：") + context.unitName + QStringLiteral("\t处理年度：") + QString::number(context.workYear),
        QStringLiteral("联系人：") + context.contact + QStringLiteral("\t电话：") + context.phone,
        QStringLiteral("目录类型：") + context.typeCaption,
    };
    document.columns = {{QStringLiteral("报刊代号"), 80, Qt::AlignLeft}, {QStringLiteral("报刊名称"), 250, Qt::AlignLeft},
                        {QStringLiteral("年价"), 70, Right},         {QStringLiteral("起订月"), 60, Centre},
                        {QStringLiteral("止订月"), 60, Centre},      {QStringLiteral("份数"), 60, Right},
                        {QStringLiteral("款额"), 90, Right}};
    document.printed = context.printed;

    db::Query lines;
    const int rows = OpenQuery(UnitOrdersSql(context.unitId, context.catalogueType), lines);
    if (rows < 0)
        return false;
    double total = 0;
    qint64 copies = 0;
    for (lines.first(); rows > 0 && !lines.eof(); lines.next()) {
        const double amount = lines.fieldFloat(QStringLiteral("ke"));
        total += amount;
        copies += lines.fieldInt(QStringLiteral("fs"));
        document.rows.append({lines.fieldText(QStringLiteral("bkdh")), lines.fieldText(QStringLiteral("bkmc")),
                              lines.isNull(QStringLiteral("qnj")) ? QString() : money(lines.fieldFloat(QStringLiteral("qnj"))),
                              lines.fieldText(QStringLiteral("qdy")), lines.fieldText(QStringLiteral("zdy")),
                              lines.fieldText(QStringLiteral("fs")), money(amount)});
    }
    document.totalRow = {QStringLiteral("合计"), QStringLiteral("共%1条").arg(rows > 0 ? rows : 0), QString(),
                         QString(), QString(), QString::number(copies), money(total)};
    return true;
}

PrintDocument SummaryDocument(const SummaryPrintContext &context, const QVector<SummaryLine> &lines,
                              const SummaryTotals &totals)
{
    PrintDocument document;
    document.officeLine = OfficeLineText();
    document.heading = QStringLiteral("报刊订阅汇总");
    document.headerLines = {
        QStringLiteral("目录类型：") + context.typeCaption + QStringLiteral("\t处理年度：") + QString::number(context.workYear),
        QStringLiteral("刊期：") + orEverything(context.filter.period) + QStringLiteral("\t类别：")
            + orEverything(context.filter.kind),
    };
    document.columns = {{QStringLiteral("报刊代号"), 70, Qt::AlignLeft}, {QStringLiteral("报刊名称"), 220, Qt::AlignLeft},
                        {QStringLiteral("刊期"), 60, Centre},        {QStringLiteral("订阅期限"), 70, Centre},
                        {QStringLiteral("起止月"), 60, Centre},      {QStringLiteral("单位数"), 55, Right},
                        {QStringLiteral("总份数"), 65, Right},       {QStringLiteral("总款额"), 90, Right}};
    document.printed = context.printed;
    for (const SummaryLine &l : lines)
        document.rows.append({l.bkdh, l.bkmc, l.kq, TermText(l.qdy, l.zdy),
                              QString::number(l.qdy) + QLatin1Char('-') + QString::number(l.zdy),
                              QString::number(l.units), QString::number(l.copies), money(l.amount)});
    document.totalRow = {QStringLiteral("合计"), QStringLiteral("共%1种").arg(totals.titles), QString(), QString(),
                         QString(), QString::number(totals.units), QString::number(totals.copies), money(totals.amount)};
    return document;
}
