// The subscription dialog with the register of irregular issues, on the demo database of 2010: the
// count of the chosen months beside the amount, the list of counted days on a click, the notice for
// a term of part of the year, and the amount priced by the register. Also the picture of it for the
// documentation, into $TAVRIN_SCREENSHOTS when set.

#include "OrderTestSupport.h"
#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "calendar/IrregularIssues.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "orders/IssuePreviewLink.h"
#include "orders/UdybkFrm.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using platform::TestHooks;

namespace {

const QString NoticeWithout =
    QStringLiteral("非全年订阅,款额计算未考虑【停刊、休刊、合刊】情况,实际款额以邮局为准");
const QString NoticeWith = QStringLiteral("非全年订阅,款额已按【停刊、休刊、合刊】登记计算,实际款额以邮局为准");
const QString WholeYearNotice =
    QStringLiteral("全年订阅,款额按年价计算,出版期数已按【停刊、休刊、合刊】登记计算,实际款额以邮局为准");

QStringList listed(const IssuePreviewLink *link)
{
    QStringList lines;
    for (int i = 0; i < link->dayList()->count(); ++i)
        lines << link->dayList()->item(i)->text();
    return lines;
}

} // namespace

class TestDybkRegister : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbkMainFrm> m_main;

    void run(const QString &code, const std::function<void(TdybkFrm *)> &drive)
    {
        QVERIFY(m_main->ADO.locate("bkdh", code));
        driveSubscription(m_main->dyBtn, drive);
    }

    static IssuePreviewLink *previewOf(TdybkFrm *d)
    {
        auto *link = d->findChild<IssuePreviewLink *>();
        [&] { QVERIFY(link); }();
        return link;
    }

    static void chooseTerm(TdybkFrm *d, const QString &term)
    {
        pickItem(d->termBox, term);
        focusOn(d->termBox);
        pressTab();
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase(/*demo=*/true, 2010));
        QVERIFY(m_db->ok());
        QVERIFY(BuildDateTable(2010));
        // 1-1 晨光日报 has only a per-issue price (1.20): its partial terms are priced by issues.
        QVERIFY(ExecSqlBatch({
            InsertIrregularIssueStatement({0, "1-1"}, 2010, {KindBreak, {2010, 2, 13}, {2010, 2, 19}, "春节休刊"}),
            InsertIrregularIssueStatement({0, "1-1"}, 2010, {KindCombined, {2010, 3, 6}, {2010, 3, 7}, "周末合刊"}),
        }));
        m_main = startMainWindow(*m_db);
        pickItem(m_main->dwbox, "青禾机械厂");
        TestHooks::clear();
    }

    void cleanup()
    {
        m_main.reset();
        m_db.reset();
    }

    void registeredTitleShowsItsCountListAndNotice()
    {
        run("1-1", [&](TdybkFrm *d) {
            IssuePreviewLink *link = previewOf(d);
            QCOMPARE(link->text(), QString("共357期")); // 全年: 365 less 7 days of break, one merged day
            // The yearly price stands beside a count the register shortened: the notice says so.
            QCOMPARE(d->lbMsg->text(), WholeYearNotice);
            chooseTerm(d, "一季度");
            QCOMPARE(d->lbMsg->text(), NoticeWith);
            QCOMPARE(link->text(), QString("共82期")); // 90 - 7 - 1
            QCOMPARE(d->ke->Value(), 82 * 1.20);
            QTest::mouseClick(link, Qt::LeftButton);
            QVERIFY(link->listPopup() && link->listPopup()->isVisible());
            const QStringList lines = listed(link);
            QCOMPARE(lines.size(), 90);
            QCOMPARE(lines.at(0), QString("2010-01-01 周五"));
            QCOMPARE(lines.at(43), QString("2010-02-13 周六  休刊,不计"));
            QCOMPARE(lines.at(64), QString("2010-03-06 周六  合刊(3月6日至3月7日),计1期"));
            QCOMPARE(lines.at(65), QString("2010-03-07 周日  并入合刊,不计"));
            link->listPopup()->hide();
            chooseTerm(d, "二季度");
            QCOMPARE(link->text(), QString("共91期"));
            chooseTerm(d, "全年");
            QCOMPARE(d->lbMsg->text(), WholeYearNotice);
        });
        // Corrected, a whole-year line shows the notice too.
        QVERIFY(ExecSql(QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,0,'1-1','日报',1,12,1,438)")
                            .arg(m_main->SelectedUnit()->id)));
        QVERIFY(m_main->LoadOrders() > 0);
        QVERIFY(m_main->ddado.locate("bkdh", "1-1"));
        driveSubscription(m_main->xgDDBtn, [&](TdybkFrm *d) {
            QCOMPARE(d->termBox->currentText(), QString("全年"));
            QCOMPARE(d->lbMsg->text(), WholeYearNotice);
        });
    }

    void titleWithoutEntriesKeepsTheNotice()
    {
        run("1-2", [&](TdybkFrm *d) {
            QVERIFY(d->lbMsg->text().isEmpty()); // 全年 without entries: nothing to say
            chooseTerm(d, "上半年");
            QCOMPARE(d->lbMsg->text(), NoticeWithout);
            QCOMPARE(previewOf(d)->text(), QString("共181期"));
        });
    }

    void screenshot()
    {
        QTemporaryDir scratch;
        const QString folder = qEnvironmentVariableIsSet("TAVRIN_SCREENSHOTS") ? qEnvironmentVariable("TAVRIN_SCREENSHOTS")
                                                                                : scratch.path();
        run("1-1", [&](TdybkFrm *d) {
            chooseTerm(d, "一季度");
            IssuePreviewLink *link = previewOf(d);
            link->showList();
            QCoreApplication::processEvents();
            link->dayList()->scrollToItem(link->dayList()->item(40), QAbstractItemView::PositionAtTop);
            QCoreApplication::processEvents();
            QVERIFY(d->grab().save(folder + "/dybk-register.png"));
            QVERIFY(link->listPopup()->grab().save(folder + "/dybk-register-list.png"));
        });
    }
};

TAVRIN_TEST_MAIN(TestDybkRegister)
#include "tst_dybk_register.moc"
