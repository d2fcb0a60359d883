#include "ExportTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

void InsertRows(const QVector<SampleRow> &rows)
{
    QStringList sqls;
    for (const SampleRow &row : rows)
        sqls << QStringLiteral("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,0,'%1','%2',1,12,%3,%4)")
                    .arg(SqlText(row.code), SqlText(row.name))
                    .arg(row.copies)
                    .arg(row.amount, 0, 'g', 17);
    QVERIFY2(ExecSqlBatch(sqls), qPrintable(GP.LastError));
}

QVector<SampleRow> NumberedRows(int count)
{
    QVector<SampleRow> rows;
    for (int i = 1; i <= count; ++i)
        rows << SampleRow{QStringLiteral("1-%1").arg(i), QStringLiteral("刊物%1").arg(i), 2, 1.25};
    return rows;
}

QVector<TColumn> SampleColumns()
{
    TColumn code = MakeColumn(QStringLiteral("bkdh"), QStringLiteral("报刊代号"), 70);
    code.Footer.ValueType = TFooterValueType::ftStaticText;
    code.Footer.Value = QStringLiteral("合计");
    TColumn copies = MakeColumn(QStringLiteral("fs"), QStringLiteral("份数"), 80);
    TColumnFooter sum;
    sum.ValueType = TFooterValueType::ftSum;
    copies.Footers = {sum};
    TColumn amount = MakeColumn(QStringLiteral("ke"), QStringLiteral("款额"), 64, std::nullopt, QStringLiteral("0.00"));
    sum.DisplayFormat = QStringLiteral("0.00");
    amount.Footers = {sum};
    return {code, MakeColumn(QStringLiteral("kq"), QStringLiteral("报刊名称"), 200), copies, amount};
}

GridFixture::GridFixture() : source(nullptr, &query)
{
    grid.setColumns(SampleColumns());
    grid.setFooterRowCount(1);
    grid.setDataSource(&source);
}

QString GridFixture::defaultSql()
{
    return QStringLiteral("select bkdh,kq,fs,ke from torder order by id");
}

void GridFixture::open(const QString &sql)
{
    query.close();
    query.setConnection(&dm->ADOConnection);
    query.setSql(sql);
    query.open();
}

ExportScene::ExportScene(const QVector<SampleRow> &rows)
{
    if (!tdb.ok())
        return;
    InsertRows(rows);
    f.open();
}

ReadBack::ReadBack(const QString &fileName)
    : m_app(std::make_shared<sheet::Application>(QStringLiteral("Excel.Application")))
{
    m_book = m_app->Workbooks().open(fileName);
}

ReadBack::~ReadBack()
{
    m_app->Quit();
}

QStringList ReadBack::sheetNames()
{
    QStringList names;
    for (int i = 1; i <= m_book->Sheets().Count(); ++i)
        names << m_book->Sheets().Item(i).Name();
    return names;
}

QString ReadBack::text(int sheetIndex, int row, int column)
{
    return sheet(sheetIndex).Cells(row, column).Value().toText();
}

std::shared_ptr<sheet::Application> RecordingFactory::getRunning(const QString &progId)
{
    asked << QStringLiteral("running:") + progId;
    windowsAtStart = VisibleWindowTexts();
    return failStart ? nullptr : running;
}

std::shared_ptr<sheet::Application> RecordingFactory::createNew(const QString &progId)
{
    asked << QStringLiteral("create:") + progId;
    if (failStart)
        return nullptr;
    made.push_back(std::make_shared<sheet::Application>(progId));
    return made.back();
}

QStringList VisibleWindowTexts()
{
    QStringList texts;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        for (const QLabel *label : window->findChildren<QLabel *>())
            texts << label->text();
    }
    return texts;
}
