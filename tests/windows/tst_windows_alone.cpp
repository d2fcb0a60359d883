// The subscription dialog, the unit window, the entry editing window and the order export dialog,
// each given its context directly (no main window exists in this program): what they write, and the
// signals by which they report it.

#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "catalogue/UbkmlxgFrm.h"
#include "data/Udm.h"
#include "orders/IntegerEdit.h"
#include "orders/SubscriptionContext.h"
#include "orders/UdybkFrm.h"
#include "orders/UoperatorFrm.h"
#include "orders/UxlsoutFrm.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "widgets/CaptionLabel.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

using platform::TestHooks;

namespace {

QString firstValue(const QString &sql)
{
    db::Query query;
    if (OpenQuery(sql, query) <= 0)
        return QString();
    return query.fieldText(query.fieldNames().first());
}

void activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void pressTab()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCoreApplication::processEvents();
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    QCoreApplication::processEvents();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar ch : text) // any characters, not only ASCII
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class TestWindowsAlone : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;

    // The context 订阅报刊 gives: the unit, the postal tab and the title `code`.
    SubscriptionContext newLine(const QString &code)
    {
        SubscriptionContext context;
        context.unitId = firstValue("select id from dwinfo where dwmc='青禾机械厂'").toInt();
        context.unitName = "青禾机械厂";
        context.catalogueType = 0;
        context.catalogueCaption = "邮发报刊目录";
        db::Query title;
        if (OpenQuery("select * from post where bkdh='" + code + "'", title) > 0)
            context.title = TitleFromRow(title);
        return context;
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase(/*demo=*/true, 2010));
        QVERIFY(m_db->ok());
        QVERIFY(BuildDateTable(2010));
    }

    void cleanup() { m_db.reset(); }

    void theSubscriptionDialogWorksOnWhatItIsGiven()
    {
        const SubscriptionContext context = newLine("4-3");
        QCOMPARE(context.title.bkmc, QString("园艺月刊"));
        QCOMPARE(context.title.jj, 18.0);
        TdybkFrm d(context);
        QSignalSpy saved(&d, &TdybkFrm::lineSaved);
        activate(&d);
        QCOMPARE(d.lbdwmc->text(), QString("青禾机械厂"));
        QCOMPARE(d.lbFtab->text(), QString("邮发报刊目录"));
        QCOMPARE(d.PBkmc->Caption(), QString("园艺月刊"));
        QCOMPARE(d.ke->text(), QString("72.00"));
        QTest::keyClick(d.termBox, Qt::Key_Down);
        QCOMPARE(d.ke->text(), QString("36.00"));
        pressTab(); // confirmed: into the copies
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d.fs));
        typeInto(d.fs, "2");
        d.qrBtn->click();
        QCOMPARE(saved.count(), 1);
        QCOMPARE(TestHooks::lastMessage().text, QString("新增记录成功！"));
        QCOMPARE(firstValue("select count(*) from torder"), QString("1"));
        QCOMPARE(firstValue("select ke from torder"), QString("72"));

        // A correction of that line: only the copies change.
        SubscriptionContext correction = context;
        correction.mode = SubscriptionContext::Mode::Correction;
        db::Query line;
        QVERIFY(OpenQuery("select * from torder", line) == 1);
        correction.line = OrderLineFromRow(line);
        QCOMPARE(correction.line->qdy, QString("1"));
        QCOMPARE(correction.line->zdy, QString("6"));
        TdybkFrm c(correction);
        QSignalSpy corrected(&c, &TdybkFrm::lineSaved);
        activate(&c);
        QCOMPARE(c.termBox->currentText(), QString("上半年"));
        pressTab();
        typeInto(c.fs, "3");
        QCOMPARE(c.ke->text(), QString("108.00"));
        c.qrBtn->click();
        QCOMPARE(corrected.count(), 1);
        QCOMPARE(firstValue("select fs from torder"), QString("3"));
        QCOMPARE(firstValue("select ke from torder"), QString("108"));
    }

    void theSubscriptionDialogWithoutAUnitWritesNothing()
    {
        SubscriptionContext context = newLine("4-3");
        context.unitId.reset();
        TdybkFrm d(context);
        QSignalSpy saved(&d, &TdybkFrm::lineSaved);
        activate(&d);
        pressTab();
        d.qrBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("   请选择订阅报刊的单位...    "));
        QCOMPARE(saved.count(), 0);
        QCOMPARE(firstValue("select count(*) from torder"), QString("0"));
    }

    void theUnitWindowStandsAlone()
    {
        ToperatorFrm w;
        activate(&w);
        w.zjBtn->click();
        typeInto(w.dwmc, "新华书店");
        w.saveBtn->click();
        QCOMPARE(firstValue("select count(*) from dwinfo where dwmc='新华书店'"), QString("1"));
        w.zjBtn->click();
        typeInto(w.dwmc, " 新华书店");
        w.saveBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("该单位名称已存在,请重新输入...."));
        QCOMPARE(firstValue("select count(*) from dwinfo where dwmc='新华书店'"), QString("1"));
    }

    void theEditingWindowCorrectsTheQueryItIsGiven()
    {
        db::Query catalogue;
        QVERIFY(OpenQuery("select * from nopost where mllx=1 order by bkdh", catalogue) > 0);
        const QString code = catalogue.fieldText("bkdh");
        TbkmlxgFrm w(catalogue);
        QSignalSpy edited(&w, &TbkmlxgFrm::entryEdited);
        activate(&w);
        QTest::mouseClick(w.qnjbox, Qt::LeftButton, {}, QPoint(8, 10));
        QCOMPARE(w.focusWidget(), static_cast<QWidget *>(w.qnj));
        w.qnj->selectAll();
        QTest::keyClicks(w.qnj, "321");
        w.BitBtn1->click();
        QCOMPARE(edited.count(), 1);
        QCOMPARE(TestHooks::lastMessage().text, QString("修改成功!!!!..."));
        QCOMPARE(firstValue("select qnj from nopost where bkdh='" + code + "'"), QString("321"));
        QCOMPARE(catalogue.fieldText("qnj"), QString("321"));

        // Without a current entry no window opens; the message belongs to the owner given.
        db::Query closed;
        QWidget owner;
        QVERIFY(!ShowCatalogEditForm(&owner, closed));
        QCOMPARE(TestHooks::lastMessage().text, QString("当前目录中没有可修改的记录..."));
        QCOMPARE(TestHooks::lastMessage().owner.data(), &owner);
    }

    void theExportDialogTakesTheUnit()
    {
        const qint32 unit = firstValue("select id from dwinfo where dwmc='青禾机械厂'").toInt();
        QVERIFY(ExecSql(QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,0,'4-3','月刊',1,12,1,72)")
                            .arg(unit)));
        QStringList boxes;
        TestHooks::queueForm([&boxes](QDialog *form) {
            auto *w = qobject_cast<TxlsoutFrm *>(form);
            QVERIFY(w);
            for (const TFlatCheckBox *box : w->TypeBoxes)
                boxes << box->text();
            form->reject();
        });
        ShowExportForm("青禾机械厂", unit);
        QCOMPARE(boxes.first(), QString("邮发报刊订单"));
        QCOMPARE(TestHooks::forms().size(), 1);
    }
};

TAVRIN_TEST_MAIN(TestWindowsAlone)
#include "tst_windows_alone.moc"
