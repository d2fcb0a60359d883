// The content of a grid export computed from columns and a query alone, without any grid widget:
// titles, sheet widths, rows, and the footer with the sums of all records.

#include "ExportTestSupport.h"

#include "export/ExportContent.h"

#include <QtTest>

class ExportContentTest : public QObject {
    Q_OBJECT

private slots:
    void contentOfTheSampleColumns()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        InsertRows({{"1-1", "晨光日报", 2, 396}, {"1-2", "江城晚报", 1, 30.125}, {"4-3", "园艺月刊", 3, 18.5}});
        db::Query query;
        QVERIFY(OpenQuery(GridFixture::defaultSql(), query) == 3);
        const ExportContent content = ComputeExportContent(SampleColumns(), query);
        QCOMPARE(content.titles, QStringList({"报刊代号", "报刊名称", "份数", "款额"}));
        QCOMPARE(content.widths, QVector<int>({11, 33, 13, 10}));
        QCOMPARE(content.rows.size(), 3);
        QCOMPARE(content.rows.at(1), QStringList({"1-2", "江城晚报", "1", "30.125"}));
        QCOMPARE(content.footer.size(), 4);
        QCOMPARE(content.footer.at(0).kind, ExportFooterCell::Kind::Text);
        QCOMPARE(content.footer.at(0).text, QString("合计"));
        QCOMPARE(content.footer.at(1).kind, ExportFooterCell::Kind::Untouched);
        QCOMPARE(content.footer.at(2).kind, ExportFooterCell::Kind::Whole);
        QCOMPARE(content.footer.at(2).whole, qint64(6));
        // A formatted sum is written in general form, not rounded to the format.
        QCOMPARE(content.footer.at(3).kind, ExportFooterCell::Kind::Text);
        QCOMPARE(content.footer.at(3).text, QString("444.625"));
    }

    // Hidden columns are left out everywhere, and a sum is that of its own column even when a hidden
    // column's sum comes before it; an unformatted sum is rounded up; a single sum footer (not a list)
    // writes nothing, as the grid's footer row of the export shows it.
    void hiddenColumnsAndRounding()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        InsertRows({{"1-1", "甲", 2, 10.25}, {"1-2", "乙", 1, 0.5}});
        QVector<TColumn> columns = SampleColumns();
        columns[2].Visible = false;           // 份数 hidden, its sum first in the list
        columns[3].DisplayFormat.clear();      // 款额 without a format: rounded up
        TColumn single = MakeColumn("fs", "份数二", 60);
        single.Footer.ValueType = TFooterValueType::ftSum;
        columns << single;
        db::Query query;
        QVERIFY(OpenQuery(GridFixture::defaultSql(), query) == 2);
        const ExportContent content = ComputeExportContent(columns, query);
        QCOMPARE(content.titles, QStringList({"报刊代号", "报刊名称", "款额", "份数二"}));
        QCOMPARE(content.rows.at(0), QStringList({"1-1", "甲", "10.25", "2"}));
        QCOMPARE(content.footer.at(2).kind, ExportFooterCell::Kind::Whole);
        QCOMPARE(content.footer.at(2).whole, qint64(11));
        QCOMPARE(content.footer.at(3).kind, ExportFooterCell::Kind::Untouched);
        // The query was walked to its end.
        QVERIFY(query.eof());
    }
};

int runExportContentTest(int argc, char **argv)
{
    ExportContentTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_export_content.moc"
