// The data grid over a real query object: model consistency, following the current row both ways,
// empty grid when detached or closed, footers with running sums, and the paint hook.

#include "TestDatabase.h"
#include "WidgetTests.h"

#include "data/Udm.h"
#include "widgets/DisplayFormat.h"
#include "widgets/GridFooter.h"
#include "widgets/GridHeaders.h"
#include "widgets/TDataGrid.h"
#include "widgets/TDataGridModel.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QtTest>

namespace {

// Five order lines whose amounts do not add up exactly in binary floating point.
void fillOrders()
{
    const QStringList rows = {
        "(1,0,'1-1','月刊',1,12,2,0.1)", "(1,0,'1-2','月刊',1,12,1,0.2)", "(1,0,'1-3','月刊',1,6,3,12.345)",
        "(1,0,'1-4','月刊',7,12,1,NULL)", "(1,0,'1-5','月刊',1,3,5,100.00005)",
    };
    for (const QString &row : rows)
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values " + row));
}

QVector<TColumn> orderColumns()
{
    TColumn code = MakeColumn("bkdh", "报刊代号", 80);
    code.Footer.ValueType = TFooterValueType::ftStaticText;
    code.Footer.Value = "合计";
    TColumn copies = MakeColumn("fs", "份数", 60);
    copies.Footers = {TColumnFooter{TFooterValueType::ftSum, {}, {}, {}}};
    TColumn amount = MakeColumn("ke", "款额", 90, std::nullopt, "0.00");
    amount.Footer.ValueType = TFooterValueType::ftSum;
    return {code, MakeColumn("kq", "刊期|期", 50, Qt::AlignHCenter), copies, amount,
            MakeColumn("missing", "无此字段", 40)};
}

// A query on the order lines and a grid with the order columns; the grid is bound unless told not to.
struct Scene {
    db::Query query;
    TDataSource source{nullptr, &query};
    TDataGrid grid;

    explicit Scene(const QString &sql = "select * from torder order by id", bool open = true, bool bind = true)
    {
        query.setConnection(&dm->ADOConnection);
        query.setSql(sql);
        if (open)
            query.open();
        grid.setColumns(orderColumns());
        if (bind)
            grid.setDataSource(&source);
    }
};

QColor pixelAt(QWidget *w, const QPoint &p)
{
    return w->grab().toImage().pixelColor(p);
}

} // namespace

class GridTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;

private slots:
    void init()
    {
        m_db.reset(new TestDatabase());
        QVERIFY(m_db->ok());
        fillOrders();
    }
    void cleanup() { m_db.reset(); }

    void formatsNumbers()
    {
        QCOMPARE(FormatFloat("0.00", 2.675), QString("2.68"));
        QCOMPARE(FormatFloat("0.00", 0.1 + 0.2), QString("0.30"));
        QCOMPARE(FormatFloat("0.00", -1.005), QString("-1.01"));
        QCOMPARE(FormatFloat("0.00", -0.001), QString("0.00"));
        QCOMPARE(FormatFloat("0.00", 1234567.5), QString("1234567.50"));
        QCOMPARE(FormatFloat("#,##0.00", 1234567.5), QString("1,234,567.50"));
        QCOMPARE(FormatFloat("0.##", 3.1), QString("3.1"));
        QCOMPARE(FormatFloat("0", 9.5), QString("10"));
        QCOMPARE(FormatFloat("0.00", 0.0), QString("0.00"));
        QCOMPARE(FormatFloat("", 12.5), QString("12.5"));
        QCOMPARE(FormatFloat("0.00元", 3), QString("3.00元"));
        QCOMPARE(FormatValue("0.00", QVariant(), true), QString());
        QCOMPARE(FormatValue("0.00", QVariant("abc"), false), QString("abc"));
        QCOMPARE(FormatValue("0.00", QVariant(qint64(7)), true), QString("7.00"));
    }

    void modelStaysConsistent()
    {
        Scene scene(QString("select * from torder order by id"), false, false);
        db::Query &query = scene.query;
        TDataSource &source = scene.source;
        TDataGrid &grid = scene.grid;
        QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setDataSource(&source);
        QCOMPARE(grid.model()->rowCount(), 0); // closed query
        query.open();
        QCOMPARE(grid.model()->rowCount(), 5);
        QCOMPARE(grid.model()->columnCount(), 5);
        QCOMPARE(grid.cellText(2, 3), QString("12.35"));
        QCOMPARE(grid.cellText(3, 3), QString()); // NULL
        QCOMPARE(grid.cellText(0, 4), QString()); // a column without a field
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QString("刊期\n期"));
        QCOMPARE(grid.model()->data(grid.model()->index(0, 3), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignRight));
        QCOMPARE(grid.model()->data(grid.model()->index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignLeft));

        // Rows that change while the controls are disabled reach the grid once they are enabled.
        query.disableControls();
        query.setSql("select * from torder where id<=2");
        query.open();
        QCOMPARE(grid.model()->rowCount(), 5);
        QCOMPARE(grid.cellText(4, 0), QString()); // never a stale or out-of-range read
        query.enableControls();
        QCOMPARE(grid.model()->rowCount(), 2);

        // An edit posted in place shows at once.
        query.setSql("select * from torder order by id");
        query.open();
        query.setRecNo(2);
        query.setFieldValue("ke", 5.5);
        query.post();
        QCOMPARE(grid.cellText(1, 3), QString("5.50"));

        source.setDataSet(nullptr);
        QCOMPARE(grid.model()->rowCount(), 0);
        source.setDataSet(&query);
        QCOMPARE(grid.model()->rowCount(), 5);
        query.close();
        QCOMPARE(grid.model()->rowCount(), 0);
    }

    void followsTheCurrentRowBothWays()
    {
        Scene scene;
        db::Query &query = scene.query;
        TDataGrid &grid = scene.grid;
        int scrolls = 0;
        query.afterScroll = [&] { ++scrolls; };
        grid.resize(400, 200);
        grid.show();
        QCOMPARE(grid.currentIndex().row(), 0);
        QCOMPARE(grid.indicator()->currentRow(), 0);

        query.setRecNo(4);
        QCOMPARE(grid.currentIndex().row(), 3);
        QCOMPARE(grid.indicator()->currentRow(), 3);
        QVERIFY(grid.selectionModel()->isRowSelected(3, QModelIndex()));

        scrolls = 0;
        const QRect second = grid.visualRect(grid.model()->index(1, 0));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(query.recNo(), 2);
        QCOMPARE(scrolls, 1);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(query.recNo(), 3);

        QVERIFY(query.locate("bkdh", "1-5"));
        QCOMPARE(grid.currentIndex().row(), 4);
        query.close();
        QVERIFY(!grid.currentIndex().isValid());
        QCOMPARE(grid.indicator()->currentRow(), -1);
    }

    void showsTheLastRowAboveTheFooter()
    {
        for (int i = 0; i < 40; ++i)
            QVERIFY(ExecSql(QString("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) values (2,0,'9-%1',1,12,1,1)").arg(i)));
        Scene scene("select * from torder where dwid=2 order by id");
        db::Query &query = scene.query;
        TDataGrid &grid = scene.grid;
        grid.setFooterRowCount(1);
        grid.resize(400, 250);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(grid.footer()->isVisible());
        QCOMPARE(grid.footer()->geometry().top(), grid.viewport()->geometry().bottom() + 1);
        query.last();
        const QRect last = grid.visualRect(grid.model()->index(39, 0));
        QVERIFY2(last.bottom() < grid.viewport()->height(), "the last row is hidden behind the footer");
        QCOMPARE(grid.verticalScrollBar()->value(), grid.verticalScrollBar()->maximum());
    }

    void footerKeepsRunningSums()
    {
        Scene scene(QString("select * from torder order by id"), false);
        db::Query &query = scene.query;
        TDataGrid &grid = scene.grid;
        grid.setFooterRowCount(1);
        QCOMPARE(grid.SumList().count(), 2);
        QCOMPARE(grid.SumList().item(0), 0);
        QCOMPARE(grid.footerText(0), QString("合计"));

        query.open();
        // Item 0 is the footer list of 份数, item 1 the footer of 款额, in column order.
        QCOMPARE(grid.SumList().item(0), qint64(12 * 10000));
        // 0.1 + 0.2 + 12.345 + 100.00005 in four decimals: 112.6450 (100.00005 taken as 100.0000 or 100.0001).
        QVERIFY(grid.SumList().item(1) == 1126450 || grid.SumList().item(1) == 1126451);
        QCOMPARE(grid.footerText(3), QString("112.65"));
        QCOMPARE(grid.footerText(2), QString("12"));
        QCOMPARE(grid.footerText(1), QString());
        QCOMPARE(grid.footerText(0, 1), QString()); // there is one footer row

        query.setRecNo(1);
        query.setFieldValue("ke", 1000.0);
        query.post();
        QCOMPARE(grid.footerText(3), QString("1112.55"));

        query.setSql("select * from torder where id=3");
        query.open();
        QCOMPARE(grid.footerText(3), QString("12.35"));
        query.close();
        QCOMPARE(grid.footerText(3), QString("0.00"));

        grid.setSumListActive(false);
        QCOMPARE(grid.SumList().count(), 0);
        QCOMPARE(grid.footerText(3), QString());
        QCOMPARE(TSumList::toFixed(-12.25), qint64(-122500));
    }

    void paintHookColoursCells()
    {
        Scene scene;
        TDataGrid &grid = scene.grid;
        grid.resize(400, 200);
        QList<int> seenRows;
        bool sawSelected = false;
        grid.OnDrawColumnCell = [&](TDrawCellArgs &a) {
            seenRows << a.row;
            sawSelected = sawSelected || (a.selected && a.row == 0);
            if (a.row == 2 && !a.selected)
                a.background = QColor(Qt::green);
            if (a.row == 3)
                a.defaultDrawing = false;
        };
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const QRect third = grid.visualRect(grid.model()->index(2, 0));
        const QPoint at = grid.viewport()->mapTo(&grid, third.center() + QPoint(third.width() / 2 - 3, 0));
        QCOMPARE(pixelAt(&grid, at), QColor(Qt::green));
        const QRect second = grid.visualRect(grid.model()->index(1, 0));
        const QPoint at2 = grid.viewport()->mapTo(&grid, second.center() + QPoint(second.width() / 2 - 3, 0));
        QCOMPARE(pixelAt(&grid, at2), grid.palette().color(QPalette::Base));
        QVERIFY(seenRows.contains(4));
        QVERIFY(sawSelected);
    }

    void titlesWrapOntoSeveralLines()
    {
        TDataGrid grid;
        grid.setColumns({MakeColumn("a", "国内统一刊号", 30), MakeColumn("b", "年价", 80)});
        const int oneLine = grid.fontMetrics().height();
        QVERIFY(grid.horizontalHeader()->height() > 2 * oneLine);
        grid.horizontalHeader()->resizeSection(0, 200);
        QVERIFY(grid.horizontalHeader()->height() < 2 * oneLine);
        grid.setColumnVisible(0, false);
        QVERIFY(grid.isColumnHidden(0));
        QVERIFY(!grid.gridColumn(0).Visible);
        QCOMPARE(grid.gridColumn(0).Width, 200); // a resized column keeps its width
    }
};

int runGridTest(int argc, char **argv)
{
    GridTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "GridTest.moc"
