#pragma once
// Shared pieces of the grid export tests: sample rows in the order table, a grid over them shaped like
// the order export's, reading a written workbook back, and a spreadsheet factory that records starts.

#include "TestDatabase.h"
#include "data/Udm.h"
#include "sheet/Registry.h"
#include "widgets/TDataGrid.h"
#include "widgets/TDataSource.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>
#include <optional>

struct SampleRow {
    QString code;   // bkdh
    QString name;   // kept in kq, shown as 报刊名称
    int copies = 0; // fs
    double amount = 0; // ke
};

// Adds the rows to torder (unit 1, type 0) in order.
void InsertRows(const QVector<SampleRow> &rows);
// `count` rows "1-1", "1-2", ... with 2 copies and 1.25 each.
QVector<SampleRow> NumberedRows(int count);

// bkdh "报刊代号" (footer "合计"), kq "报刊名称", fs "份数" (sum), ke "款额" ("0.00", sum).
QVector<TColumn> SampleColumns();

// A query over torder bound to a grid through a data source, the grid holding SampleColumns.
class GridFixture {
public:
    GridFixture();
    void open(const QString &sql = defaultSql()); // QFAIL-free: check query.active() afterwards
    static QString defaultSql();

    db::Query query;
    TDataSource source;
    TDataGrid grid;
};

// A fresh database holding `rows`, and a grid opened over them.
class ExportScene {
public:
    explicit ExportScene(const QVector<SampleRow> &rows = {});
    bool ok() const { return tdb.ok() && f.query.active(); }

    TestDatabase tdb;
    GridFixture f;
};

// A workbook file read back through an application of its own (never the one an export finds running).
class ReadBack {
public:
    explicit ReadBack(const QString &fileName);
    ~ReadBack();
    sheet::Workbook &book() { return *m_book; }
    sheet::Worksheet sheet(int index) { return m_book->Sheets().Item(index); }
    QStringList sheetNames();
    // The cell's text as the sheet shows it ("" for empty).
    QString text(int sheetIndex, int row, int column);

private:
    std::shared_ptr<sheet::Application> m_app;
    std::optional<sheet::Workbook> m_book;
};

// Hands out in-process applications and remembers them; `failStart` makes every start fail, and
// `running` is what "get the running one" answers (nullptr: none is running).
class RecordingFactory : public sheet::ApplicationFactory {
public:
    std::shared_ptr<sheet::Application> getRunning(const QString &progId) override;
    std::shared_ptr<sheet::Application> createNew(const QString &progId) override;

    bool failStart = false;
    std::shared_ptr<sheet::Application> running;
    QStringList asked;                                      // "running:<id>" / "create:<id>"
    std::vector<std::shared_ptr<sheet::Application>> made;
    QStringList windowsAtStart;                             // top-level windows' label texts at start
};

// The label texts of the visible top-level windows.
QStringList VisibleWindowTexts();
