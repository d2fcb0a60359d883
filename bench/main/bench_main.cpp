// Timings of the main window on a postal catalogue of 10,000 generated titles (offscreen):
//   start      constructing the window, opening the connection and showing it (show step included)
//   tab change back to the postal tab from another tab
//   search     a title search (报刊名称 with a fragment, 模糊 ticked)
//   locate     a quick locate of a code near the end of the catalogue
// Each figure is the median of several runs, printed with a baseline measured in the same run: the
// bare database work the action needs (the catalogue statement through OpenQuery for start, tab change
// and search; Query::locate alone for the locate), so the ratio shows what the window adds.
//
//   bench_main [--rows N]                 (default 10000)
//   bench_main --screenshot file.png      (the window on the demo database, no timings)

#include "CreateDatabase.h"

#include "data/Udm.h"
#include "main/CatalogueQueries.h"
#include "main/UbkMainFrm.h"
#include "platform/Application.h"
#include "platform/TestHooks.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TPickComboBox.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double timeMs(const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return double(timer.nsecsElapsed()) / 1e6;
}

double medianMs(int runs, const std::function<void()> &prepare, const std::function<void()> &action)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        times.push_back(timeMs(action));
    }
    return median(times);
}

void report(const char *what, double ms, double baselineMs, double targetMs)
{
    std::printf("%-12s %9.2f ms   baseline %8.2f ms   ratio %5.2f   target <= %4.0f ms  %s\n", what, ms, baselineMs,
                baselineMs > 0 ? ms / baselineMs : 0.0, targetMs, ms <= targetMs ? "ok" : "OVER");
}

// The window as the program starts it: created, connected (the login's part), shown.
TbkMainFrm *startWindow(const QString &database)
{
    auto *window = new TbkMainFrm();
    GP.DatabasePath = database;
    GP.ConnectionText = ConnectionTextFor(database);
    dm->ADOConnection.setConnectionString(GP.ConnectionText);
    dm->ADOConnection.open();
    window->show();
    QCoreApplication::processEvents();
    return window;
}

bool createDemo(const QString &path, int rows)
{
    bkdata::CreateOptions options;
    options.demo = true;
    options.demoPostalRows = rows;
    QString error;
    if (!bkdata::createDatabase(path, options, &error)) {
        std::fprintf(stderr, "cannot create the database: %s\n", qPrintable(error));
        return false;
    }
    return true;
}

int screenshot(const QString &database, const QString &file)
{
    TbkMainFrm *window = startWindow(database);
    window->brow->setFocus();
    QCoreApplication::processEvents();
    const bool saved = window->grab().save(file);
    std::printf("%s %s (%dx%d)\n", saved ? "saved" : "could not save", qPrintable(file), window->width(),
                window->height());
    delete window;
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    platform::TestHooks::install(); // a message box must never wait for a click here
    const QStringList args = app.arguments();
    int rows = 10000;
    if (const int i = int(args.indexOf(QStringLiteral("--rows"))); i > 0 && i + 1 < args.size())
        rows = args.at(i + 1).toInt();
    const int shot = int(args.indexOf(QStringLiteral("--screenshot")));

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("bkdata.mdb"));
    if (!createDemo(database, shot > 0 ? 0 : rows))
        return 1;
    dm = new Tdm;
    if (shot > 0 && shot + 1 < args.size())
        return screenshot(database, args.at(shot + 1));

    // Baseline: the postal catalogue statement alone.
    GP.ConnectionText = ConnectionTextFor(database);
    db::Query scratch;
    const QString all = CatalogueStatement(0, QString());
    OpenQuery(all, scratch); // warm the file cache
    const double loadMs = medianMs(5, [] {}, [&] { OpenQuery(all, scratch); });

    // Start: first start on a cold window.
    std::vector<double> starts;
    TbkMainFrm *window = nullptr; // the third start stays open for the measurements below
    for (int i = 0; i < 3; ++i) {
        starts.push_back(timeMs([&] { window = startWindow(database); }));
        if (i < 2) {
            window->close();
            delete window;
            dm->ADOConnection.close();
        } else {
            std::printf("postal catalogue: %d titles shown, status \"%s\"\n", window->ADO.recordCount(),
                        qPrintable(window->statusText()));
        }
    }
    report("start", median(starts), loadMs, 1000);

    // Tab change: from the non-postal tab back to the postal one.
    const double tabMs = medianMs(5, [&] { window->FTab->setTabIndex(1); }, [&] { window->FTab->setTabIndex(0); });
    report("tab change", tabMs, loadMs, 200);

    // Title search: a fragment that many generated titles contain.
    const QString fragment = QStringLiteral("日报1");
    const QString searchSql = CatalogueStatement(0, TitleCondition(fragment));
    const double searchBaseMs = medianMs(5, [] {}, [&] { OpenQuery(searchSql, scratch); });
    window->dhmcBox->setCurrentIndex(SearchByTitle);
    window->dhmcBoxChange();
    const double searchMs = medianMs(
        5, [&] { window->Edit1->setText(fragment); }, [&] { window->cxBtnClick(); });
    std::printf("search \"%s\": %d titles\n", qPrintable(fragment), window->ADO.recordCount());
    report("search", searchMs, searchBaseMs, 150);

    // Quick locate of a code near the end of the full catalogue.
    window->dhmcBox->setCurrentIndex(-1);
    window->dhmcBoxChange();
    window->cxBtnClick(); // the whole catalogue again
    window->dhmcBox->setCurrentIndex(SearchByCode);
    window->dhmcBoxChange();
    const QString target = QStringLiteral("%1-%2").arg(101 + (rows - 1) / 100).arg((rows - 1) % 100 + 1);
    OpenQuery(all, scratch);
    const double locateBaseMs = medianMs(
        5, [&] { scratch.first(); }, [&] { scratch.locate(QStringLiteral("bkdh"), target); });
    const double locateMs = medianMs(
        5, [&] { window->ADO.first(); window->Edit1->setText(target); }, [&] { window->locaBtnClick(); });
    std::printf("locate %s: row %d of %d\n", qPrintable(target), window->ADO.recNo(), window->ADO.recordCount());
    report("locate", locateMs, locateBaseMs, 20);

    for (const platform::ShownMessage &m : platform::TestHooks::messages())
        std::printf("message shown: %s: %s\n", qPrintable(m.caption), qPrintable(m.text));
    delete window;
    delete dm;
    dm = nullptr;
    return 0;
}
