// Printed lists: a unit's 120 order lines written as PDF (page count, column titles and page numbers on
// every page, the unit, every code, title and the total in the text pdftotext extracts, with the very
// characters printed: no radical for 小 人 日 月 止 目 页 青, no digit lost after a letter), the summary printed
// the same way, and the print preview opened for a unit with and without lines.

#include "ReportsTestSupport.h"
#include "ReportsTests.h"
#include "TestDatabase.h"

#include "data/Udm.h"
#include "platform/TestHooks.h"
#include "reports/OrderPrint.h"
#include "reports/PrintPreview.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using platform::TestHooks;

namespace {

QString titleName(int line)
{
    static const QStringList names = {QStringLiteral("读书周报"), QStringLiteral("小人书月刊"),
                                      QStringLiteral("日月止目页"), QStringLiteral("CT 2周刊")};
    return QStringLiteral("%1第%2号").arg(names.at(line % names.size())).arg(line);
}

// The words of a text as pdftotext lays it out.
QSet<QString> words(const QString &text)
{
    const QStringList list = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return QSet<QString>(list.begin(), list.end());
}

} // namespace

class PrintTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_dir;
    int m_unit = -1;
    double m_total = 0;

    UnitOrdersContext context(int unit) const
    {
        UnitOrdersContext c;
        c.catalogueType = 0;
        c.typeCaption = QStringLiteral("邮发报刊目录");
        c.unitId = unit;
        c.unitName = QStringLiteral("青禾小人日月止目页厂");
        c.contact = QStringLiteral("林秀梅");
        c.phone = QStringLiteral("0731-84412306");
        c.workYear = 2010;
        c.printed = QDate(2010, 11, 2);
        return c;
    }

private slots:
    void initTestCase()
    {
        m_db.reset(new TestDatabase(false, 2010));
        QVERIFY(m_db->ok());
        m_unit = AddUnit(QStringLiteral("青禾小人日月止目页厂"), QStringLiteral("林秀梅"), QStringLiteral("0731-84412306"));
        QStringList statements;
        for (int i = 1; i <= 120; ++i) {
            const QString code = QStringLiteral("3-%1").arg(i);
            statements << QStringLiteral("insert into post (bkdh,bkmc,kq,qnj) values ('%1','%2','周报',%3)")
                              .arg(code, titleName(i))
                              .arg(i * 1.5);
            statements << QStringLiteral("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (%1,0,'%2','周报',1,12,%3,%4)")
                              .arg(m_unit)
                              .arg(code)
                              .arg(i % 3 + 1)
                              .arg(i * 1.5 * (i % 3 + 1));
            m_total += i * 1.5 * (i % 3 + 1);
        }
        QVERIFY2(ExecSqlBatch(statements), qPrintable(GP.LastError));
    }

    void cleanupTestCase() { m_db.reset(); }

    void aUnitsOrdersPrintAsPdf()
    {
        PrintDocument document;
        QVERIFY(BuildUnitOrdersDocument(context(m_unit), document));
        QCOMPARE(document.rows.size(), 120);
        const QString pdf = m_dir.filePath("orders.pdf");
        const int pages = WriteReportPdf(pdf, document);
        QCOMPARE(pages, 5);
        QCOMPARE(PdfPages(pdf), pages);

        const QString text = PdfText(pdf);
        QVERIFY(text.contains("报刊订阅单"));
        QVERIFY(text.contains("经办局（所）："));
        QVERIFY(text.contains("单位名称：青禾小人日月止目页厂"));
        QVERIFY(text.contains("联系人：林秀梅"));
        QVERIFY(text.contains("电话：0731-84412306"));
        QVERIFY(text.contains("处理年度：2010"));
        QVERIFY(text.contains("打印日期：2010-11-02"));
        const QSet<QString> printed = words(text);
        for (int i = 1; i <= 120; ++i)
        {
            QVERIFY2(printed.contains(QStringLiteral("3-%1").arg(i)), qPrintable(QString::number(i)));
            QVERIFY2(text.contains(titleName(i)), qPrintable(titleName(i)));
        }
        QVERIFY(printed.contains(QString::number(m_total, 'f', 2)));
        QVERIFY(printed.contains("共120条"));
        QCOMPARE(text.count("合计"), 1);

        // Each page repeats the column titles and carries its number; the unit's block is on the first.
        for (int page = 1; page <= pages; ++page) {
            const QString pageText = PdfText(pdf, page, page);
            QVERIFY(pageText.contains("报刊代号"));
            QVERIFY(pageText.contains("款额"));
            QVERIFY(pageText.contains(QStringLiteral("第 %1 页，共 %2 页").arg(page).arg(pages)));
            QCOMPARE(pageText.contains("青禾小人日月止目页厂"), page == 1);
        }
        QVERIFY(PdfText(pdf, pages, pages).contains("合计"));
    }

    void pagesFollowTheNumberOfLines()
    {
        PrintDocument document;
        QVERIFY(BuildUnitOrdersDocument(context(m_unit), document));
        const QVector<QStringList> all = document.rows;
        int previous = 1;
        int totalOnItsOwnPage = 0;
        for (int rows : {0, 1, 20, 21, 22, 23, 24, 25, 26, 50, 51, 52, 53, 54, 55, 56, 57}) {
            document.rows = all.mid(0, rows);
            const QString pdf = m_dir.filePath(QStringLiteral("rows%1.pdf").arg(rows));
            const int pages = WriteReportPdf(pdf, document);
            QVERIFY(pages >= previous);
            previous = pages;
            // the total is printed once, on the last page, whatever the number of rows
            QCOMPARE(PdfText(pdf).count("合计"), 1);
            const QString last = PdfText(pdf, pages, pages);
            QVERIFY(last.contains("合计"));
            if (pages > 1 && !last.contains(all.at(rows - 1).first() + QLatin1Char(' ')))
                ++totalOnItsOwnPage;
        }
        QCOMPARE(previous, 3);
        QVERIFY(totalOnItsOwnPage <= 2);
    }

    void theSummaryPrintsTheSameWay()
    {
        QVector<SummaryLine> lines;
        SummaryTotals totals;
        QVERIFY(LoadOrderSummary({0, {}, {}}, lines, totals));
        SummaryPrintContext print;
        print.typeCaption = QStringLiteral("邮发报刊目录");
        print.workYear = 2010;
        print.printed = QDate(2010, 11, 2);
        const QString pdf = m_dir.filePath("summary.pdf");
        const int pages = WriteReportPdf(pdf, SummaryDocument(print, lines, totals));
        QCOMPARE(PdfPages(pdf), pages);
        const QString text = PdfText(pdf);
        QVERIFY(text.contains("报刊订阅汇总"));
        QVERIFY(text.contains("刊期：全部"));
        QVERIFY(words(text).contains(QString::number(m_total, 'f', 2)));
        QVERIFY(words(text).contains("共120种"));
    }

    void thePreviewShowsTheUnitsPages()
    {
        TestHooks::clear();
        int shownPages = -1;
        QString title;
        TestHooks::queueForm([&](QDialog *form) {
            title = form->windowTitle();
            if (auto *widget = form->findChild<QPrintPreviewWidget *>()) {
                widget->updatePreview();
                shownPages = widget->pageCount();
            }
            form->reject();
        });
        PreviewUnitOrders(nullptr, context(m_unit));
        QCOMPARE(TestHooks::forms().size(), 1);
        QCOMPARE(title, QString("打印预览 - 《青禾小人日月止目页厂》订单"));
        QCOMPARE(shownPages, 5);

        TestHooks::clear();
        const int empty = AddUnit(QStringLiteral("北岸区卫生院"));
        PreviewUnitOrders(nullptr, context(empty));
        QCOMPARE(TestHooks::forms().size(), 0);
        QCOMPARE(TestHooks::lastMessage().text, QString("该单位在当前目录中没有订阅记录..."));
    }
};

int runPrintTest(int argc, char **argv)
{
    PrintTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PrintTest.moc"
