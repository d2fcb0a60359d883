// The order area of the main window on the demo database: unit choice, order query, subscribing with
// the duplicate question, correcting after a narrowing search, deleting a line, clearing a unit's
// lines of one catalogue type, the system reset; and one clerk's whole day from login to reset.

#include "OrderTestSupport.h"
#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "catalogue/CatalogueImport.h"
#include "data/Backup.h"
#include "data/Udm.h"
#include "main/CatalogueQueries.h"
#include "main/UbkMainFrm.h"
#include "orders/IntegerEdit.h"
#include "orders/UdybkFrm.h"
#include "orders/UoperatorFrm.h"
#include "orders/UxlsoutFrm.h"
#include "reports/OrderPrint.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using platform::TestHooks;

namespace {

void addLine(qint32 unit, int type, const QString &code, int copies, double amount)
{
    QVERIFY2(ExecSql(QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,%2,'%3','月刊',1,12,%4,%5)")
                         .arg(unit)
                         .arg(type)
                         .arg(code)
                         .arg(copies)
                         .arg(amount)),
             qPrintable(GP.LastError));
}

qint32 unitId(const QString &name)
{
    return valueOf("select id from dwinfo where dwmc='" + name + "'").toInt();
}

// On a server 系统初始 and 清空全部记录 ask whether the server's backup is current (default 否):
// answers 是 to it, after `questionsBefore` questions answered 是.
void confirmServerBackup(int questionsBefore = 0)
{
    if (!TestDatabase::onServer())
        return;
    for (int i = 0; i <= questionsBefore; ++i)
        platform::TestHooks::queueAnswer(platform::Answer::Yes);
}

} // namespace

class TestOrderArea : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbkMainFrm> m_w;
    qint32 m_unit = 0;
    qint32 m_other = 0;

    TbkMainFrm *start(int role = 0)
    {
        m_w = startMainWindow(*m_db, role);
        TestHooks::clear();
        return m_w.get();
    }

    void chooseUnit(const QString &name) { pickItem(m_w->dwbox, name); }

    // Subscribes the chosen unit to `code` through the dialog as a clerk does: the term, Tab out of the
    // term panel, the copies, 确定.
    void subscribeThroughTheDialog(const QString &code, const QString &term, const QString &copies)
    {
        QVERIFY2(m_w->ADO.locate("bkdh", code), qPrintable(code));
        TestHooks::queueForm([&](QDialog *form) {
            auto *d = static_cast<TdybkFrm *>(form);
            waitUntilActive(d);
            pickItem(d->termBox, term);
            focusOn(d->termBox);
            pressTab();
            typeInto(d->fs, copies);
            d->qrBtn->click();
        });
        m_w->dyBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("新增记录成功！"));
    }

    void search(const QString &code)
    {
        pickItem(m_w->dhmcBox, "报刊代号");
        m_w->Edit1->setText(code);
        m_w->cxBtn->click();
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase(/*demo=*/true, 2010));
        QVERIFY(m_db->ok());
        m_unit = unitId("青禾机械厂");
        m_other = unitId("云栖第三中学");
    }

    void cleanup()
    {
        m_w.reset();
        m_db.reset();
    }

    void choosingAndRefreshingUnits()
    {
        addLine(m_unit, 0, "1-2", 1, 360);
        TbkMainFrm *w = start();
        QCOMPARE(w->dwbox->currentIndex(), -1);
        w->ddcxBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("请选择单位..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));

        chooseUnit("青禾机械厂");
        QCOMPARE(w->lblxr->text(), QString("林秀梅"));
        QCOMPARE(w->lbphone->text(), QString("0731-84412306"));
        QCOMPARE(w->ddado.recordCount(), 1);

        // A unit without lines: an empty grid and no message, until 订单查询 asks.
        TestHooks::clear();
        chooseUnit("北岸区卫生院");
        QVERIFY(w->lblxr->text().isEmpty());
        QVERIFY(!w->ddado.active());
        QCOMPARE(TestHooks::messageCount(), 0);
        w->ddcxBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("未搜索到相关信息..."));

        chooseUnit("青禾机械厂");
        w->ddado.first();
        w->ddcxBtn->click();
        QCOMPARE(TestHooks::messageCount(), 1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->ddbrow));

        // Deleting the box's text drops the choice.
        focusOn(w->dwbox);
        w->dwbox->lineEdit()->selectAll();
        QTest::keyClick(w->dwbox->lineEdit(), Qt::Key_Delete);
        QCOMPARE(w->SelectedUnitIndex(), -1);
        QVERIFY(w->lblxr->text().isEmpty() && w->lbphone->text().isEmpty());
        QVERIFY(!w->ddado.active());
        QVERIFY(w->ddado.sql().isEmpty());

        // 刷新单位信息 reloads the list and chooses none.
        chooseUnit("青禾机械厂");
        QVERIFY(ExecSql("insert into dwinfo (dwmc) values ('新单位')"));
        w->SpeedButton1->click();
        QCOMPARE(w->dwbox->count(), 4);
        QCOMPARE(w->SelectedUnitIndex(), -1);
        QVERIFY(w->lblxr->text().isEmpty());
        QVERIFY(!w->ddado.active() && w->ddado.sql().isEmpty());

        // A failing order query shows LastError.
        chooseUnit("青禾机械厂");
        QVERIFY(ExecSql("alter table torder rename to torder_gone"));
        w->ddcxBtn->click();
        QVERIFY(TestHooks::lastMessage().text.startsWith("载入数据出现异常->"));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
    }

    void subscribingAsksAboutADuplicate()
    {
        addLine(m_unit, 0, "1-2", 1, 360);
        addLine(m_unit, 0, "2-1", 1, 260);
        TbkMainFrm *w = start();

        // Without a unit.
        QVERIFY(w->ADO.locate("bkdh", "1-2"));
        w->dyBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("   请选择订阅报刊的单位...    "));
        QCOMPARE(TestHooks::lastMessage().owner.data(), static_cast<QWidget *>(w));

        chooseUnit("青禾机械厂");
        QCOMPARE(w->ddado.fieldText("bkdh"), QString("2-1"));
        TestHooks::clear();
        TestHooks::queueAnswer(platform::Answer::No);
        w->dyBtn->click();
        const platform::ShownMessage question = TestHooks::lastMessage();
        QCOMPARE(question.text, QString("该报刊定单中已存在,是否继续新增？..."));
        QCOMPARE(question.caption, QString("提示信息"));
        QCOMPARE(question.icon, platform::Icon::Question);
        QCOMPARE(question.buttons, platform::Buttons::YesNo);
        QVERIFY(TestHooks::forms().isEmpty());
        QCOMPARE(w->ddado.fieldText("bkdh"), QString("1-2")); // the grid shows the existing line

        TestHooks::queueAnswer(platform::Answer::Yes);
        std::optional<SubscriptionContext::Mode> mode;
        TestHooks::queueForm([&mode](QDialog *form) { mode = static_cast<TdybkFrm *>(form)->context().mode; });
        w->dyBtn->click();
        QCOMPARE(TestHooks::forms().size(), 1);
        QCOMPARE(TestHooks::forms().first().formClass, QString("TdybkFrm"));
        QVERIFY(mode == SubscriptionContext::Mode::NewLine);

        // A title the unit has no line for opens at once.
        TestHooks::clear();
        QVERIFY(w->ADO.locate("bkdh", "4-2"));
        w->dyBtn->click();
        QCOMPARE(TestHooks::messageCount(), 0);
        QCOMPARE(TestHooks::forms().size(), 1);

        // A search that found nothing leaves no catalogue.
        search("77-77");
        TestHooks::clear();
        w->dyBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("   报刊目录不存在...   "));
        QVERIFY(TestHooks::forms().isEmpty());
    }

    void correctingNeedsTheTitleInTheCatalogue()
    {
        addLine(m_unit, 0, "1-2", 1, 360);
        addLine(m_unit, 0, "2-1", 1, 260);
        TbkMainFrm *w = start();
        w->xgDDBtn->click(); // no unit, no lines: nothing
        QCOMPARE(TestHooks::messageCount(), 0);
        QVERIFY(TestHooks::forms().isEmpty());

        chooseUnit("青禾机械厂");
        search("2-1");
        QCOMPARE(w->ADO.recordCount(), 1);
        QVERIFY(w->ddado.locate("bkdh", "1-2"));
        TestHooks::clear();
        w->xgDDBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("当前目录中未发现该报刊名称,请重新載入全目录..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Information);
        QVERIFY(TestHooks::forms().isEmpty());

        // With the whole catalogue the catalogue moves to the line's title and the dialog opens.
        m_w->dhmcBox->setCurrentIndex(-1);
        emit m_w->dhmcBox->Change();
        m_w->cxBtn->click();
        QVERIFY(w->ADO.locate("bkdh", "4-2"));
        QVERIFY(w->ddado.locate("bkdh", "1-2"));
        TestHooks::clear();
        QString shown;
        std::optional<SubscriptionContext::Mode> mode;
        TestHooks::queueForm([&shown, &mode](QDialog *form) {
            shown = static_cast<TdybkFrm *>(form)->PBkmc->Caption();
            mode = static_cast<TdybkFrm *>(form)->context().mode;
        });
        w->xgDDBtn->click();
        QCOMPARE(TestHooks::forms().size(), 1);
        QVERIFY(mode == SubscriptionContext::Mode::Correction);
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("1-2"));
        QCOMPARE(shown, QString("江城晚报"));
    }

    // A code is unique only within its catalogue type: importing 图书目录 with the code of a
    // 非邮发报刊目录 title leaves that title, and the unit's line of each type shows its own title in
    // the grid, the printed list and the exports.
    void aCodeIsUniqueOnlyWithinItsCatalogueType()
    {
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,kq,qnj,bkzl,mllx) values ('901-1','非邮发甲报','月刊',120,'报纸',1)"));
        addLine(m_unit, 1, "901-1", 1, 120);
        addLine(m_unit, 3, "901-1", 2, 100);
        const auto import = [](const QStringList &headers, const QVector<sheet::CellValue> &cells, int type) {
            const QString table = ImportTargetTable(type);
            return BuildImportRow(table, ImportInsertHead(table, headers), headers, cells, type);
        };
        const auto T = [](const QString &text) { return sheet::CellValue::text(text); };
        const auto N = [](double number) { return sheet::CellValue::number(number); };
        const QStringList withType = {"BKDH", "BKMC", "KQ", "QNJ", "MLLX"};
        ImportRowStatements book = import(withType, {T("901-1"), T("图书乙"), T("月刊"), N(50), N(3)}, 3);
        QCOMPARE(book.badColumn, -1);
        QVERIFY2(ExecSqlBatch(book.statements), qPrintable(GP.LastError));
        // imported again, without the type column: it takes the type chosen, and replaces only itself
        book = import({"BKDH", "BKMC", "KQ", "QNJ"}, {T("901-1"), T("图书乙"), T("月刊"), N(50)}, 3);
        QVERIFY2(ExecSqlBatch(book.statements), qPrintable(GP.LastError));
        QCOMPARE(rowsOf("select mllx,bkmc,qnj from nopost where bkdh='901-1' order by mllx"),
                 QStringList({"1|非邮发甲报|120", "2|复印报刊资料·哲学|180", "3|图书乙|50"})); // 2: the demo's

        // A row of another type, or of none, is refused where the clerk chose 图书目录.
        for (const sheet::CellValue &type : {N(1), sheet::CellValue()}) {
            const ImportRowStatements refused = import(withType, {T("901-1"), T("错"), T("月刊"), N(9), type}, 3);
            QCOMPARE(refused.fault, ImportCellFault::WrongType);
            QCOMPARE(refused.badColumn, 4);
            QVERIFY(refused.statements.isEmpty());
        }
        QCOMPARE(CellFaultMessage(ImportCellFault::WrongType, 7, 5, "MLLX", "1"),
                 QString("第7行第5列(MLLX)的目录类型“1”与所选的目录类型不符,导入在此行停止,此前各行已经导入..."));

        for (int type : {1, 3}) {
            const QString title = type == 1 ? "非邮发甲报" : "图书乙";
            QCOMPARE(rowsOf("select bkmc from (" + OrdersStatement(type, m_unit) + ") as g"), QStringList({title}));
            QCOMPARE(rowsOf("select bkmc from (" + UnitOrdersSql(m_unit, type) + ") as g"), QStringList({title}));
            QCOMPARE(rowsOf("select bkmc,fs from (" + xlsout::TypeOrdersSql("=" + QString::number(type), m_unit, "nopost")
                            + ") as g"),
                     QStringList({title + "|" + QString::number(type == 1 ? 1 : 2)}));
        }
        QCOMPARE(rowsOf("select bkmc,fs,ke from (" + xlsout::CombinedNonPostalSql(m_unit) + ") as g order by fs"),
                 QStringList({"非邮发甲报|1|120", "图书乙|2|100"}));
    }

    void deletingOneLine()
    {
        addLine(m_unit, 0, "1-2", 3, 1080);
        addLine(m_unit, 0, "2-1", 1, 260);
        addLine(m_unit, 0, "4-2", 2, 192);
        TbkMainFrm *w = start();
        chooseUnit("青禾机械厂");
        QCOMPARE(w->ddbrow->footerText(0), QString("合计"));
        QCOMPARE(w->ddbrow->footerText(6), QString("1532.00"));
        QVERIFY(w->ddado.locate("bkdh", "1-2"));

        TestHooks::queueAnswer(platform::Answer::No);
        w->delBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("    确定要删除 [1-2 江城晚报 / 3 份] 吗？    "));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Question);
        QCOMPARE(valueOf("select count(*) from torder"), QString("3"));

        w->delBtn->click(); // answered Yes
        QCOMPARE(TestHooks::lastMessage().text, QString("删除记录成功！"));
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        QCOMPARE(rowsOf("select bkdh from torder order by id"), QStringList({"2-1", "4-2"}));
        QCOMPARE(w->ddado.recordCount(), 2);
        QCOMPARE(w->ddado.fieldText("bkdh"), QString("4-2")); // the newest current
        QCOMPARE(w->ddbrow->footerText(6), QString("452.00"));

        // A title gone from the catalogue still shows, with empty name and price, and can go.
        QVERIFY(ExecSql("delete from post where bkdh='2-1'"));
        w->LoadOrders();
        QVERIFY(w->ddado.locate("bkdh", "2-1"));
        QVERIFY(w->ddado.fieldText("bkmc").isEmpty());
        QCOMPARE(w->ddbrow->cellText(w->ddado.recNo() - 1, 2), QString());
        TestHooks::clear();
        w->delBtn->click();
        QCOMPARE(TestHooks::messages().first().text, QString("    确定要删除 [2-1  / 1 份] 吗？    "));
        QCOMPARE(rowsOf("select bkdh from torder"), QStringList{"4-2"});

        // A failed delete shows LastError and keeps the grid.
        TestDatabase::refuse("keep", "torder", "delete", "kept");
        TestHooks::clear();
        w->delBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("提交时出现异常->kept"));
        QCOMPARE(TestHooks::lastMessage().caption, QString("异常信息"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Warning);
        QCOMPARE(w->ddado.recordCount(), 1);

        // Nothing to delete: no question.
        chooseUnit("北岸区卫生院");
        TestHooks::clear();
        w->delBtn->click();
        w->clearBtn->click();
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void clearingTakesOnlyTheCurrentTypeOfTheUnit()
    {
        addLine(m_unit, 0, "1-2", 1, 360);
        addLine(m_unit, 0, "2-1", 1, 260);
        addLine(m_unit, 1, "801-1", 1, 120);
        addLine(m_other, 0, "1-2", 1, 360);
        TbkMainFrm *w = start();
        chooseUnit("青禾机械厂");
        TestHooks::queueAnswer(platform::Answer::No);
        w->clearBtn->click();
        QCOMPARE(TestHooks::lastMessage().text,
                 QString("    确定要删除 单位：[青禾机械厂 ] \" 邮发报刊目录 \"  所有订阅记录吗?  "));
        QCOMPARE(valueOf("select count(*) from torder"), QString("4"));

        if (TestDatabase::onServer()) {
            // No copy on a server: the clerk confirms the server's backup, and 否 (the default) keeps all.
            TestHooks::queueAnswer(platform::Answer::Yes);
            w->clearBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, ServerBackupQuestion("清空全部记录"));
            QCOMPARE(TestHooks::lastMessage().buttons, platform::Buttons::YesNoDefaultNo);
            QCOMPARE(TestHooks::lastMessage().answer, platform::Answer::No);
            QCOMPARE(valueOf("select count(*) from torder"), QString("4"));
            confirmServerBackup(/*questionsBefore=*/1);
        }
        w->clearBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("清除成功！"));
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        QVERIFY(!w->ddado.active());
        QCOMPARE(rowsOf("select dwid,mllx,bkdh from torder order by id"),
                 QStringList({QString("%1|1|801-1").arg(m_unit), QString("%1|0|1-2").arg(m_other)}));

        // On the second tab the question names that tab.
        w->FTab->setTabIndex(1);
        QCOMPARE(w->ddado.recordCount(), 1);
        TestHooks::queueAnswer(platform::Answer::No);
        w->clearBtn->click();
        QCOMPARE(TestHooks::lastMessage().text,
                 QString("    确定要删除 单位：[青禾机械厂 ] \" 非邮发报刊目录 \"  所有订阅记录吗?  "));
    }

    void exportNeedsAUnitAndOpensTheExportDialog()
    {
        addLine(m_unit, 0, "1-2", 1, 360);
        TbkMainFrm *w = start();
        w->ToolButton1->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("   请选择订阅报刊的单位...    "));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
        QVERIFY(TestHooks::forms().isEmpty());

        chooseUnit("青禾机械厂");
        QString caption;
        TestHooks::queueForm([&caption](QDialog *form) { caption = form->windowTitle(); });
        w->ToolButton1->click();
        QCOMPARE(TestHooks::forms().size(), 1);
        QCOMPARE(caption, QString("订单导出"));
    }

    void systemResetKeepsTypesAndCalendar()
    {
        QVERIFY(BuildDateTable(2010));
        addLine(m_unit, 0, "1-2", 1, 360);
        TbkMainFrm *w = start(/*role=*/2);
        QVERIFY(!w->loadBtn->isHidden());
        chooseUnit("青禾机械厂");

        // A failure deletes nothing.
        TestDatabase::refuse("keep_units", "dwinfo", "delete", "busy");
        confirmServerBackup();
        w->loadBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("初始系统失败->提交失败->busy"));
        QCOMPARE(TestHooks::lastMessage().caption, QString("错误信息"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Error);
        QCOMPARE(valueOf("select count(*) from post"), QString("26"));
        QCOMPARE(valueOf("select count(*) from torder"), QString("1"));
        QVERIFY(w->ddado.active());
        TestDatabase::allow("keep_units", "dwinfo");

        TestHooks::clear();
        confirmServerBackup();
        w->loadBtn->click();
        if (TestDatabase::onServer()) {
            QCOMPARE(TestHooks::messageCount(), 2); // the question, then done
            QCOMPARE(TestHooks::lastMessage().text, QString("系统初始完毕！"));
        } else {
            // The only message says where the copy of the data from before went.
            QCOMPARE(TestHooks::messageCount(), 1);
            QVERIFY(TestHooks::lastMessage().text.startsWith(QString("系统初始完毕,原有数据已备份到:")));
        }
        for (const char *table : {"post", "nopost", "torder", "dwinfo"})
            QCOMPARE(valueOf(QString("select count(*) from ") + table), QString("0"));
        QCOMPARE(valueOf("select count(*) from bkmllx"), QString("4"));
        QCOMPARE(valueOf("select count(*) from rqdzb"), QString("365"));
        QVERIFY(!w->ADO.active() && !w->ddado.active());
        QCOMPARE(w->brow->model()->rowCount(), 0);
        QCOMPARE(w->ddbrow->model()->rowCount(), 0);
        QCOMPARE(w->dwbox->count(), 0);
        QVERIFY(w->lblxr->text().isEmpty() && w->lbphone->text().isEmpty());
        QCOMPARE(w->FTab->tabCount(), 4);
    }

    // 数据恢复 restores copies of a database file; on a server it opens no list and names the server's
    // own backups.
    void restoreOnAServerPointsToItsBackups()
    {
        if (!TestDatabase::onServer())
            QSKIP("the file engine's restore is tested with the main window");
        TbkMainFrm *w = start(/*role=*/2);
        QVERIFY(!w->restoreBtn->isHidden());
        w->restoreBtn->click();
        QCOMPARE(TestHooks::messageCount(), 1);
        QVERIFY(TestHooks::lastMessage().text.contains("pg_dump"));
        QVERIFY(TestHooks::forms().isEmpty());
    }

    // Pictures of the three windows, into $TAVRIN_SCREENSHOTS when set (else a temporary folder):
    // main-orders.png with lines in the order grid, dybk.png, operator.png.
    void screenshots()
    {
        QTemporaryDir scratch;
        const QString folder = qEnvironmentVariableIsSet("TAVRIN_SCREENSHOTS") ? qEnvironmentVariable("TAVRIN_SCREENSHOTS")
                                                                                : scratch.path();
        QVERIFY(BuildDateTable(2010));
        TbkMainFrm *w = start(/*role=*/2);
        w->resize(1366, 771);
        chooseUnit("青禾机械厂");
        // The lines are priced by the program, entered as a clerk enters them.
        subscribeThroughTheDialog("1-2", "全年", "3");
        subscribeThroughTheDialog("2-1", "三季度", "1");
        subscribeThroughTheDialog("4-3", "上半年", "2");
        QCOMPARE(rowsOf("select bkdh,qdy,zdy,fs,ke from torder order by id"),
                 QStringList({"1-2|1|12|3|1080", "2-1|7|9|1|65", "4-3|1|6|2|72"}));
        QVERIFY(w->ADO.locate("bkdh", "4-3"));
        QCoreApplication::processEvents();
        const QImage main = w->grab().toImage();
        QCOMPARE(main.size(), QSize(1366, 771));
        QVERIFY(main.save(folder + "/main-orders.png"));

        QSize dialogSize;
        TestHooks::queueAnswer(platform::Answer::Yes);
        TestHooks::queueForm([&](QDialog *form) {
            auto *d = static_cast<TdybkFrm *>(form);
            waitUntilActive(d);
            pickItem(d->termBox, "上半年");
            focusOn(d->termBox);
            pressTab();
            typeInto(d->fs, "2");
            focusOn(d->fs);
            const QImage picture = d->grab().toImage();
            dialogSize = picture.size();
            QVERIFY(picture.save(folder + "/dybk.png"));
        });
        w->dyBtn->click();
        QCOMPARE(dialogSize, QSize(628, 374));

        TestHooks::queueForm([&](QDialog *form) {
            auto *units = static_cast<ToperatorFrm *>(form);
            waitUntilActive(units);
            dm->ADOQuery1.setRecNo(2);
            units->xgBtn->click();
            QCoreApplication::processEvents();
            const QImage picture = units->grab().toImage();
            dialogSize = picture.size();
            QVERIFY(picture.save(folder + "/operator.png"));
        });
        w->dwwhBtn1->click();
        QCOMPARE(dialogSize, QSize(697, 307));
    }

    // One clerk's work on the demo database of 2010: log in, choose a unit, subscribe a daily paper
    // for the third quarter with only a per-issue price, correct its copies, delete it, reset.
    void endToEnd()
    {
        QVERIFY(BuildDateTable(2010)); // the login of the 系统员 rebuilds the calendar
        GP.WorkYear = 2010;
        TbkMainFrm *w = start(/*role=*/2);
        QCOMPARE(w->dwbox->count(), 3);
        chooseUnit("青禾机械厂");
        QCOMPARE(w->lblxr->text(), QString("林秀梅"));
        search("1-1");
        QCOMPARE(w->ADO.fieldText("bkmc"), QString("晨光日报"));

        // 晨光日报: 日报, 1.20 an issue, no month, quarter or half-year price; 92 days from July to September.
        StatementLog log;
        TestHooks::queueForm([](QDialog *form) {
            auto *d = static_cast<TdybkFrm *>(form);
            waitUntilActive(d);
            pickItem(d->termBox, "三季度");
            focusOn(d->termBox);
            pressTab();
            QCOMPARE(d->qdy->text(), QString("7"));
            QCOMPARE(d->zdy->text(), QString("9"));
            QCOMPARE(d->ke->Value(), 1.2 * 92);
            typeInto(d->fs, "2");
            QCOMPARE(d->ke->Value(), 1.2 * 92 * 2);
            QCOMPARE(d->ke->text(), QString("220.80"));
            d->qrBtn->click();
        });
        w->dyBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("新增记录成功！"));
        QCOMPARE(log.writes(),
                 QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,0,'1-1','日报',7,9,2,220.8)")
                                 .arg(m_unit)});
        QCOMPARE(w->ddado.recordCount(), 1);
        QCOMPARE(w->ddbrow->cellText(0, 1), QString("晨光日报"));
        QCOMPARE(w->ddbrow->cellText(0, 2), QString("396.00"));
        QCOMPARE(w->ddbrow->footerText(6), QString("220.80"));

        // Correct the copies to 5.
        log.clear();
        TestHooks::queueForm([](QDialog *form) {
            auto *d = static_cast<TdybkFrm *>(form);
            waitUntilActive(d);
            QCOMPARE(d->termBox->currentText(), QString("三季度"));
            QCOMPARE(d->ke->text(), QString("220.80"));
            pressTab();
            typeInto(d->fs, "5");
            d->qrBtn->click();
        });
        w->xgDDBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("修改记录成功！"));
        const QString id = valueOf("select id from torder");
        QCOMPARE(log.writes().size(), 1);
        QVERIFY(log.writes().first().startsWith("update torder set fs=5,ke=552 where id=" + id + " and qdy=7 and zdy=9 and fs=2 and ke=220.8"));
        QCOMPARE(rowsOf("select qdy,zdy,fs,ke from torder"), QStringList{"7|9|5|552"});
        QCOMPARE(w->ddbrow->footerText(6), QString("552.00"));

        // Delete it.
        w->delBtn->click();
        QCOMPARE(TestHooks::messages().at(TestHooks::messageCount() - 2).text,
                 QString("    确定要删除 [1-1 晨光日报 / 5 份] 吗？    "));
        QCOMPARE(TestHooks::lastMessage().text, QString("删除记录成功！"));
        QCOMPARE(valueOf("select count(*) from torder"), QString("0"));

        // Reset the system; a copy of the data from before is kept.
        TestHooks::clear();
        confirmServerBackup();
        w->loadBtn->click();
        QCOMPARE(TestHooks::messageCount(), TestDatabase::onServer() ? 2 : 1);
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        QCOMPARE(valueOf("select count(*) from post"), QString("0"));
        QCOMPARE(valueOf("select count(*) from dwinfo"), QString("0"));
        QCOMPARE(w->dwbox->count(), 0);
    }
};

TAVRIN_TEST_MAIN(TestOrderArea)
#include "tst_orderarea.moc"
