#include "shell/uloginfrm.h"

#include "calendar/DateTable.h"
#include "calendar/IrregularIssues.h"
#include "catalogue/SearchData.h"
#include "data/DatabaseCheck.h"
#include "data/Udm.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "shell/LoginPictures.h"
#include "shell/LoginRules.h"
#include "shell/ServerLogin.h"
#include "shell/WorkYearEdit.h"
#include "widgets/CaptionLabel.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <exception>

std::function<QDate()> Tloginfrm::Today = [] { return QDate::currentDate(); };

Tloginfrm::Tloginfrm(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("loginfrm"));
    setWindowTitle(QString());
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize(465, 207);
    buildControls();

    // 确定 first, so it holds the focus when the dialog opens.
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, clnd);
    setTabOrder(clnd, ndBox);
    setTabOrder(ndBox, Cbox);
    setTabOrder(Cbox, password);
    BitBtn1->setFocus();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    platform::ConnectAction(Cbox, &QComboBox::currentIndexChanged, this, &Tloginfrm::CboxChange);
    platform::ConnectAction(BitBtn1, &QPushButton::clicked, this, &Tloginfrm::BitBtn1Click);
    platform::ConnectAction(BitBtn2, &QPushButton::clicked, this, &Tloginfrm::BitBtn2Click);
}

void Tloginfrm::buildControls()
{
    FlatPanel1 = new TFlatPanel(this);
    FlatPanel1->setObjectName(QStringLiteral("FlatPanel1"));
    FlatPanel1->setGeometry(0, 0, 465, 41);
    FlatPanel1->setColor(palette().color(QPalette::Window));

    Image1 = new QLabel(FlatPanel1);
    Image1->setGeometry(10, 4, 32, 32);
    Image1->setPixmap(LoginPanelPicture());

    Label1 = new QLabel(QStringLiteral("系统登陆"), FlatPanel1);
    QFont titleFont(QStringLiteral("宋体"), 15);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    Label1->setGeometry(52, 5, 200, 31);

    clnd = new WorkYearEdit(this);
    clnd->setOfferedRange(kFirstWorkYear, LastWorkYear(Today()));
    clnd->setObjectName(QStringLiteral("clnd"));
    QFont yearFont(QStringLiteral("幼圆"), 10);
    yearFont.setBold(true);
    clnd->setFont(yearFont);
    clnd->setGeometry(114, 60, 96, 24);
    new TCaptionLabel(clnd, QStringLiteral("处理年度"), TLabelPosition::Left, 6);

    ndBox = new TFlatCheckBox(QStringLiteral("初始年度"), this);
    ndBox->setObjectName(QStringLiteral("ndBox"));
    ndBox->setGeometry(250, 61, 100, 22);
    ndBox->setEnabled(false);

    Cbox = new TLabeledComboBox(QStringLiteral("登陆身份  "), this, TLabelPosition::Left);
    Cbox->setObjectName(QStringLiteral("Cbox"));
    Cbox->EditLabel()->setPosition(TLabelPosition::Left, 0);
    Cbox->setGeometry(114, 100, 96, 24);
    Cbox->addItems({QStringLiteral("操作员"), QStringLiteral("管理员"), QStringLiteral("系统员")});
    Cbox->setCurrentIndex(-1);

    password = new TLabeledEdit(QStringLiteral("密码 "), this, TLabelPosition::Left);
    password->setObjectName(QStringLiteral("password"));
    password->EditLabel()->setPosition(TLabelPosition::Left, 0);
    password->setGeometry(290, 100, 140, 24);
    password->setEchoMode(QLineEdit::Password);
    password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
    resetPassword(false);

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(8, 146, 449, 2);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    BitBtn1 = new QPushButton(OkButtonGlyph(), QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(262, 162, 85, 29);
    BitBtn1->setDefault(true);

    BitBtn2 = new QPushButton(ExitButtonGlyph(), QStringLiteral("退出"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(360, 162, 85, 29);
}

void Tloginfrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void Tloginfrm::FormShow()
{
    const QDate today = Today();
    clnd->setOfferedRange(kFirstWorkYear, LastWorkYear(today));
    clnd->setValue(ClampWorkYear(DefaultWorkYear(today), today));
}

void Tloginfrm::resetPassword(bool shown)
{
    password->clear();
    password->setVisible(shown);
    // Before the dialog is first shown, hiding sends no event the caption could follow.
    password->EditLabel()->setVisible(shown);
}

void Tloginfrm::CboxChange()
{
    const int role = Cbox->currentIndex();
    // Administrators reach UserRole 1 only through their code at OK.
    GP.UserRole = role == RoleSystem ? RoleSystem : RoleOperator;
    resetPassword(role == RoleAdministrator || role == RoleSystem);
    ndBox->setChecked(false);
    ndBox->setEnabled(role == RoleSystem);
}

void Tloginfrm::setButtonsEnabled(bool enabled)
{
    BitBtn1->setEnabled(enabled);
    BitBtn2->setEnabled(enabled);
}

void Tloginfrm::BitBtn1Click()
{
    const QString missing = MissingDatabaseMessage(GP.DatabasePath);
    if (!missing.isEmpty()) {
        platform::ShowPrompt(this, missing);
        return;
    }
    const int role = Cbox->currentIndex();
    if (role == RoleAdministrator || role == RoleSystem) {
        if (!CodeAccepted(role, password->text())) {
            platform::ShowPrompt(this, QStringLiteral("密码输入错误..."));
            return;
        }
        GP.UserRole = role;
    } else if (role == RoleOperator) {
        GP.UserRole = RoleOperator;
    }
    // A year typed outside the offered ones stays in the field; it is refused, never replaced. The
    // text counts, not the last value the field took from it (an emptied field keeps one).
    bool isNumber = false;
    const int typedYear = clnd->cleanText().trimmed().toInt(&isNumber);
    if (!isNumber || !WorkYearOffered(typedYear, Today())) {
        platform::ShowPrompt(this, WorkYearRefusal(Today()));
        clnd->setFocus();
        clnd->selectAll();
        return;
    }

    setButtonsEnabled(false);
    platform::ProcessMessages();
    // Opening for work writes to the file: an empty, foreign or damaged file is refused before that.
    const DatabaseFileCheck check = CheckDatabaseFile(GP.ConnectionText);
    if (!check.ok) {
        platform::ShowPrompt(this, QStringLiteral("连接数据库失败->") + check.failure);
        setButtonsEnabled(true);
        return;
    }
    try {
        if (!OpenDatabaseAtLogin(this)) {
            setButtonsEnabled(true);
            return;
        }
        GP.WorkYear = typedYear;
        // A database made before the register of irregular issues existed gets its table now,
        // before anything reads it.
        if (!EnsureIrregularIssueTable() || !EnsureSearchDataTable()) {
            platform::ShowPrompt(this, QStringLiteral("数据库升级出现异常->") + GP.LastError);
            setButtonsEnabled(true);
            return;
        }
        if (!prepareCalendar()) {
            platform::ShowPrompt(this, QStringLiteral("初始年度出现异常->") + GP.LastError);
            setButtonsEnabled(true);
            return;
        }
        // Titles imported or corrected by an older program, or on another desk meanwhile, get what the
        // search needs. Without it they are still found by their characters: the clerk is told, and
        // works on.
        if (!RefreshSearchData(true))
            platform::ShowPrompt(this, QStringLiteral("报刊检索数据更新失败->") + GP.LastError);
    } catch (const std::exception &error) {
        platform::ShowPrompt(this, QStringLiteral("连接数据库失败->")
                                       + platform::ExceptionMessage(error));
        setButtonsEnabled(true);
        return;
    }
    done(QDialog::Accepted);
}

// Prices over part of a year count issues in the calendar, so it must hold exactly the processing
// year. The shared table is rebuilt on request (初始年度); every role counts in a calendar of its own
// connection, built here when it is missing or holds another year (derived data, built in a fraction
// of a second), so no other desk's year changes this desk's prices.
bool Tloginfrm::prepareCalendar()
{
    if (ndBox->isChecked())
        return BuildDateTable(GP.WorkYear);
    if (CalendarHoldsYear(GP.WorkYear))
        return true;
    return BuildConnectionCalendar(GP.WorkYear);
}

void Tloginfrm::BitBtn2Click()
{
    done(QDialog::Rejected);
}
