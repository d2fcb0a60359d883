// The order area of the main window: tool bar, unit box with the unit's contact data, and the order
// grid of the chosen unit under the current catalogue type.

#include "calendar/DateTable.h"
#include "calendar/IrregularIssues.h"
#include "catalogue/SearchData.h"
#include "data/Backup.h"
#include "catalogue/BackupGuard.h"
#include "main/CatalogueQueries.h"
#include "main/MainWindowRules.h"
#include "main/RestoreWindow.h"
#include "main/UbkMainFrm.h"
#include "orders/UdybkFrm.h"
#include "orders/UoperatorFrm.h"
#include "orders/UxlsoutFrm.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TPickComboBox.h"

#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *toolButton(const QString &caption, QStyle::StandardPixmap picture, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(caption);
    button->setIcon(parent->style()->standardIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFixedSize(99, 26);
    return button;
}

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedHeight(22);
    return line;
}

} // namespace

void TbkMainFrm::buildOrderArea()
{
    FlatPanel2 = new TFlatPanel(this);
    FlatPanel2->setObjectName(QStringLiteral("FlatPanel2"));
    FlatPanel2->setBorderColor(QColor(0x33, 0x66, 0x99));
    auto *column = new QVBoxLayout(FlatPanel2);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);

    auto *toolBar = new QWidget(FlatPanel2);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    auto *tools = new QHBoxLayout(toolBar);
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(2);
    dyBtn = toolButton(QStringLiteral("订阅报刊"), QStyle::SP_FileDialogNewFolder, toolBar);
    ddcxBtn = toolButton(QStringLiteral("订单查询"), QStyle::SP_FileDialogContentsView, toolBar);
    xgDDBtn = toolButton(QStringLiteral("修改记录"), QStyle::SP_FileDialogDetailedView, toolBar);
    delBtn = toolButton(QStringLiteral("删除单条记录"), QStyle::SP_TrashIcon, toolBar);
    clearBtn = toolButton(QStringLiteral("清空全部记录"), QStyle::SP_DialogDiscardButton, toolBar);
    ToolButton1 = toolButton(QStringLiteral("导出订单"), QStyle::SP_DialogSaveButton, toolBar);
    PrintBtn = toolButton(QStringLiteral("打印订单"), QStyle::SP_FileDialogListView, toolBar);
    DyhzBtn = toolButton(QStringLiteral("订阅汇总"), QStyle::SP_FileDialogInfoView, toolBar);
    loadBtn = toolButton(QStringLiteral("系统初始"), QStyle::SP_BrowserReload, toolBar);
    loadBtn->setVisible(false);
    restoreBtn = toolButton(QStringLiteral("数据恢复"), QStyle::SP_DialogResetButton, toolBar);
    restoreBtn->setVisible(false);
    const QList<QToolButton *> buttons{dyBtn, ddcxBtn, xgDDBtn, delBtn, clearBtn, ToolButton1, PrintBtn, DyhzBtn, loadBtn,
                                       restoreBtn};
    const char *names[] = {"dyBtn", "ddcxBtn", "xgDDBtn", "delBtn", "clearBtn", "ToolButton1", "PrintBtn", "DyhzBtn",
                           "loadBtn", "restoreBtn"};
    for (int i = 0; i < buttons.size(); ++i) {
        buttons.at(i)->setObjectName(QLatin1String(names[i]));
        if (i > 0)
            tools->addWidget(separator(toolBar));
        tools->addWidget(buttons.at(i));
    }
    tools->addStretch(1);
    column->addWidget(toolBar);

    auto *body = new QHBoxLayout;
    body->setSpacing(3);
    body->addWidget(buildUnitBox());
    buildOrderGrid();
    body->addWidget(ddbrow, 1);
    column->addLayout(body, 1);

    platform::ConnectAction(dyBtn, &QToolButton::clicked, this, &TbkMainFrm::dyBtnClick);
    platform::ConnectAction(ddcxBtn, &QToolButton::clicked, this, &TbkMainFrm::ddcxBtnClick);
    platform::ConnectAction(xgDDBtn, &QToolButton::clicked, this, &TbkMainFrm::xgDDBtnClick);
    platform::ConnectAction(delBtn, &QToolButton::clicked, this, &TbkMainFrm::delBtnClick);
    platform::ConnectAction(clearBtn, &QToolButton::clicked, this, &TbkMainFrm::clearBtnClick);
    platform::ConnectAction(ToolButton1, &QToolButton::clicked, this, &TbkMainFrm::ToolButton1Click);
    platform::ConnectAction(loadBtn, &QToolButton::clicked, this, &TbkMainFrm::loadBtnClick);
    platform::ConnectAction(restoreBtn, &QToolButton::clicked, this, &TbkMainFrm::restoreBtnClick);
    platform::ConnectAction(PrintBtn, &QToolButton::clicked, this, &TbkMainFrm::PrintBtnClick);
    platform::ConnectAction(DyhzBtn, &QToolButton::clicked, this, &TbkMainFrm::DyhzBtnClick);
}

QWidget *TbkMainFrm::buildUnitBox()
{
    FlatGroupBox1 = new TFlatGroupBox(QStringLiteral("请选择单位信息"), FlatPanel2);
    FlatGroupBox1->setObjectName(QStringLiteral("FlatGroupBox1"));
    FlatGroupBox1->setBorderColor(QColor(0x33, 0x66, 0x99));
    FlatGroupBox1->setFixedWidth(198);
    FlatGroupBox1->setMinimumHeight(190);

    auto *unitLabel = new QLabel(QStringLiteral("单位名称"), FlatGroupBox1);
    unitLabel->move(11, 22);
    dwbox = new TPickComboBox(FlatGroupBox1);
    dwbox->setObjectName(QStringLiteral("dwbox"));
    dwbox->setGeometry(11, 40, 175, 22);
    auto *contactLabel = new QLabel(QStringLiteral("联系人："), FlatGroupBox1);
    contactLabel->move(11, 74);
    lblxr = new QLabel(FlatGroupBox1);
    lblxr->setObjectName(QStringLiteral("lblxr"));
    lblxr->setGeometry(63, 74, 125, 14);
    auto *phoneLabel = new QLabel(QStringLiteral("电话："), FlatGroupBox1);
    phoneLabel->move(11, 98);
    lbphone = new QLabel(FlatGroupBox1);
    lbphone->setObjectName(QStringLiteral("lbphone"));
    lbphone->setGeometry(63, 98, 125, 14);
    SpeedButton1 = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("刷新单位信息"),
                                   FlatGroupBox1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setFlat(true);
    SpeedButton1->setAutoDefault(false);
    SpeedButton1->setGeometry(11, 124, 175, 25);
    dwwhBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogInfoView), QStringLiteral("单位信息维护"),
                               FlatGroupBox1);
    dwwhBtn1->setObjectName(QStringLiteral("dwwhBtn1"));
    dwwhBtn1->setFlat(true);
    dwwhBtn1->setAutoDefault(false);
    dwwhBtn1->setGeometry(11, 154, 175, 25);

    platform::ConnectAction(dwbox, &TPickComboBox::Change, this, &TbkMainFrm::dwboxChange);
    platform::ConnectAction(SpeedButton1, &QPushButton::clicked, this, &TbkMainFrm::SpeedButton1Click);
    platform::ConnectAction(dwwhBtn1, &QPushButton::clicked, this, &TbkMainFrm::dwwhBtn1Click);
    return FlatGroupBox1;
}

void TbkMainFrm::buildOrderGrid()
{
    ddbrow = new TDataGrid(FlatPanel2);
    ddbrow->setObjectName(QStringLiteral("ddbrow"));
    TColumn code = MakeColumn(QStringLiteral("bkdh"), QStringLiteral("报刊代号"), 80);
    code.Footer.ValueType = TFooterValueType::ftStaticText;
    code.Footer.Value = QStringLiteral("合计");
    TColumn amount = MakeColumn(QStringLiteral("ke"), QStringLiteral("款额"), 90, std::nullopt, QStringLiteral("0.00"));
    amount.Footer.ValueType = TFooterValueType::ftSum;
    amount.Footer.DisplayFormat = QStringLiteral("0.00");
    ddbrow->setColumns({
        code,
        MakeColumn(QStringLiteral("bkmc"), QStringLiteral("报刊名称"), 250),
        MakeColumn(QStringLiteral("qnj"), QStringLiteral("年价"), 70, std::nullopt, QStringLiteral("0.00")),
        MakeColumn(QStringLiteral("qdy"), QStringLiteral("起订月"), 80),
        MakeColumn(QStringLiteral("zdy"), QStringLiteral("止订月"), 80),
        MakeColumn(QStringLiteral("fs"), QStringLiteral("份数"), 80),
        amount,
    });
    ddbrow->setFooterRowCount(1);
    ddbrow->setDataSource(&ddds);
    ddbrow->OnDrawColumnCell = &TbkMainFrm::GridDrawColumnCell;
}

int TbkMainFrm::SelectedUnitIndex() const
{
    return PickedIndex(dwbox);
}

TMyRc *TbkMainFrm::SelectedUnit() const
{
    return UnitRecord(dwbox, SelectedUnitIndex());
}

QString TbkMainFrm::SelectedUnitName() const
{
    const int index = SelectedUnitIndex();
    return index >= 0 ? dwbox->itemText(index) : QString();
}

int TbkMainFrm::LoadOrders(bool reportFailure)
{
    const TMyRc *unit = SelectedUnit();
    if (!unit) {
        ddado.close();
        ddado.clearSql();
        return 0;
    }
    const int n = OpenQuery(OrdersStatement(currentTab(), unit->id), ddado);
    if (n > 0)
        ddado.last();
    // An empty grid is only ever the result of a load that succeeded.
    if (n < 0 && reportFailure)
        platform::ShowDbError(this, GP.LastError);
    return n;
}

void TbkMainFrm::showUnitContact(const TMyRc *unit)
{
    lblxr->setText(unit ? unit->lxr : QString());
    lbphone->setText(unit ? unit->phone : QString());
}

void TbkMainFrm::dwboxChange()
{
    if (dwbox->currentText().isEmpty()) {
        const QSignalBlocker blocker(dwbox);
        dwbox->setCurrentIndex(-1);
    }
    const TMyRc *unit = SelectedUnit();
    showUnitContact(unit);
    if (!unit) {
        ddado.close();
        ddado.clearSql();
        return;
    }
    LoadOrders();
}

void TbkMainFrm::dyBtnClick()
{
    if (!ADO.active() || ADO.isEmpty()) {
        platform::ShowHint(this, QStringLiteral("   报刊目录不存在...   "));
        return;
    }
    if (!SelectedUnit()) {
        platform::ShowHint(this, QStringLiteral("   请选择订阅报刊的单位...    "));
        return;
    }
    // The question below needs the unit's lines as the database holds them: a grid that did not load
    // (a lost link, say) is loaded now, and nothing is entered while it cannot be.
    if (!ddado.active() && LoadOrders() < 0)
        return;
    // The order grid moves to an existing line of the title before asking.
    if (ddado.active() && ddado.locate(QStringLiteral("bkdh"), ADO.fieldText(QStringLiteral("bkdh")))
        && !platform::Confirm(this, QStringLiteral("该报刊定单中已存在,是否继续新增？...")))
        return;
    openSubscription(SubscriptionContext::Mode::NewLine);
}

SubscriptionContext TbkMainFrm::subscriptionContext(SubscriptionContext::Mode mode) const
{
    SubscriptionContext context;
    context.mode = mode;
    if (const TMyRc *unit = SelectedUnit())
        context.unitId = unit->id;
    context.unitName = SelectedUnitName();
    context.catalogueType = currentTab();
    context.catalogueCaption = currentTabCaption();
    context.title = TitleFromRow(ADO);
    if (mode == SubscriptionContext::Mode::Correction)
        context.line = OrderLineFromRow(ddado);
    return context;
}

void TbkMainFrm::openSubscription(SubscriptionContext::Mode mode)
{
    // A saved line reloads the order list, before the dialog's notice.
    ShowSubscriptionForm(subscriptionContext(mode), [this] { LoadOrders(); });
}

void TbkMainFrm::ddcxBtnClick()
{
    if (!SelectedUnit()) {
        platform::ShowHint(this, QStringLiteral("请选择单位..."));
        return;
    }
    const int n = LoadOrders(false); // 订单查询 says itself why nothing was loaded
    if (n > 0)
        ddbrow->setFocus();
    else if (n < 0)
        platform::ShowHint(this, GP.LastError);
    else
        platform::ShowHint(this, QStringLiteral("未搜索到相关信息..."));
}

void TbkMainFrm::xgDDBtnClick()
{
    if (!ddado.active() || ddado.isEmpty())
        return;
    // The line's title is made current in the catalogue, as the clerk sees it; the dialog prices the
    // line from that row's values.
    if (!ADO.active() || !ADO.locate(QStringLiteral("bkdh"), ddado.fieldText(QStringLiteral("bkdh")))) {
        platform::ShowInfo(this, QStringLiteral("当前目录中未发现该报刊名称,请重新載入全目录..."));
        return;
    }
    openSubscription(SubscriptionContext::Mode::Correction);
}

void TbkMainFrm::delBtnClick()
{
    if (!ddado.active() || ddado.isEmpty())
        return;
    const QString question = QStringLiteral("    确定要删除 [") + ddado.fieldText(QStringLiteral("bkdh"))
        + QLatin1Char(' ') + ddado.fieldText(QStringLiteral("bkmc")) + QStringLiteral(" / ")
        + QString::number(ddado.fieldInt(QStringLiteral("fs"))) + QStringLiteral(" 份] 吗？    ");
    if (!platform::Confirm(this, question))
        return;
    if (ExecSql(QStringLiteral("delete from torder where id=") + QString::number(ddado.fieldInt(QStringLiteral("id"))))) {
        LoadOrders();
        platform::ShowInfo(this, QStringLiteral("删除记录成功！"));
    } else {
        platform::ShowDbError(this, GP.LastError);
    }
}

void TbkMainFrm::clearBtnClick()
{
    const TMyRc *unit = SelectedUnit();
    if (!ddado.active() || ddado.isEmpty() || !unit)
        return;
    const QString question = QStringLiteral("    确定要删除 单位：[") + SelectedUnitName() + QStringLiteral(" ] \" ")
        + currentTabCaption() + QStringLiteral(" \"  所有订阅记录吗?  ");
    if (!platform::Confirm(this, question))
        return;
    // The lines go only once a copy of the database holds them.
    BackupResult backup;
    if (!BackupBeforeDeleting(this, BackupReason::ClearOrders, &backup))
        return;
    if (ExecSql(QStringLiteral("delete from torder where dwid=") + QString::number(unit->id) + QStringLiteral(" and mllx=")
                + QString::number(currentTab()))) {
        LoadOrders();
        platform::ShowInfo(this, QStringLiteral("清除成功！"));
    } else {
        DiscardBackup(backup.path); // nothing was deleted
        platform::ShowDbError(this, GP.LastError);
    }
}

// Exporting the unit's orders opens the order export dialog.
void TbkMainFrm::ToolButton1Click()
{
    if (!SelectedUnit()) {
        platform::ShowHint(this, QStringLiteral("   请选择订阅报刊的单位...    "));
        return;
    }
    ShowExportForm(SelectedUnitName(), SelectedUnit()->id);
}

void TbkMainFrm::loadBtnClick()
{
    // No question is asked, so nothing is emptied before a copy of the database holds it.
    BackupResult backup;
    if (!BackupBeforeDeleting(this, BackupReason::SystemReset, &backup))
        return;
    // The register of irregular issues goes with the catalogues it belongs to.
    const QStringList statements{QStringLiteral("delete from post"), QStringLiteral("delete from nopost"),
                                 QStringLiteral("delete from torder"), QStringLiteral("delete from dwinfo"),
                                 QStringLiteral("delete from tkhkb")};
    if (!EnsureIrregularIssueTable() || !ExecSqlBatch(statements)) {
        DiscardBackup(backup.path); // nothing was deleted
        platform::ShowError(this, QStringLiteral("初始系统失败->") + GP.LastError);
        return;
    }
    ADO.close();
    ddado.close();
    showUnitContact(nullptr);
    ClearUnitList(dwbox);
    loadRegisterMarks();
    StatusPanel->setText(CatalogueStatusText(currentTabCaption(), 0, 0));
    if (backup.written())
        platform::ShowInfo(this, QStringLiteral("系统初始完毕,原有数据已备份到:\n") + QDir::toNativeSeparators(backup.path));
    else
        platform::ShowInfo(this, QStringLiteral("系统初始完毕！")); // on a server, whose own backup was confirmed
}

// After a restore the window shows the restored database: catalogue, units and orders are read anew,
// and the calendar is brought to the processing year as at login. A copy made before the register of
// irregular issues existed gets its (empty) table, as at login.
void TbkMainFrm::restoreBtnClick()
{
    // The copies are of a database file; a server is restored with the server's own tools.
    if (dm->ADOConnection.isServer()) {
        platform::ShowHint(this, QStringLiteral("数据库在服务器上,数据恢复只适用于本机的数据库文件。\n请用服务器的备份(pg_dump)恢复。"));
        return;
    }
    if (!ShowRestoreForm(GP.DatabasePath))
        return;
    if (!EnsureIrregularIssueTable() || !EnsureSearchDataTable() || !RefreshSearchData(true))
        platform::ShowError(this, QStringLiteral("数据库升级出现异常->") + GP.LastError);
    ForgetCalendarCheck();
    if (!CalendarHoldsYear(GP.WorkYear) && !BuildConnectionCalendar(GP.WorkYear))
        platform::ShowError(this, QStringLiteral("初始年度出现异常->") + GP.LastError);
    ADO.close();
    ddado.close();
    showUnitContact(nullptr);
    FormShow();
}

void TbkMainFrm::SpeedButton1Click()
{
    ddado.close();
    ddado.clearSql();
    LoadUnitList(dwbox);
    showUnitContact(nullptr);
}

void TbkMainFrm::dwwhBtn1Click()
{
    ShowUnitForm();
    reloadUnitsKeepingChoice();
}

void TbkMainFrm::reloadUnitsKeepingChoice()
{
    const TMyRc *chosen = SelectedUnit();
    const qint32 chosenId = chosen ? chosen->id : 0;
    const bool hadChoice = chosen != nullptr;
    LoadUnitList(dwbox); // leaves no unit chosen
    int index = -1;
    for (int i = 0; hadChoice && i < dwbox->count(); ++i) {
        if (UnitRecord(dwbox, i)->id == chosenId)
            index = i;
    }
    if (index >= 0) {
        // The same unit, perhaps renamed or with a new contact: its order lines are as they were.
        const QSignalBlocker blocker(dwbox);
        dwbox->setCurrentIndex(index);
        showUnitContact(SelectedUnit());
        return;
    }
    ddado.close();
    ddado.clearSql();
    showUnitContact(nullptr);
}
