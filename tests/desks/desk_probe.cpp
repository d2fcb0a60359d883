// One desk for the multi-desk tests, working on the database that a path names (a file, or a
// settings file describing a server) with the program's own statements:
//   desk_probe orders PATH DESK COUNT UNIT...   enters COUNT order lines, cycling through the units and
//                                               the demo titles; prints "unit copies" per unit at the end,
//                                               then "latency MEDIAN WORST" (milliseconds of one save) and
//                                               "span FIRST LAST" (clock milliseconds of the first save's
//                                               start and the last one's end)
//   desk_probe import PATH COUNT                imports COUNT postal titles one entry at a time, as the
//                                               catalogue import does; prints "imported N" after each
//   desk_probe desk PATH                        a clerk at the order grid, driven line by line on stdin:
//                                                 look UNIT CODE  loads the unit's postal lines as the main
//                                                                 window does; prints "saw N" (lines of the
//                                                                 code in the grid) and "ask" or "no-ask",
//                                                                 whether 订阅报刊 asks before a new line
//                                                 add UNIT CODE   writes a line as the subscription dialog
//                                                                 does; prints "written", "refused" or
//                                                                 "failed <LastError>"
//                                                 unit NAME -     adds a unit as the unit window does (only
//                                                                 while no unit carries the name); prints
//                                                                 the same words
//                                               and ends at the end of stdin
//   desk_probe reprice PATH CODE ROUNDS         imports the postal title CODE ROUNDS times, its name and
//                                               prices alternating between the old set (even rounds) and
//                                               the new one; prints "imported N" after each
// Exit code 0 when everything was written, 1 with the LastError text on stderr otherwise.

#include "DeskWrites.h"

#include "catalogue/CatalogueImport.h"
#include "data/Udm.h"
#include "main/CatalogueQueries.h"
#include "orders/GuardedWrite.h"
#include "orders/OrderLineStatements.h"
#include "orders/UnitStatements.h"
#include "sheet/CellValue.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMap>

#include <algorithm>
#include <vector>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

int fail(const char *what, int at)
{
    std::fprintf(stderr, "%s %d: %s\n", what, at, qPrintable(GP.LastError));
    return 1;
}

int enterOrders(int desk, int count, const QList<int> &units)
{
    const QStringList codes{"1-1", "1-2", "1-9", "3-1", "2-1", "4-2"};
    QMap<int, qint64> copies;
    std::vector<double> latencies;
    const qint64 first = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        NewOrderLine line;
        line.unitId = units.at(i % units.size());
        line.code = codes.at((i + desk) % codes.size());
        line.period = QStringLiteral("月刊");
        line.copies = 1 + (i + desk) % 4;
        line.amount = 12.5 * line.copies;
        // as the subscription dialog writes it: only while the unit is still there
        const GuardedWriteResult written =
            GuardedWrite(QStringLiteral("select id from dwinfo where id=") + QString::number(line.unitId),
                         [](const db::Query &unit) { return !unit.isEmpty(); }, OrderInsertSql(line));
        if (written != GuardedWriteResult::Written)
            return fail("order line", i);
        latencies.push_back(timer.nsecsElapsed() / 1e6);
        copies[line.unitId] += line.copies;
    }
    for (auto it = copies.cbegin(); it != copies.cend(); ++it)
        std::printf("%d %lld\n", it.key(), static_cast<long long>(it.value()));
    const qint64 last = QDateTime::currentMSecsSinceEpoch();
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty())
        std::printf("latency %.2f %.2f\nspan %lld %lld\n", latencies.at(latencies.size() / 2), latencies.back(),
                    static_cast<long long>(first), static_cast<long long>(last));
    return 0;
}

int importTitles(int count)
{
    const QStringList headers{"bkdh", "bkmc", "kq", "cbrq", "qnj", "dj", "bkzl"};
    const QString head = ImportInsertHead(QStringLiteral("post"), headers);
    for (int i = 0; i < count; ++i) {
        const QVector<sheet::CellValue> cells{
            sheet::CellValue::text(QStringLiteral("%1-%2").arg(1 + i / 100).arg(i % 100 + 1)),
            sheet::CellValue::text(QStringLiteral("导入报刊%1").arg(i)),
            sheet::CellValue::text(QStringLiteral("月刊")),
            sheet::CellValue::text(QStringLiteral("每月的10号出版")),
            sheet::CellValue::number(96),
            sheet::CellValue::number(8),
            sheet::CellValue::text(QStringLiteral("杂志")),
        };
        const ImportRowStatements row = BuildImportRow(QStringLiteral("post"), head, headers, cells);
        if (!ExecSqlBatch(row.statements))
            return fail("import entry", i);
        std::printf("imported %d\n", i + 1);
        std::fflush(stdout);
    }
    return 0;
}

void report(GuardedWriteResult written)
{
    if (written == GuardedWriteResult::Written)
        std::printf("written\n");
    else if (written == GuardedWriteResult::Refused)
        std::printf("refused\n");
    else
        std::printf("failed %s\n", GP.LastError.toUtf8().constData());
}

int deskAtTheGrid()
{
    db::Query grid; // the main window's order grid
    std::string input;
    while (std::getline(std::cin, input)) {
        const QStringList words = QString::fromStdString(input).split(' ', Qt::SkipEmptyParts);
        if (words.size() != 3)
            continue;
        const int unit = words.at(1).toInt();
        const QString &code = words.at(2);
        if (words.at(0) == QLatin1String("unit")) {
            const QString name = words.at(1);
            report(GuardedWrite(UnitNamesSql, [&](const db::Query &units) { return !UnitNameTaken(units, name, 0); },
                                UnitInsertSql(name, QString(), QString())));
        } else if (words.at(0) == QLatin1String("look")) {
            if (OpenQuery(OrdersStatement(0, unit), grid) < 0)
                return fail("look", unit);
            int seen = 0;
            for (grid.first(); !grid.eof(); grid.next())
                seen += grid.fieldText(QStringLiteral("bkdh")) == code ? 1 : 0;
            // 订阅报刊 asks when the grid finds a line of the code
            const bool asks = grid.active() && grid.locate(QStringLiteral("bkdh"), code);
            std::printf("saw %d %s\n", seen, asks ? "ask" : "no-ask");
        } else if (words.at(0) == QLatin1String("add")) {
            report(subscribe(unit, code));
        }
        std::fflush(stdout);
    }
    return 0;
}

int repriceTitle(const QString &code, int rounds)
{
    const QStringList headers{"bkdh", "bkmc", "kq", "cbrq", "qnj", "bnj", "jj", "yj", "dj", "bkzl"};
    const QString head = ImportInsertHead(QStringLiteral("post"), headers);
    for (int i = 0; i < rounds; ++i) {
        const bool old = i % 2 == 0;
        const QVector<sheet::CellValue> cells{
            sheet::CellValue::text(code),
            sheet::CellValue::text(old ? QStringLiteral("旧价报刊") : QStringLiteral("新价报刊")),
            sheet::CellValue::text(QStringLiteral("月刊")),
            sheet::CellValue::text(QStringLiteral("每月的10号出版")),
            sheet::CellValue::number(old ? 96 : 120),
            sheet::CellValue::number(old ? 48 : 60),
            sheet::CellValue::number(old ? 24 : 30),
            sheet::CellValue::number(old ? 8 : 10),
            sheet::CellValue::number(old ? 8 : 10),
            sheet::CellValue::text(old ? QStringLiteral("杂志") : QStringLiteral("报纸")),
        };
        const ImportRowStatements row = BuildImportRow(QStringLiteral("post"), head, headers, cells);
        if (!ExecSqlBatch(row.statements))
            return fail("import round", i);
        std::printf("imported %d\n", i + 1);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    dm = new Tdm;
    GP.DatabasePath = args.at(2);
    GP.ConnectionText = ConnectionTextFor(GP.DatabasePath);
    GP.WorkYear = 2010;
    int result = 2;
    if (args.at(1) == QLatin1String("orders") && args.size() >= 6) {
        QList<int> units;
        for (int i = 5; i < args.size(); ++i)
            units << args.at(i).toInt();
        result = enterOrders(args.at(3).toInt(), args.at(4).toInt(), units);
    } else if (args.at(1) == QLatin1String("import") && args.size() >= 4) {
        result = importTitles(args.at(3).toInt());
    } else if (args.at(1) == QLatin1String("desk")) {
        result = deskAtTheGrid();
    } else if (args.at(1) == QLatin1String("reprice") && args.size() >= 5) {
        result = repriceTitle(args.at(3), args.at(4).toInt());
    }
    delete dm;
    return result;
}
