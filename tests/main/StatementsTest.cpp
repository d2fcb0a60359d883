// The statement texts and small rules of the main window, without a window.

#include "MainTests.h"

#include "main/CatalogueQueries.h"
#include "main/MainWindowRules.h"

#include <QtTest>

namespace {
const QString SortKey = " order by  clng(mid(bkdh,1,instr(bkdh,'-')-1))*10000"
                        "+clng(mid(bkdh,instr(bkdh,'-')+1,len(bkdh)-instr(bkdh,'-')+1)) ";
}

class StatementsTest : public QObject {
    Q_OBJECT
private slots:
    void catalogueStatements()
    {
        QCOMPARE(CatalogueStatement(0, QString()), "select * from post" + SortKey);
        QCOMPARE(CatalogueStatement(3, QString()), "select * from nopost where mllx=3" + SortKey);
        // The first condition loses " and", keeping the blank after it.
        QCOMPARE(CatalogueStatement(2, CodeCondition("5-12")),
                 "select * from nopost where mllx=2 and   bkdh='5-12'" + SortKey);
        QCOMPARE(CatalogueStatement(0, CodeCondition("5-12") + KindCondition("报纸") + PeriodCondition("日报")),
                 "select * from post where   bkdh='5-12' and bkzl='报纸' and  kq='日报'" + SortKey);
        QCOMPARE(CatalogueStatement(0, KindCondition("杂志")), "select * from post where  bkzl='杂志'" + SortKey);
        QCOMPARE(TitleCondition("Abc"), QString(" and  Instr(1,LCase(bkmc),LCase('Abc'),0)<>0"));
    }

    void valuesCannotBreakAStatement()
    {
        QCOMPARE(CodeCondition("1-1' or '1'='1"), QString(" and  bkdh='1-1'' or ''1''=''1'"));
        QCOMPARE(TitleCondition("O'Brien"), QString(" and  Instr(1,LCase(bkmc),LCase('O''Brien'),0)<>0"));
        QCOMPARE(PeriodCondition("'"), QString(" and  kq=''''"));
    }

    void orderStatement()
    {
        QCOMPARE(OrdersStatement(0, 7),
                 QString("select torder.*,a.bkmc,a.qnj from  torder left join (select bkdh,bkmc,qnj from post "
                         "group by bkdh,bkmc,qnj) as a on torder.bkdh=a.bkdh where dwid=7 and torder.mllx=0 "
                         "order by joindate"));
        QVERIFY(OrdersStatement(2, 12).contains("from nopost where mllx=2 group by"));
        QVERIFY(OrdersStatement(2, 12).contains("where dwid=12 and torder.mllx=2 "));
    }

    void placementAndStatusLine()
    {
        // A task bar of 40 pixels at the bottom of a 1366 × 768 screen.
        QCOMPARE(MainWindowGeometry(QRect(0, 0, 1366, 768), QRect(0, 0, 1366, 728)), QRect(0, 0, 1366, 731));
        // A task bar at the top: the window still starts in the corner.
        QCOMPARE(MainWindowGeometry(QRect(0, 0, 1024, 768), QRect(0, 30, 1024, 738)), QRect(0, 0, 1024, 741));
        // Framed by a window manager (title bar 24, borders 1): the frame stays within the work area.
        const QMargins frame(1, 24, 1, 1);
        QCOMPARE(ClientAreaWithinWorkArea(QRect(0, 0, 1366, 731), frame, QRect(0, 0, 1366, 728)),
                 QRect(1, 24, 1364, 703));
        QCOMPARE(ClientAreaWithinWorkArea(QRect(0, 0, 1024, 741), frame, QRect(0, 30, 1024, 738)),
                 QRect(1, 54, 1022, 686));
        QCOMPARE(CatalogueStatusText("邮发报刊目录", 12, 3456), QString("  邮发报刊目录  12/3456"));
        QCOMPARE(DesignTimeTabs().size(), 4);
        QCOMPARE(CatalogueTypesStatement, QString("select * from bkmllx  order by id"));
    }
};

int runStatementsTest(int argc, char **argv)
{
    StatementsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StatementsTest.moc"
