// The catalogue entry editing window over the main window's catalogue: the period list, filling from
// the current row, the tick-to-enable fields, the checks, saving only the ticked fields through the
// main window's query (its grid showing them at once), a failed save rolled back, 重置, and what
// happens without a current entry.

#include "CatalogueTestSupport.h"
#include "CatalogueTests.h"
#include "TestDatabase.h"

#include "catalogue/UbkmlFrm.h"
#include "catalogue/UbkmlxgFrm.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "platform/TestHooks.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TNumberEdit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using platform::Icon;
using platform::TestHooks;

namespace {

const QString EntryColumns = "select bkdh,bkmc,fbkj,kq,cbrq,qnj,dj,yj,jj,bnj,bkzl,mllx from nopost where bkdh='%1'";

QStringList entryRow(const QString &code)
{
    return Rows(EntryColumns.arg(code));
}

} // namespace

class EditWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbkMainFrm> m_main;
    std::unique_ptr<TbkmlxgFrm> m_w;

    // The main window on the non-postal tab with `code` current, then the editing window opened.
    TbkmlxgFrm *openOn(const QString &code)
    {
        m_main.reset(new TbkMainFrm);
        GP.DatabasePath = m_db->path();
        GP.ConnectionText = ConnectionTextFor(m_db->path());
        GP.UserRole = 2;
        m_main->show();
        m_main->FTab->setTabIndex(1);
        if (!m_main->ADO.locate("bkdh", code))
            qWarning("no entry %s", qPrintable(code));
        TestHooks::clear();
        m_w.reset(new TbkmlxgFrm(m_main->ADO));
        m_w->show();
        return m_w.get();
    }

    // The catalogue grid's text of column `field` in the current row.
    QString gridText(int column) const { return m_main->brow->cellText(m_main->ADO.recNo() - 1, column); }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase());
        QVERIFY(m_db->ok());
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,fbkj,kq,cbrq,qnj,dj,yj,jj,bnj,bkzl,mllx) values "
                        "('801-1','企业管理内参','北京','月刊','每月的5号出版',120,10,11,30,60,'杂志',1)"));
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,qnj,dj,mllx) values ('801-2','无刊期',0,null,1)"));
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,kq,mllx) values ('901-1','人大','双月刊',2)"));
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,kq,mllx) values ('801-3','周报甲','周报',1)"));
    }

    void cleanup()
    {
        m_w.reset();
        m_main.reset();
        m_db.reset();
    }

    void opensFilledWithEveryFieldDisabled()
    {
        TbkmlxgFrm *w = openOn("801-1");
        QCOMPARE(w->windowTitle(), QString("目录信息修改"));
        QCOMPARE(w->size(), QSize(405, 318));
        QCOMPARE(w->font().pixelSize(), 12);
        QCOMPARE(w->Panbkdh->size(), QSize(161, 25));
        QCOMPARE(w->Panbkdh->font().family(), QString("黑体"));
        QCOMPARE(w->bkmc->width(), 275);
        QCOMPARE(w->cbrq->width(), 202);
        QCOMPARE(w->qnj->width(), 73);

        QCOMPARE(w->Panbkdh->Caption(), QString("801-1"));
        QCOMPARE(w->bkmc->text(), QString("企业管理内参"));
        QCOMPARE(w->fbkj->text(), QString("北京"));
        QCOMPARE(w->kq->currentText(), QString("月刊"));
        QCOMPARE(w->cbrq->text(), QString("每月的5号出版"));
        QCOMPARE(w->qnj->Value(), 120.0);
        QCOMPARE(w->qnj->text(), QString("120.00"));
        QCOMPARE(w->dj->Value(), 10.0);
        // The period list holds the periods in use in nopost (with the empty one of rows without a period).
        QStringList periods;
        for (int i = 0; i < w->kq->count(); ++i)
            periods << w->kq->itemText(i);
        periods.sort();
        QCOMPARE(periods, QStringList({"", "双月刊", "周报", "月刊"}));
        for (QWidget *field : std::initializer_list<QWidget *>{w->bkmc, w->fbkj, w->kq, w->cbrq, w->qnj, w->dj})
            QVERIFY2(!field->isEnabled(), qPrintable(field->objectName()));
        for (QCheckBox *box : {w->bkmcBox, w->fbkjBox, w->kqbox, w->cbrqbox, w->qnjbox, w->djbox})
            QVERIFY(!box->isChecked());

        w->qnjbox->setChecked(true);
        QVERIFY(w->qnj->isEnabled());
        w->qnjbox->setChecked(false);
        QVERIFY(!w->qnj->isEnabled());
        w->kqbox->click();
        QVERIFY(w->kq->isEnabled());
    }

    void nullPeriodAndZeroPricesOpenEmpty()
    {
        TbkmlxgFrm *w = openOn("801-2");
        QCOMPARE(w->kq->currentIndex(), -1);
        QCOMPARE(w->kq->currentText(), QString());
        QCOMPARE(w->qnj->text(), QString());
        QCOMPARE(w->dj->text(), QString());
        QCOMPARE(w->fbkj->text(), QString());
        QCOMPARE(w->cbrq->text(), QString());
    }

    void onlyTheYearlyPriceChangesAndTheGridShowsIt()
    {
        TbkmlxgFrm *w = openOn("801-1");
        const QStringList before = entryRow("801-1");
        const QStringList other = entryRow("801-3");
        QCOMPARE(gridText(4), QString("120.00"));
        w->bkmc->setText("别的名字"); // typed but not ticked: not written
        w->qnjbox->setChecked(true);
        w->qnj->setText("150.125");
        w->BitBtn1Click();
        QCOMPARE(TestHooks::lastMessage().text, QString("修改成功!!!!..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Information);
        QVERIFY(!w->isVisible());

        QStringList expected = before;
        expected[0].replace("|120|", "|150.125|");
        QCOMPARE(entryRow("801-1"), expected);
        QCOMPARE(entryRow("801-3"), other);
        QCOMPARE(m_main->ADO.fieldFloat("qnj"), 150.125);
        QCOMPARE(gridText(4), QString("150.13"));
        QCOMPARE(gridText(1), QString("企业管理内参"));
        QVERIFY(!dm->ADOConnection.inTransaction());
    }

    void everyTickedFieldIsWrittenTrimmed()
    {
        TbkmlxgFrm *w = openOn("801-2");
        for (QCheckBox *box : {w->bkmcBox, w->fbkjBox, w->kqbox, w->cbrqbox, w->qnjbox, w->djbox})
            box->setChecked(true);
        w->bkmc->setText("  新名 ");
        w->fbkj->setText(" 上海");
        w->kq->setEditText("周刊 "); // free text may be typed
        w->cbrq->setText("每周3出版");
        w->qnj->setValue(52);
        w->dj->setValue(1.5);
        w->BitBtn1Click();
        QCOMPARE(TestHooks::lastMessage().text, QString("修改成功!!!!..."));
        QCOMPARE(Rows("select bkmc,fbkj,kq,cbrq,qnj,dj from nopost where bkdh='801-2'"),
                 QStringList({"新名|上海|周刊|每周3出版|52|1.5"}));
        QCOMPARE(gridText(2), QString("周刊"));
    }

    void wrongInputIsRefusedFieldByField()
    {
        TbkmlxgFrm *w = openOn("801-1");
        const QStringList before = entryRow("801-1");
        auto refused = [&](QWidget *field, const QString &message) {
            TestHooks::clear();
            w->BitBtn1Click();
            QCOMPARE(TestHooks::messageCount(), 1);
            QCOMPARE(TestHooks::lastMessage().text, message);
            QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
            QCOMPARE(TestHooks::lastMessage().icon, Icon::Warning);
            QCOMPARE(w->focusWidget(), field);
            QVERIFY(w->isVisible());
        };
        w->qnjbox->setChecked(true);
        for (const char *price : {"0", "-5", ""}) {
            w->qnj->setText(price);
            refused(w->qnj, "全年价格输入错误...");
        }
        w->qnj->setText("100");
        w->djbox->setChecked(true);
        for (const char *price : {"0", "-0.5", ""}) {
            w->dj->setText(price);
            refused(w->dj, "全年价格输入错误...");
        }
        // The checks run in the order of the fields: the name is told before the prices.
        w->bkmcBox->setChecked(true);
        w->bkmc->setText("   ");
        refused(w->bkmc, "请输入报刊名称...");
        w->bkmc->setText("名");
        w->fbkjBox->setChecked(true);
        w->fbkj->clear();
        refused(w->fbkj, "请输入出版地...");
        w->fbkj->setText("京");
        w->kqbox->setChecked(true);
        w->kq->setEditText(" ");
        refused(w->kq, "请选择刊期...");
        w->kq->setEditText("月刊");
        w->cbrqbox->setChecked(true);
        w->cbrq->clear();
        refused(w->cbrq, "请输入出版日期...");
        QCOMPARE(entryRow("801-1"), before);
    }

    void nothingTickedClosesWithoutWriting()
    {
        TbkmlxgFrm *w = openOn("801-1");
        const QStringList before = entryRow("801-1");
        w->bkmc->setText("不写");
        w->BitBtn1Click();
        QVERIFY(!w->isVisible());
        QVERIFY(TestHooks::messages().isEmpty());
        QCOMPARE(entryRow("801-1"), before);
    }

    // Ticking a field's box by the mouse or the space bar puts the focus into the field with its whole
    // content selected, so what is typed next replaces the old value (never "120132" for 年价 120);
    // unticking leaves the focus alone.
    void tickingMovesTheFocusIntoTheField()
    {
        TbkmlxgFrm *w = openOn("801-1");
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const struct {
            QCheckBox *box;
            QWidget *field;
            const char *typed;
        } rows[] = {{w->bkmcBox, w->bkmc, "新名称"}, {w->fbkjBox, w->fbkj, "上海"}, {w->kqbox, w->kq, "周刊"},
                    {w->cbrqbox, w->cbrq, "每周一出版"}, {w->qnjbox, w->qnj, "132"}, {w->djbox, w->dj, "11"}};
        for (const auto &row : rows) {
            QTest::mouseClick(row.box, Qt::LeftButton, {}, QPoint(8, 10));
            QVERIFY(row.box->isChecked());
            QVERIFY(row.field->isEnabled());
            QWidget *focus = w->focusWidget();
            QVERIFY2(row.field->isAncestorOf(focus) || focus == row.field, row.field->objectName().toLatin1());
            auto *combo = qobject_cast<QComboBox *>(focus);
            QLineEdit *edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit *>(focus);
            QVERIFY(edit);
            QVERIFY2(!edit->text().isEmpty() && edit->selectedText() == edit->text(), qPrintable(edit->text()));
            for (const QChar ch : QString::fromUtf8(row.typed))
                QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QCOMPARE(edit->text(), QString::fromUtf8(row.typed));
        }
        QCOMPARE(w->qnj->Value(), 132.0);
        QCOMPARE(w->dj->Value(), 11.0);
        // By the keyboard: Space on the box, then the digits replace the price.
        w->qnjbox->setChecked(false);
        w->qnjbox->setFocus();
        QTest::keyClick(w->qnjbox, Qt::Key_Space);
        QVERIFY(w->qnjbox->isChecked());
        QCOMPARE(w->focusWidget(), static_cast<QWidget *>(w->qnj));
        QTest::keyClicks(w->focusWidget(), "150");
        QCOMPARE(w->qnj->Value(), 150.0);
        // Unticking closes the field without moving the focus into it.
        w->djbox->setFocus();
        QTest::keyClick(w->djbox, Qt::Key_Space);
        QVERIFY(!w->dj->isEnabled());
        QCOMPARE(w->focusWidget(), static_cast<QWidget *>(w->djbox));
        w->djbox->setChecked(true);
        w->BitBtn1Click();
        QCOMPARE(entryRow("801-1").first().section('|', 0, 5), QString("801-1|新名称|上海|周刊|每周一出版|150"));
    }

    void resetRefillsAndUnticks()
    {
        TbkmlxgFrm *w = openOn("801-2");
        for (QCheckBox *box : {w->bkmcBox, w->fbkjBox, w->kqbox, w->qnjbox})
            box->setChecked(true);
        w->bkmc->setText("改过");
        w->fbkj->setText("手填"); // the column is NULL: reset keeps what the field shows
        w->kq->setCurrentIndex(w->kq->findText("月刊"));
        w->qnj->setValue(9); // the price is 0: reset keeps it as well
        w->BitBtn2Click();
        QCOMPARE(w->bkmc->text(), QString("无刊期"));
        QCOMPARE(w->fbkj->text(), QString("手填"));
        QCOMPARE(w->kq->currentIndex(), -1);
        QCOMPARE(w->kq->currentText(), QString());
        QCOMPARE(w->qnj->Value(), 9.0);
        for (QCheckBox *box : {w->bkmcBox, w->fbkjBox, w->kqbox, w->cbrqbox, w->qnjbox, w->djbox})
            QVERIFY(!box->isChecked());
        for (QWidget *field : std::initializer_list<QWidget *>{w->bkmc, w->fbkj, w->kq, w->cbrq, w->qnj, w->dj})
            QVERIFY(!field->isEnabled());
    }

    void failedSaveIsRolledBackAndTheGridShowsTheOldValues()
    {
        TbkmlxgFrm *w = openOn("801-1");
        const QStringList before = entryRow("801-1");
        dm->ADOConnection.execute("create trigger refuse before update on nopost "
                                  "begin select raise(abort, '目录已锁定'); end");
        w->bkmcBox->setChecked(true);
        w->bkmc->setText("新名");
        w->qnjbox->setChecked(true);
        w->qnj->setValue(200);
        w->BitBtn1Click();
        QCOMPARE(TestHooks::lastMessage().text, QString("修改信息出现异常-->目录已锁定"));
        QCOMPARE(TestHooks::lastMessage().caption, QString("错误信息"));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Error);
        QVERIFY(w->isVisible());
        QCOMPARE(w->bkmc->text(), QString("新名"));
        QCOMPARE(entryRow("801-1"), before);
        QVERIFY(!dm->ADOConnection.inTransaction());
        QCOMPARE(m_main->ADO.state(), db::Query::State::Browse);
        QCOMPARE(m_main->ADO.fieldText("bkmc"), QString("企业管理内参"));
        QCOMPARE(gridText(1), QString("企业管理内参"));
        QCOMPARE(gridText(4), QString("120.00"));

        // Once the table takes changes again, the same window saves.
        dm->ADOConnection.execute("drop trigger refuse");
        w->BitBtn1Click();
        QCOMPARE(TestHooks::lastMessage().text, QString("修改成功!!!!..."));
        QCOMPARE(Rows("select bkmc,qnj from nopost where bkdh='801-1'"), QStringList({"新名|200"}));
    }

    void theMainWindowButtonsOpenTheWindows()
    {
        openOn("801-1");
        m_w.reset();
        QString shownClass;
        TestHooks::queueForm([&](QDialog *form) { shownClass = form->metaObject()->className(); });
        m_main->MlxgBtn->click();
        QCOMPARE(shownClass, QString("TbkmlxgFrm"));
        TestHooks::queueForm([&](QDialog *form) { shownClass = form->metaObject()->className(); });
        m_main->BitBtn1->click();
        QCOMPARE(shownClass, QString("TbkmlFrm"));
        QCOMPARE(TestHooks::forms().last().title, QString("报刊目录导入"));
    }

    void withoutCurrentEntryNoWindowOpens()
    {
        openOn("801-1");
        m_w.reset();
        m_main->ADO.close(); // as after a search that found nothing
        TestHooks::clear();
        QVERIFY(!ShowCatalogEditForm(m_main.get(), m_main->ADO));
        QVERIFY(TestHooks::forms().isEmpty());
        QCOMPARE(TestHooks::lastMessage().text, QString("当前目录中没有可修改的记录..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
        QCOMPARE(TestHooks::lastMessage().owner.data(), m_main.get());
    }
};

int runEditWindowTest(int argc, char **argv)
{
    EditWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EditWindowTest.moc"
