#include "TestDatabase.h"
#include "data/Backup.h"
#include "data/DatabaseLocation.h"
#include "data/Udm.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "main/UbkMainFrm.h"
#include "shell/LoginRules.h"
#include "shell/ProgramEntry.h"
#include "shell/uloginfrm.h"
#include "calendar/DateTable.h"
#include "calendar/IssueCount.h"
#include "shell/WorkYearEdit.h"
#include "widgets/CaptionLabel.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TSpinEdit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QPushButton>
#include <QtTest>

#include <memory>

using platform::TestHooks;

namespace {

const QString kNoFile = QStringLiteral("系统目录无数据库文件,请与系统员联系...");
const QString kWrongCode = QStringLiteral("密码输入错误...");

// The login as the program shows it, without blocking: created, shown, driven by the test.
struct ShownLogin {
    ShownLogin() { form.show(); }
    void chooseRole(int role) { form.Cbox->setCurrentIndex(role); }
    void pressOk() { form.BitBtn1->click(); }
    bool accepted() const { return !form.isVisible() && form.result() == QDialog::Accepted; }
    bool stillOpen() const { return form.isVisible(); }
    Tloginfrm form;
};

int calendarRows()
{
    return CountRows(QStringLiteral("select cbrq from rqdzb"));
}

// Types a year into the year field as a clerk does: into the field, everything selected, key by key.
void typeYear(Tloginfrm &form, const QString &year)
{
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.clnd->setFocus(Qt::OtherFocusReason);
    form.clnd->selectAll();
    QTest::keyClick(form.clnd, Qt::Key_Delete);
    QTest::keyClicks(form.clnd, year);
}

// Moves the focus out of the year field, as a Tab does.
void leaveYearField(Tloginfrm &form)
{
    form.ndBox->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

// Notes every showing of a main window; closes it once shown when asked to, which ends the loop.
class MainWindowWatch : public QObject {
public:
    explicit MainWindowWatch(bool closeWhenShown) : m_close(closeWhenShown)
    {
        qApp->installEventFilter(this);
    }
    ~MainWindowWatch() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *mainForm = qobject_cast<TbkMainFrm *>(watched);
        if (mainForm && event->type() == QEvent::Show) {
            ++shown;
            if (m_close)
                QTimer::singleShot(0, mainForm, [mainForm] {
                    mainForm->close();
                    QCoreApplication::quit();
                });
        }
        return false;
    }

private:
    bool m_close;
};

int mainWindowsAlive()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<TbkMainFrm *>(w) != nullptr;
    return n;
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        TestHooks::clear();
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->ok());
        GP.UserRole = 0;
        GP.WorkYear = 0;
        Tloginfrm::Today = [] { return QDate(2012, 3, 15); };
    }
    void cleanup() { m_db.reset(); }

    void defaultYearTurnsOnFirstJuly()
    {
        QCOMPARE(DefaultWorkYear(QDate(2015, 1, 1)), 2015);
        QCOMPARE(DefaultWorkYear(QDate(2015, 6, 30)), 2015);
        QCOMPARE(DefaultWorkYear(QDate(2015, 7, 1)), 2016);
        QCOMPARE(DefaultWorkYear(QDate(2015, 12, 31)), 2016);

        const QList<QPair<QDate, int>> cases = {
            {QDate(2012, 6, 30), 2012}, {QDate(2012, 7, 1), 2013},
            {QDate(2005, 3, 1), 2009},  {QDate(2024, 7, 1), 2025},
            {QDate(2025, 7, 1), 2026},  {QDate(2026, 6, 30), 2026},
            {QDate(2026, 12, 9), 2027}, {QDate(2031, 1, 1), 2031},
            {QDate(2008, 7, 1), 2009},
        };
        for (const auto &[today, expected] : cases) {
            Tloginfrm::Today = [today] { return today; };
            ShownLogin login;
            QVERIFY2(login.form.clnd->value() == expected, qPrintable(today.toString(Qt::ISODate)));
        }
    }

    void layoutAndStartState()
    {
        ShownLogin login;
        Tloginfrm &f = login.form;
        QCOMPARE(f.size(), QSize(465, 207));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(f.windowTitle().isEmpty());
        QVERIFY(!(f.windowFlags() & Qt::WindowSystemMenuHint));
        QVERIFY(!(f.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(f.font().family(), QStringLiteral("宋体"));
        QCOMPARE(f.FlatPanel1->geometry(), QRect(0, 0, 465, 41));
        QCOMPARE(f.clnd->offeredFirst(), 2009);
        QCOMPARE(f.clnd->offeredLast(), 2025);
        QCOMPARE(f.clnd->value(), 2012);
        QCOMPARE(f.Cbox->currentIndex(), -1);
        QCOMPARE(f.Cbox->count(), 3);
        QCOMPARE(f.Cbox->itemText(0), QStringLiteral("操作员"));
        QCOMPARE(f.Cbox->itemText(1), QStringLiteral("管理员"));
        QCOMPARE(f.Cbox->itemText(2), QStringLiteral("系统员"));
        QCOMPARE(f.Cbox->EditLabel()->text(), QStringLiteral("登陆身份  "));
        QCOMPARE(f.password->EditLabel()->text(), QStringLiteral("密码 "));
        QVERIFY(f.password->isHidden());
        QVERIFY(f.password->EditLabel()->isHidden());
        QVERIFY(!f.ndBox->isEnabled());
        QVERIFY(!f.ndBox->isChecked());
        QVERIFY(f.BitBtn1->isDefault());
        QCOMPARE(f.focusWidget(), f.BitBtn1);

        // Tab order: 确定, 退出, the year, 初始年度, the role list, the code.
        QList<QWidget *> chain;
        QWidget *w = f.BitBtn1;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->parentWidget() == &f)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != f.BitBtn1 && chain.size() < 20);
        const QList<QWidget *> expected = {f.BitBtn1, f.BitBtn2, f.clnd, f.ndBox, f.Cbox, f.password};
        QCOMPARE(chain.mid(0, expected.size()), expected);

        // Every control and caption lies inside the client area, the code's too once shown.
        login.chooseRole(RoleAdministrator);
        QVERIFY(f.password->EditLabel()->isVisible());
        for (QWidget *child : f.findChildren<QWidget *>()) {
            if (child->isWindow() || child->parentWidget() != &f || !child->isVisible())
                continue;
            QVERIFY2(f.rect().contains(child->geometry()),
                     qPrintable(QStringLiteral("%1 %2 %3,%4 %5x%6").arg(child->metaObject()->className(), child->objectName()).arg(child->x()).arg(child->y()).arg(child->width()).arg(child->height())));
        }
    }

    void missingFileComesBeforeTheRoleCheck()
    {
        GP.DatabasePath = m_db->folder() + QStringLiteral("/none/bkdata.mdb");
        ShownLogin login;
        login.chooseRole(RoleAdministrator);
        login.form.password->setText(QStringLiteral("wrong"));
        login.pressOk();
        QCOMPARE(TestHooks::messageCount(), 1);
        const platform::ShownMessage m = TestHooks::lastMessage();
        // the window names the file it looked for and the commands that make one there
        QCOMPARE(m.text, kNoFile + "\n\n" + MissingDatabaseDetails(GP.DatabasePath));
        QVERIFY(m.text.contains("bkdata --demo " + QDir::toNativeSeparators(GP.DatabasePath)));
        QCOMPARE(m.caption, QStringLiteral("提示"));
        QCOMPARE(m.icon, platform::Icon::Warning);
        QCOMPARE(m.owner.data(), &login.form);
        QVERIFY(login.stillOpen());
        QVERIFY(login.form.BitBtn1->isEnabled());

        // The file copied into place: OK again goes on to the code check.
        GP.DatabasePath = m_db->path();
        login.pressOk();
        QCOMPARE(TestHooks::lastMessage().text, kWrongCode);
    }

    void wrongCodeKeepsTheText()
    {
        ShownLogin login;
        login.chooseRole(RoleAdministrator);
        login.form.password->setText(QStringLiteral("9261"));
        login.pressOk();
        QCOMPARE(TestHooks::lastMessage().text, kWrongCode);
        QCOMPARE(TestHooks::lastMessage().caption, QStringLiteral("提示"));
        QCOMPARE(login.form.password->text(), QStringLiteral("9261"));
        QCOMPARE(GP.UserRole, 0);
        QCOMPARE(GP.WorkYear, 0);
        QVERIFY(login.stillOpen());
        QVERIFY(login.form.BitBtn1->isEnabled() && login.form.BitBtn2->isEnabled());

        login.chooseRole(RoleSystem);
        login.form.password->setText(QStringLiteral("TRAVENX"));   // one character more
        login.pressOk();
        QCOMPARE(TestHooks::messageCount(), 2);
        QCOMPARE(TestHooks::lastMessage().text, kWrongCode);
        QVERIFY(login.stillOpen());
    }

    void administratorCodeGrantsRoleOne()
    {
        ShownLogin login;
        login.chooseRole(RoleAdministrator);
        QCOMPARE(GP.UserRole, 0);
        login.form.password->setText(QStringLiteral(" 9260"));
        login.form.clnd->setValue(2011);
        dm->ADOConnection.close();
        login.pressOk();
        QVERIFY(login.accepted());
        QCOMPARE(TestHooks::messageCount(), 0);
        QCOMPARE(GP.UserRole, 1);
        QCOMPARE(GP.WorkYear, 2011);
        QVERIFY(dm->ADOConnection.connected());
    }

    void lowerCaseSystemCodeBetweenBlanksIsAccepted()
    {
        ShownLogin login;
        login.chooseRole(RoleSystem);
        login.form.password->setText(QStringLiteral("  traven  "));
        login.pressOk();
        QVERIFY(login.accepted());
        QCOMPARE(TestHooks::messageCount(), 0);
        QCOMPARE(GP.UserRole, 2);
        QCOMPARE(GP.WorkYear, 2012);
    }

    void roleChangeClearsTickAndCode()
    {
        ShownLogin login;
        Tloginfrm &f = login.form;
        login.chooseRole(RoleSystem);
        QCOMPARE(GP.UserRole, 2);
        QVERIFY(f.ndBox->isEnabled());
        QVERIFY(!f.password->isHidden());
        f.ndBox->setChecked(true);
        f.password->setText(QStringLiteral("TRAVEN"));

        login.chooseRole(RoleAdministrator);
        QCOMPARE(GP.UserRole, 0);
        QVERIFY(!f.ndBox->isChecked());
        QVERIFY(!f.ndBox->isEnabled());
        QVERIFY(f.password->text().isEmpty());
        QVERIFY(!f.password->isHidden());

        f.password->setText(QStringLiteral("9260"));
        login.chooseRole(RoleOperator);
        QVERIFY(f.password->text().isEmpty());
        QVERIFY(f.password->isHidden());
        QVERIFY(f.password->EditLabel()->isHidden());
        QVERIFY(!f.ndBox->isEnabled());
    }

    void noRoleLogsInAsOperator()
    {
        ShownLogin login;
        login.pressOk();
        QVERIFY(login.accepted());
        QCOMPARE(GP.UserRole, 0);
        QCOMPARE(GP.WorkYear, 2012);

        ShownLogin again;
        again.chooseRole(RoleSystem);
        again.form.password->setText(QStringLiteral("TRAVEN"));
        again.chooseRole(RoleOperator);
        again.pressOk();
        QVERIFY(again.accepted());
        QCOMPARE(GP.UserRole, 0);
    }

    void registerTableComesAtLoginWithoutLosingAnything()
    {
        // A database made before the register of irregular issues existed, holding data.
        dm->ADOConnection.execute(QStringLiteral("drop table tkhkb"));
        QVERIFY(ExecSql(QStringLiteral("insert into dwinfo (dwmc,lxr,phone) values ('某单位','张三','123')")));
        QVERIFY(ExecSql(QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq,qnj) values ('1-1','某报','日报','',120)")));
        QVERIFY(ExecSql(QStringLiteral("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) "
                                       "values (1,0,'1-1','日报',1,12,2,240)")));
        QVERIFY(BuildDateTable(2012));
        QCOMPARE(CountRows(QStringLiteral("select bkdh from tkhkb")), -1);

        ShownLogin login;
        login.pressOk();
        QVERIFY(login.accepted());
        QCOMPARE(TestHooks::messageCount(), 0);
        QCOMPARE(CountRows(QStringLiteral("select bkdh from tkhkb")), 0);
        QVERIFY(ExecSql(QStringLiteral("insert into tkhkb (mllx,bkdh,nd,lb,qr,zr,sm) "
                                       "values (0,'1-1',2012,'休刊','2012-01-22','2012-01-28','春节')")));

        // Every later start finds the table and leaves it, and everything else, as it is.
        ShownLogin again;
        again.pressOk();
        QVERIFY(again.accepted());
        QCOMPARE(CountRows(QStringLiteral("select bkdh from tkhkb")), 1);
        QCOMPARE(CountRows(QStringLiteral("select dwmc from dwinfo")), 1);
        QCOMPARE(CountRows(QStringLiteral("select bkdh from post where qnj=120")), 1);
        QCOMPARE(CountRows(QStringLiteral("select id from torder where ke=240 and fs=2")), 1);
        QCOMPARE(calendarRows(), 366);
    }

    void exitClosesWithoutOk()
    {
        ShownLogin login;
        login.form.BitBtn2->click();
        QVERIFY(!login.stillOpen());
        QVERIFY(login.form.result() != QDialog::Accepted);
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void calendarRebuildOnRequest()
    {
        ShownLogin login;
        login.chooseRole(RoleSystem);
        login.form.password->setText(QStringLiteral("TRAVEN"));
        login.form.ndBox->setChecked(true);
        login.form.clnd->setValue(2012);
        login.pressOk();
        QVERIFY(login.accepted());
        QCOMPARE(calendarRows(), 366);
        QCOMPARE(CountRows(QStringLiteral("select cbrq from rqdzb where cbrq='2012-02-29'")), 1);
    }

    void failedRebuildKeepsDialogAndConnection()
    {
        QVERIFY(BuildDateTable(2010));
        QCOMPARE(calendarRows(), 365);
        // The shared calendar table refuses new rows: the rebuild fails part-way and must undo itself.
        dm->ADOConnection.execute(QStringLiteral(
            "create trigger main.refuse_days before insert on rqdzb begin select raise(abort, 'rqdzb is read-only'); end"));

        ShownLogin login;
        login.chooseRole(RoleSystem);
        login.form.password->setText(QStringLiteral("TRAVEN"));
        login.form.ndBox->setChecked(true);
        login.pressOk();
        QCOMPARE(TestHooks::messageCount(), 1);
        const platform::ShownMessage m = TestHooks::lastMessage();
        QVERIFY2(m.text.startsWith(QStringLiteral("初始年度出现异常->")), qPrintable(m.text));
        QVERIFY2(m.text.contains(QStringLiteral("rqdzb is read-only")), qPrintable(m.text));
        QCOMPARE(m.caption, QStringLiteral("提示"));
        QVERIFY(login.stillOpen());
        QVERIFY(login.form.BitBtn1->isEnabled() && login.form.BitBtn2->isEnabled());
        QVERIFY(dm->ADOConnection.connected());
        QCOMPARE(calendarRows(), 365);
        QCOMPARE(GP.WorkYear, 2012);

        // A retry repeats the whole sequence and now succeeds.
        dm->ADOConnection.execute(QStringLiteral("drop trigger refuse_days"));
        login.pressOk();
        QVERIFY(login.accepted());
        QCOMPARE(calendarRows(), 366);
    }

    void connectionFailureIsReportedAndRetryable()
    {
        const QString bad = m_db->folder() + QStringLiteral("/bad/bkdata.mdb");
        QVERIFY(QDir().mkpath(m_db->folder() + QStringLiteral("/bad")));
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        GP.DatabasePath = bad;
        GP.ConnectionText = ConnectionTextFor(bad);
        ShownLogin login;
        login.pressOk();
        QCOMPARE(TestHooks::messageCount(), 1);
        QVERIFY2(TestHooks::lastMessage().text.startsWith(QStringLiteral("连接数据库失败->")),
                 qPrintable(TestHooks::lastMessage().text));
        QVERIFY(TestHooks::lastMessage().text.size() > QStringLiteral("连接数据库失败->").size());
        QVERIFY(login.stillOpen());
        QVERIFY(login.form.BitBtn1->isEnabled() && login.form.BitBtn2->isEnabled());

        GP.DatabasePath = m_db->path();
        GP.ConnectionText = ConnectionTextFor(m_db->path());
        login.pressOk();
        QVERIFY(login.accepted());
    }

    void exitEndsTheProgramWithoutTheMainWindow()
    {
        m_db.reset();
        MainWindowWatch watch(false);
        bool mainExistedDuringLogin = false;
        TestHooks::queueForm([&](QDialog *form) {
            mainExistedDuringLogin = mainWindowsAlive() == 1;
            QVERIFY(dm && !dm->ADOConnection.connected());
            QCOMPARE(GP.DatabasePath, QDir(QCoreApplication::applicationDirPath()).filePath("bkdata.mdb"));
            form->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
        });
        QCOMPARE(RunTavrin(nullptr), 0);
        QVERIFY(mainExistedDuringLogin);
        QCOMPARE(watch.shown, 0);
        QCOMPARE(mainWindowsAlive(), 0);
        QVERIFY(dm == nullptr);
        const auto forms = TestHooks::forms();
        QCOMPARE(forms.size(), 1);
        QCOMPARE(forms[0].formClass, QStringLiteral("Tloginfrm"));
        QCOMPARE(forms[0].result, int(QDialog::Rejected));
    }

    void lastOfferedYearIsNextYear()
    {
        QCOMPARE(LastWorkYear(QDate(2012, 3, 15)), 2025);
        QCOMPARE(LastWorkYear(QDate(2024, 12, 31)), 2025);
        QCOMPARE(LastWorkYear(QDate(2025, 1, 1)), 2026);
        QCOMPARE(LastWorkYear(QDate(2026, 12, 9)), 2027);
        QVERIFY(WorkYearOffered(2009, QDate(2026, 12, 9)));
        QVERIFY(!WorkYearOffered(2008, QDate(2026, 12, 9)));
        QVERIFY(!WorkYearOffered(2028, QDate(2026, 12, 9)));
        QCOMPARE(ClampWorkYear(2031, QDate(2026, 12, 9)), 2027);
    }

    // From autumn on the desk takes next year's subscriptions: the year is typed and accepted.
    void nextYearIsTypedAndAccepted()
    {
        const struct {
            QDate today;
            int year;
        } cases[] = {{QDate(2026, 12, 9), 2027}, {QDate(2026, 6, 30), 2026}, {QDate(2026, 6, 30), 2009}};
        for (const auto &c : cases) {
            TestHooks::clear();
            Tloginfrm::Today = [c] { return c.today; };
            ShownLogin login;
            login.chooseRole(RoleOperator);
            typeYear(login.form, QString::number(c.year));
            QCOMPARE(login.form.clnd->text(), QString::number(c.year));
            leaveYearField(login.form);
            QCOMPARE(login.form.clnd->text(), QString::number(c.year));
            login.pressOk();
            QVERIFY2(login.accepted(), qPrintable(TestHooks::lastMessage().text));
            QCOMPARE(GP.WorkYear, c.year);
            QVERIFY(CalendarHoldsYear(c.year));
        }
    }

    // A year outside the offered ones stays in the field as typed and 确定 refuses it; it never
    // becomes 2009 (nor builds a calendar of 2009).
    void typedYearOutsideTheRangeIsRefusedAsTyped()
    {
        const QString refusal = QStringLiteral("处理年度输入错误,请输入2009至2027之间的年度...");
        Tloginfrm::Today = [] { return QDate(2026, 12, 9); };
        for (const QString &typed : {QStringLiteral("2028"), QStringLiteral("202"), QStringLiteral("2008"),
                                     QStringLiteral("0")}) {
            TestHooks::clear();
            ShownLogin login;
            login.chooseRole(RoleSystem);
            login.form.password->setText(QStringLiteral("TRAVEN"));
            login.form.ndBox->setChecked(true);
            typeYear(login.form, typed);
            leaveYearField(login.form);
            QCOMPARE(login.form.clnd->text(), typed);
            login.pressOk();
            QCOMPARE(TestHooks::messageCount(), 1);
            QCOMPARE(TestHooks::lastMessage().text, refusal);
            QCOMPARE(TestHooks::lastMessage().caption, QStringLiteral("提示"));
            QVERIFY(login.stillOpen());
            QCOMPARE(login.form.clnd->text(), typed);
            QCOMPARE(GP.WorkYear, 0);
            QCOMPARE(calendarRows(), 0); // no calendar of any year was built

            // Enter in the field presses 确定 as well: the same refusal, the same text kept.
            login.form.clnd->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(login.form.clnd, Qt::Key_Return);
            QCOMPARE(TestHooks::messageCount(), 2);
            QCOMPARE(TestHooks::lastMessage().text, refusal);
            QCOMPARE(login.form.clnd->text(), typed);
        }

        // On 30 June the year after next is not offered; an emptied field is no year either.
        Tloginfrm::Today = [] { return QDate(2026, 6, 30); };
        for (const QString &typed : {QStringLiteral("2028"), QString()}) {
            TestHooks::clear();
            ShownLogin early;
            typeYear(early.form, typed);
            early.pressOk();
            QCOMPARE(TestHooks::lastMessage().text, QStringLiteral("处理年度输入错误,请输入2009至2027之间的年度..."));
            QVERIFY(early.stillOpen());
            QCOMPARE(GP.WorkYear, 0);
        }
    }

    // The buttons and arrow keys move within the offered years only.
    void yearButtonsStayWithinTheOfferedYears()
    {
        Tloginfrm::Today = [] { return QDate(2026, 12, 9); };
        ShownLogin login;
        WorkYearEdit *year = login.form.clnd;
        QCOMPARE(year->value(), 2027);
        year->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(year, Qt::Key_Up);
        QCOMPARE(year->value(), 2027);
        QTest::keyClick(year, Qt::Key_Down);
        QCOMPARE(year->value(), 2026);
        typeYear(login.form, QStringLiteral("2040"));
        QTest::keyClick(year, Qt::Key_Down);
        QCOMPARE(year->value(), 2027);
        typeYear(login.form, QStringLiteral("1990"));
        QTest::keyClick(year, Qt::Key_Up);
        QCOMPARE(year->value(), 2009);
        QTest::keyClick(year, Qt::Key_Down);
        QCOMPARE(year->value(), 2009);
    }

    // Every role finds the calendar of its processing year after the login, one of its own connection,
    // whatever year the shared table holds.
    void loginBringsTheCalendarToTheProcessingYear()
    {
        Tloginfrm::Today = [] { return QDate(2025, 3, 1); };
        for (int role : {RoleOperator, RoleAdministrator, RoleSystem}) {
            QVERIFY(BuildDateTable(2009));
            ForgetCalendarCheck();
            ShownLogin login;
            login.chooseRole(role);
            login.form.password->setText(RoleCode(role));
            login.pressOk();
            QVERIFY(login.accepted());
            QCOMPARE(TestHooks::messageCount(), 0);
            QCOMPARE(GP.WorkYear, 2025);
            QCOMPARE(calendarRows(), 365);
            QCOMPARE(CountRows(QStringLiteral("select cbrq from rqdzb where cbrq like '2025-%'")), 365);
            // 月报 published on the 31st: April, May and June each have one issue.
            QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 4, 6), 3);
        }

        // The shared calendar is rebuilt on request only (a trigger would refuse it): a login with another
        // year builds the desk's own calendar and leaves the shared one.
        dm->ADOConnection.execute(QStringLiteral(
            "create trigger main.refuse_days before delete on rqdzb begin select raise(abort, 'rqdzb is read-only'); end"));
        ForgetCalendarCheck();
        Tloginfrm::Today = [] { return QDate(2026, 3, 1); };
        ShownLogin again;
        again.pressOk();
        QVERIFY(again.accepted());
        QCOMPARE(TestHooks::messageCount(), 0);
        QCOMPARE(CountRows(QStringLiteral("select cbrq from rqdzb where cbrq like '2026-%'")), 365);
        QCOMPARE(CountRows(QStringLiteral("select cbrq from main.rqdzb where cbrq like '2009-%'")), 365);

        // A rebuild that fails is reported as 初始年度 failures are, and the dialog stays.
        ShownLogin failing;
        failing.chooseRole(RoleSystem);
        failing.form.password->setText(RoleCode(RoleSystem));
        failing.form.ndBox->setChecked(true);
        failing.pressOk();
        QCOMPARE(TestHooks::messageCount(), 1);
        QVERIFY2(TestHooks::lastMessage().text.startsWith(QStringLiteral("初始年度出现异常->")),
                 qPrintable(TestHooks::lastMessage().text));
        QVERIFY(failing.stillOpen());
        QCOMPARE(CountRows(QStringLiteral("select cbrq from main.rqdzb where cbrq like '2009-%'")), 365);
    }

    // A fresh database has no calendar: the login builds it, so the operator's first partial-year
    // count is right instead of 0.
    void freshDatabaseGetsItsCalendarAtLogin()
    {
        QCOMPARE(calendarRows(), 0);
        ShownLogin login;
        login.pressOk();
        QVERIFY(login.accepted());
        QCOMPARE(GP.UserRole, int(RoleOperator));
        QCOMPARE(calendarRows(), 366); // 2012
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月15号出版"), 1, 6), 6);
    }

    // An empty or foreign file at the database's place is refused at login and never written: it once
    // logged in, every window then failed with "no such table", and the file had become a database.
    void foreignFilesAreRefusedAtLoginUnchanged()
    {
        const QString folder = m_db->folder() + QStringLiteral("/desk");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/bkdata.mdb");
        const QList<QPair<QByteArray, QString>> files = {
            {QByteArray(), QStringLiteral("连接数据库失败->数据库文件是空的,不是本系统的数据库")},
            {QByteArray("PK\x03\x04 not a database at all").repeated(100),
             QStringLiteral("连接数据库失败->数据库密码不符,或该文件不是本系统的数据库（file is encrypted or is not a database）")},
        };
        for (const auto &[bytes, message] : files) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            dm->ADOConnection.close();
            GP.DatabasePath = path;
            GP.ConnectionText = ConnectionTextFor(path);
            TestHooks::clear();
            ShownLogin login;
            login.pressOk();
            QCOMPARE(TestHooks::messageCount(), 1);
            QCOMPARE(TestHooks::lastMessage().text, message);
            QVERIFY(login.stillOpen());
            QVERIFY(login.form.BitBtn1->isEnabled());
            QVERIFY(!dm->ADOConnection.connected());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
            file.close();
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("bkdata.mdb")});
        }
    }

    void successfulLoginShowsTheMainWindow()
    {
        m_db.reset();
        TestDatabase demo(/*demo=*/true);
        QVERIFY(demo.ok());
        delete dm; // the program makes its own data module
        dm = nullptr;
        MainWindowWatch watch(true);
        TestHooks::queueForm([&](QDialog *form) {
            // The main window's creation step pointed at the program's folder; use the demo file.
            GP.DatabasePath = demo.path();
            GP.ConnectionText = ConnectionTextFor(demo.path());
            auto *login = static_cast<Tloginfrm *>(form);
            login->Cbox->setCurrentIndex(RoleAdministrator);
            login->password->setText(QStringLiteral("9260"));
            QCOMPARE(watch.shown, 0);
            login->BitBtn1->click();
        });
        QCOMPARE(RunTavrin(nullptr), 0);
        QCOMPARE(watch.shown, 1);
        QCOMPARE(GP.UserRole, 1);
        // the day's first login left a copy of the database
        const QList<BackupEntry> copies = ListBackups(demo.path());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().reason, BackupReason::DailyLogin);
        QCOMPARE(mainWindowsAlive(), 0);
        QVERIFY(dm == nullptr);
    }

    void secondStartRaisesTheFirstAndEnds()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(TAVRIN_EXE), {});
        QVERIFY(first.waitForStarted());
        // The first copy listens once its main window exists (it then waits in the login).
        QVERIFY(QTest::qWaitFor(
            [&] { return !QDir(tmp.path()).entryList({"tavrin-*.socket"}, QDir::System).isEmpty(); },
            30000));

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(TAVRIN_EXE), {});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(30000));
        // After a crash the next start is a first copy again: it stays up in its login.
        QProcess successor;
        successor.setProcessEnvironment(env);
        successor.start(QStringLiteral(TAVRIN_EXE), {});
        QVERIFY(successor.waitForStarted());
        QVERIFY(!successor.waitForFinished(1500));
        successor.kill();
        QVERIFY(successor.waitForFinished(30000));
    }

    // --help and --version answer with no display at all; a start without one says so in one line
    // of its own instead of Qt's advice to reinstall.
    void commandLineWithoutADisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        struct Run {
            int code = -1;
            QString out;
            QString err;
        };
        auto run = [&](const QStringList &args, const QString &program = QStringLiteral(TAVRIN_EXE)) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(program, args);
            Run r;
            if (!p.waitForFinished(30000)) {
                p.kill();
                p.waitForFinished();
                return r;
            }
            r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
            r.out = QString::fromUtf8(p.readAllStandardOutput());
            r.err = QString::fromUtf8(p.readAllStandardError());
            return r;
        };
        const Run version = run({"--version"});
        QCOMPARE(version.code, 0);
        QVERIFY2(QRegularExpression("^Tavrin系统 \\d+\\.\\d+\\.\\d+\n$").match(version.out).hasMatch(),
                 qPrintable(version.out));
        const Run help = run({"--help"});
        QCOMPARE(help.code, 0);
        QVERIFY2(help.out.contains("--database") && help.out.contains("bkdata --demo"), qPrintable(help.out));
        // bkdata's help speaks Chinese too, Qt's own words of it included
        const Run toolHelp = run({"--help"}, QStringLiteral(BKDATA_EXE));
        QCOMPARE(toolHelp.code, 0);
        for (const char *words : {"建立Tavrin系统的数据库", "--demo", "加入演示目录", "--restore <BACKUP>", "用法", "显示"})
            QVERIFY2(toolHelp.out.contains(QString::fromUtf8(words)), qPrintable(toolHelp.out));
        QVERIFY2(!toolHelp.out.contains(QRegularExpression("\\b(Add|Usage|Options|Displays)\\b")), qPrintable(toolHelp.out));
        const Run plain = run({});
        QCOMPARE(plain.code, 1);
        QCOMPARE(plain.err.count('\n'), 1);
        QVERIFY2(plain.err.contains("图形显示") && !plain.err.contains("Reinstalling"), qPrintable(plain.err));
        const Run missingValue = run({"--database"});
        QCOMPARE(missingValue.code, 2);
        QVERIFY2(missingValue.err.contains("--database"), qPrintable(missingValue.err));
    }

    void databaseLocationRules()
    {
        const QString data = QStringLiteral("/home/u/.local/share");
        // run from a build or unpacked folder: beside the program
        for (const QString &dir : {QStringLiteral("/work/tavrin/build/bin"), QStringLiteral("/tmp/unpacked/usr/bin")}) {
            const DatabaseLocation beside = ChooseDatabaseLocation(dir, QString(), data);
            QCOMPARE(beside.filePath, dir + "/bkdata.mdb");
            QVERIFY(beside.serverFile.isEmpty() && !beside.explicitlyNamed);
        }
        // installed: the user's data folder
        for (const QString &dir : {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin/"), QStringLiteral("/opt/tavrin/bin")}) {
            QVERIFY2(IsInstalledProgramDir(dir), qPrintable(dir));
            QCOMPARE(ChooseDatabaseLocation(dir, QString(), data).filePath, data + "/tavrin/bkdata.mdb");
        }
        // --database names the file (made absolute), or with .ini a server's settings file
        const DatabaseLocation named = ChooseDatabaseLocation("/usr/bin", "/srv/订单/bk.mdb", data);
        QCOMPARE(named.filePath, QStringLiteral("/srv/订单/bk.mdb"));
        QVERIFY(named.explicitlyNamed && named.serverFile.isEmpty());
        QCOMPARE(ChooseDatabaseLocation("/usr/bin", "rel/bk.mdb", data).filePath, QDir::current().absoluteFilePath("rel/bk.mdb"));
        const DatabaseLocation server = ChooseDatabaseLocation("/work/b/bin", "/etc/tavrin/desk.INI", data);
        QCOMPARE(server.serverFile, QStringLiteral("/etc/tavrin/desk.INI"));
        QCOMPARE(server.filePath, QStringLiteral("/work/b/bin/bkdata.mdb"));

        // the main window's creation step takes the location of the run
        DatabaseLocation chosen;
        chosen.filePath = QStringLiteral("/srv/bk.mdb");
        chosen.serverFile = QStringLiteral("/etc/desk.ini");
        SetDatabaseLocation(chosen);
        {
            TbkMainFrm mainForm;
            QCOMPARE(GP.DatabasePath, chosen.serverFile); // the server is the database
            QCOMPARE(GP.ServerFile, chosen.serverFile);
            QCOMPARE(GP.ConnectionText, ConnectionTextFor(chosen.serverFile));
        }
        chosen.serverFile.clear();
        SetDatabaseLocation(chosen);
        {
            TbkMainFrm mainForm;
            QCOMPARE(GP.DatabasePath, chosen.filePath);
            QCOMPARE(GP.ConnectionText, ConnectionTextFor(chosen.filePath));
        }
        // a settings file beside the program selects the server unless --database names a database
        QTemporaryDir folder;
        QFile ini(folder.filePath("tavrin.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.close();
        QCOMPARE(ChooseDatabaseLocation(folder.path(), QString(), data).serverFile, ini.fileName());
        QVERIFY(ChooseDatabaseLocation(folder.path(), "/srv/bk.mdb", data).serverFile.isEmpty());
        SetDatabaseLocation(ChooseDatabaseLocation(QString()));
        QCOMPARE(CurrentDatabaseLocation().filePath, QDir(QCoreApplication::applicationDirPath()).filePath("bkdata.mdb"));
    }

    // A missing file: standard error and the login's message tell where the program looked and how to
    // make a database there.
    void aMissingDatabaseIsExplainedOnStandardError()
    {
        QTemporaryDir tmp;
        const QString missing = tmp.filePath("无/bkdata.mdb");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TAVRIN_EXE), {"--database", missing});
        QVERIFY(program.waitForStarted());
        QString err;
        QVERIFY(QTest::qWaitFor(
            [&] {
                program.waitForReadyRead(100);
                err += QString::fromUtf8(program.readAllStandardError());
                return err.contains("bkdata " + missing);
            },
            30000));
        QVERIFY2(err.contains("bkdata --demo " + missing), qPrintable(err));
        QCOMPARE(program.state(), QProcess::Running); // the login waits
        program.kill();
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(MissingDatabaseHint(missing).count(missing), 3); // where it looked, and both commands
        // the login's own message, followed by the same hint
        ShownLogin login;
        GP.DatabasePath = missing;
        login.chooseRole(RoleOperator);
        login.pressOk();
        QCOMPARE(TestHooks::lastMessage().text, kNoFile + "\n\n" + MissingDatabaseDetails(missing));
        QVERIFY(login.stillOpen());
    }

private:
    std::unique_ptr<TestDatabase> m_db;
};

TAVRIN_TEST_MAIN(TestShell)
#include "tst_shell.moc"
