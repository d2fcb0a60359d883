// What finding titles the way a clerk types them costs, on a postal catalogue of 10,000 titles made
// of real title words (place, subject, kind; with 国内统一刊号 and ISSN):
//   import       the rows written as the import writes them (delete and insert per row, bulk writing)
//   search data  computing and writing the readings of those titles afterwards (as the import's end
//                does), and its share of the import's time
//   search       查询 by initials and by full pinyin through the main window (offscreen), beside the
//                character search of the same titles
//   type-ahead   the grid narrowing for each key of "cqqnrb" and "shaonian" as typed
// Each figure is wall time with the process's CPU time beside it; searches are medians of 5 runs.
//
//   bench_search [--rows N]      (default 10000)

#include "../common/LoadTiming.h"

#include "CreateDatabase.h"

#include "catalogue/SearchData.h"
#include "data/Udm.h"
#include "main/CatalogueQueries.h"
#include "main/UbkMainFrm.h"
#include "platform/Application.h"
#include "platform/TestHooks.h"
#include "widgets/TPickComboBox.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

struct Cost {
    double wallMs = 0;
    double cpuMs = 0;
};

Cost measure(const std::function<void()> &action)
{
    QElapsedTimer wall;
    const std::clock_t cpu = std::clock();
    wall.start();
    action();
    return {ms(wall), double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC};
}

Cost medianCost(int runs, const std::function<void()> &action)
{
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < runs; ++i) {
        const Cost c = measure(action);
        walls.push_back(c.wallMs);
        cpus.push_back(c.cpuMs);
    }
    return {median(walls), median(cpus)};
}

void report(const char *what, const Cost &c, const Cost &baseline, double targetMs)
{
    std::printf("%-22s %8.2f ms (cpu %8.2f)   beside %8.2f ms (cpu %8.2f)   ratio %5.2f   target <= %5.0f ms  %s\n",
                what, c.wallMs, c.cpuMs, baseline.wallMs, baseline.cpuMs,
                baseline.wallMs > 0 ? c.wallMs / baseline.wallMs : 0.0, targetMs, c.wallMs <= targetMs ? "ok" : "OVER");
}

// Titles as catalogues have them: a place, a subject and a kind, each combination once.
QStringList titles(int count)
{
    const QStringList places = {"北京", "上海", "重庆", "长江", "长沙", "广州", "深圳", "天津", "南京", "杭州",
                                "武汉", "成都", "西安", "厦门", "青岛", "大连", "沈阳", "哈尔滨", "昆明", "贵州",
                                "中国", "华夏", "东方", "南方", "北方", "西部", "齐鲁", "燕赵", "江南", "岭南"};
    const QStringList subjects = {"青年", "少年", "经济", "科技", "音乐", "银行", "行政", "文艺", "教育", "法制",
                                  "健康", "体育", "电脑", "汽车", "旅游", "农业", "工人", "妇女", "老年", "证券",
                                  "IT", "地理", "医药", "建筑", "交通", "商业", "文化", "读书", "电影", "摄影",
                                  "家庭", "园艺", "美术", "书法"};
    const QStringList kinds = {"日报", "晚报", "周刊", "月刊", "杂志", "画报", "文摘", "导报", "时报", "周末", "研究"};
    QStringList result;
    for (const QString &kind : kinds)
        for (const QString &subject : subjects)
            for (const QString &place : places) {
                if (result.size() == count)
                    return result;
                result << place + subject + kind;
            }
    for (int i = 0; result.size() < count; ++i)
        result << QStringLiteral("综合报刊%1").arg(i);
    return result;
}

QStringList rowStatements(int i, const QString &title)
{
    const QString code = QStringLiteral("%1-%2").arg(1 + i / 100).arg(i % 100 + 1);
    return {QStringLiteral("delete from post where bkdh='%1'").arg(code),
            QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj,cn,issn,bkzl) values "
                           "('%1','%2','月刊','每月1日',120,10,'CN%3-%4/G','%5-%6','杂志')")
                .arg(code, SqlText(title))
                .arg(10 + i % 80)
                .arg(i, 4, 10, QLatin1Char('0'))
                .arg(1000 + i % 9000)
                .arg(i % 10000, 4, 10, QLatin1Char('0'))};
}

} // namespace

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    platform::TestHooks::install();
    const QStringList args = app.arguments();
    int rows = 10000;
    if (const int i = int(args.indexOf(QStringLiteral("--rows"))); i > 0 && i + 1 < args.size())
        rows = args.at(i + 1).toInt();

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("bkdata.mdb"));
    QString error;
    if (!bkdata::createDatabase(database, {}, &error))
        qFatal("cannot create the database: %s", qPrintable(error));
    dm = new Tdm;
    GP.DatabasePath = database;
    GP.ConnectionText = ConnectionTextFor(database);
    dm->ADOConnection.setConnectionString(GP.ConnectionText);
    dm->ADOConnection.open();

    const QStringList names = titles(rows);
    const Cost import = measure([&] {
        dm->ADOConnection.setBulkWriting(true);
        for (int i = 0; i < rows; ++i)
            if (!ExecSqlBatch(rowStatements(i, names.at(i))))
                qFatal("import failed: %s", qPrintable(GP.LastError));
        dm->ADOConnection.setBulkWriting(false);
    });
    int added = 0;
    const Cost searchData = measure([&] {
        if (!RefreshSearchData(false, &added))
            qFatal("search data failed: %s", qPrintable(GP.LastError));
    });
    std::printf("%d titles imported; search data for %d texts (titles, cn and ISSN)\n", rows, added);
    std::printf("%-22s %8.2f ms (cpu %8.2f)\n", "import", import.wallMs, import.cpuMs);
    std::printf("%-22s %8.2f ms (cpu %8.2f)   share of the import %5.1f %%   target <= 15 %%  %s\n", "search data",
                searchData.wallMs, searchData.cpuMs, 100.0 * searchData.wallMs / import.wallMs,
                searchData.wallMs <= 0.15 * import.wallMs ? "ok" : "OVER");
    const Cost login = measure([] { RefreshSearchData(true); });
    std::printf("%-22s %8.2f ms (cpu %8.2f)   (a login's check when nothing is missing)\n", "login refresh",
                login.wallMs, login.cpuMs);

    auto *window = new TbkMainFrm();
    window->show();
    QCoreApplication::processEvents();
    window->dhmcBox->setCurrentIndex(SearchByTitle);
    window->dhmcBoxChange();
    const auto search = [&](const QString &text) {
        window->Edit1->setText(text);
        return medianCost(5, [&] { window->cxBtnClick(); });
    };
    const Cost byCharacters = search(QStringLiteral("重庆"));
    const int characterRows = window->ADO.recordCount();
    const Cost byInitials = search(QStringLiteral("cq"));
    std::printf("\"重庆\" finds %d titles, \"cq\" %d\n", characterRows, window->ADO.recordCount());
    report("search initials", byInitials, byCharacters, 30);
    const Cost byCharacters2 = search(QStringLiteral("少年文摘"));
    const int characterRows2 = window->ADO.recordCount();
    const Cost bySpelling = search(QStringLiteral("shaonianwenzhai"));
    std::printf("\"少年文摘\" finds %d titles, \"shaonianwenzhai\" %d\n", characterRows2, window->ADO.recordCount());
    report("search pinyin", bySpelling, byCharacters2, 30);

    for (const QString &typed : {QStringLiteral("cqqnrb"), QStringLiteral("shaonian")}) {
        std::vector<double> walls;
        std::vector<double> cpus;
        double worst = 0;
        for (int k = 1; k <= typed.size(); ++k) {
            window->Edit1->setText(typed.left(k));
            const Cost c = measure([&] { window->TypeAheadSearch(); });
            std::printf("  type-ahead \"%s\": %5d titles  %7.2f ms (cpu %7.2f)\n", qPrintable(typed.left(k)),
                        window->ADO.active() ? window->ADO.recordCount() : 0, c.wallMs, c.cpuMs);
            walls.push_back(c.wallMs);
            cpus.push_back(c.cpuMs);
            worst = qMax(worst, c.wallMs);
        }
        std::printf("%-22s %8.2f ms (cpu %8.2f) median per key, worst %.2f ms   target <= 50 ms per key  %s\n",
                    qPrintable(QStringLiteral("type-ahead ") + typed), median(walls), median(cpus), worst,
                    worst <= 50 ? "ok" : "OVER");
    }
    for (const platform::ShownMessage &m : platform::TestHooks::messages())
        std::printf("message shown: %s\n", qPrintable(m.text));
    delete window;
    delete dm;
    dm = nullptr;
    return 0;
}
