#include "orders/UoperatorFrm.h"

#include "data/Udm.h"
#include "orders/FormPlacement.h"
#include "orders/GuardedWrite.h"
#include "orders/UnitStatements.h"
#include "platform/UserAction.h"
#include "widgets/CaptionLabel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace {

const QColor SelectedCellColour(214, 223, 247);
const QString NameTaken = QStringLiteral("该单位名称已存在,请重新输入....");

QString trimmedText(const TLabeledEdit *edit)
{
    return edit->text().trimmed();
}

} // namespace

ToperatorFrm::ToperatorFrm(QWidget *parent) : QDialog(parent), ds(this)
{
    setObjectName(QStringLiteral("operatorFrm"));
    setWindowTitle(QStringLiteral("单位维护"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(12);
    setFont(songti);
    setFixedSize(697, 307);

    buildToolBar();
    buildList();
    buildInput();
    Panbrow->setEnabled(true);
    Panwork->setEnabled(false);

    // Key preview: the window sees every key of its controls first.
    qApp->installEventFilter(this);
}

ToperatorFrm::~ToperatorFrm()
{
    qApp->removeEventFilter(this);
    FormCloseQuery();
}

void ToperatorFrm::buildToolBar()
{
    auto *coolBar = new QFrame(this);
    coolBar->setObjectName(QStringLiteral("CoolBar1"));
    coolBar->setFrameShape(QFrame::StyledPanel);
    coolBar->setFrameShadow(QFrame::Raised);
    coolBar->setGeometry(0, 0, 697, 32);
    ToolBar1 = new QWidget(coolBar);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(2, 2, 693, 28);
    auto *row = new QHBoxLayout(ToolBar1);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    const auto button = [this, row](const char *name, const QString &caption) {
        auto *b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(52, 24);
        row->addWidget(b);
        return b;
    };
    const auto separator = [this, row] {
        auto *line = new QFrame(ToolBar1);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setFixedHeight(20);
        row->addWidget(line);
    };
    zjBtn = button("zjBtn", QStringLiteral("新增"));
    separator();
    xgBtn = button("xgBtn", QStringLiteral("修改"));
    separator();
    delBtn = button("delBtn", QStringLiteral("删除"));
    separator();
    ToolButton7 = button("ToolButton7", QStringLiteral("退出"));
    row->addStretch(1);

    platform::ConnectAction(zjBtn, &QToolButton::clicked, this, &ToperatorFrm::zjBtnClick);
    platform::ConnectAction(xgBtn, &QToolButton::clicked, this, &ToperatorFrm::xgBtnClick);
    platform::ConnectAction(delBtn, &QToolButton::clicked, this, &ToperatorFrm::delBtnClick);
    platform::ConnectAction(ToolButton7, &QToolButton::clicked, this, &ToperatorFrm::ToolButton7Click);
}

void ToperatorFrm::buildList()
{
    Panbrow = new QGroupBox(QStringLiteral("操作员列表"), this);
    Panbrow->setObjectName(QStringLiteral("Panbrow"));
    Panbrow->setGeometry(4, 37, 399, 265);
    brow = new TDataGrid(Panbrow);
    brow->setObjectName(QStringLiteral("brow"));
    brow->setGeometry(8, 20, 383, 237);
    brow->setRowIndicator(false);
    const auto centred = [](const QString &field, const QString &title, int width) {
        TColumn column = MakeColumn(field, title, width);
        column.Title.Alignment = Qt::AlignCenter;
        return column;
    };
    brow->setColumns({
        centred(QStringLiteral("dwmc"), QStringLiteral("单位名称"), 200),
        centred(QStringLiteral("lxr"), QStringLiteral("联系人"), 75),
        centred(QStringLiteral("phone"), QStringLiteral("联系电话"), 100),
    });
    brow->setDataSource(&ds);
    brow->OnDrawColumnCell = &ToperatorFrm::browDrawColumnCell;
}

void ToperatorFrm::buildInput()
{
    Panwork = new QGroupBox(QStringLiteral("输入窗口"), this);
    Panwork->setObjectName(QStringLiteral("Panwork"));
    Panwork->setGeometry(407, 37, 287, 265);
    const auto edit = [this](const char *name, const QString &caption, int top, int width) {
        auto *e = new TLabeledEdit(caption, Panwork);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(24, top, width, 21);
        e->EditLabel()->setPosition(TLabelPosition::Above);
        return e;
    };
    dwmc = edit("dwmc", QStringLiteral("单位名称"), 46, 207);
    lxr = edit("lxr", QStringLiteral("联系人"), 98, 95);
    phone = edit("phone", QStringLiteral("联系电话"), 150, 175);
    saveBtn = new QPushButton(QStringLiteral("确定"), Panwork);
    saveBtn->setObjectName(QStringLiteral("saveBtn"));
    saveBtn->setGeometry(56, 206, 75, 25);
    CancelBtn = new QPushButton(QStringLiteral("取消"), Panwork);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(156, 206, 75, 25);
    for (QPushButton *b : {saveBtn, CancelBtn}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    platform::ConnectAction(saveBtn, &QPushButton::clicked, this, &ToperatorFrm::saveBtnClick);
    platform::ConnectAction(CancelBtn, &QPushButton::clicked, this, &ToperatorFrm::CancelBtnClick);
}

void ToperatorFrm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainWindow(this);
        platform::RunAction([this] { FormShow(); });
    }
    QDialog::showEvent(event);
}

void ToperatorFrm::FormShow()
{
    RefreshList();
}

void ToperatorFrm::RefreshList()
{
    ds.setDataSet(nullptr);
    if (!dm)
        return;
    if (OpenQuery(UnitListSql, dm->ADOQuery1) > 0) {
        ds.setDataSet(&dm->ADOQuery1);
        brow->setFocus();
    }
}

void ToperatorFrm::ClearEdits()
{
    dwmc->clear();
    lxr->clear();
    phone->clear();
}

bool ToperatorFrm::listEmpty() const
{
    return !dm || !dm->ADOQuery1.active() || dm->ADOQuery1.isEmpty();
}

void ToperatorFrm::browse()
{
    Panwork->setEnabled(false);
    Panbrow->setEnabled(true);
}

void ToperatorFrm::focusGrid()
{
    if (!listEmpty())
        brow->setFocus();
}

void ToperatorFrm::zjBtnClick()
{
    UnitEditMode = 0;
    Panwork->setEnabled(true);
    ClearEdits();
    Panbrow->setEnabled(false);
    dwmc->setFocus();
}

void ToperatorFrm::xgBtnClick()
{
    if (listEmpty())
        return;
    const db::Query &unit = dm->ADOQuery1;
    ClearEdits();
    UnitEditMode = 1;
    dwmc->setText(unit.fieldText(QStringLiteral("dwmc")));
    if (!unit.isNull(QStringLiteral("lxr")))
        lxr->setText(unit.fieldText(QStringLiteral("lxr")));
    if (!unit.isNull(QStringLiteral("phone")))
        phone->setText(unit.fieldText(QStringLiteral("phone")));
    Panwork->setEnabled(true);
    Panbrow->setEnabled(false);
    dwmc->setFocus();
}

void ToperatorFrm::saveBtnClick()
{
    const QString name = trimmedText(dwmc);
    if (name.isEmpty()) {
        platform::ShowPrompt(this, QStringLiteral("请输入单位名称...."));
        dwmc->setFocus();
        return;
    }
    // A name is written only while no other unit carries it (blanks trimmed, letter case ignored).
    const auto nameFree = [&name](qint64 self) {
        return [&name, self](const db::Query &units) { return !UnitNameTaken(units, name, self); };
    };
    if (UnitEditMode == 0) {
        const GuardedWriteResult result =
            GuardedWrite(UnitNamesSql, nameFree(0), UnitInsertSql(name, trimmedText(lxr), trimmedText(phone)));
        if (result == GuardedWriteResult::Written) {
            ClearEdits();
            browse();
            RefreshList();
        } else if (result == GuardedWriteResult::Refused) {
            platform::ShowPrompt(this, NameTaken);
            dwmc->setFocus();
        } else {
            platform::ShowPrompt(this, QStringLiteral("增加单位失败->") + GP.LastError);
        }
        return;
    }
    if (UnitEditMode != 1 || listEmpty())
        return;

    // The row being modified is the list's current row: the list is disabled while modifying.
    const db::Query &unit = dm->ADOQuery1;
    const QString assignments = UnitChangedAssignments({
        {QStringLiteral("dwmc"), name, unit.fieldText(QStringLiteral("dwmc"))},
        {QStringLiteral("lxr"), trimmedText(lxr), unit.fieldText(QStringLiteral("lxr"))},
        {QStringLiteral("phone"), trimmedText(phone), unit.fieldText(QStringLiteral("phone"))},
    });
    const qint64 id = unit.fieldInt(QStringLiteral("id"));
    const QString statement = assignments.isEmpty() ? QString() : UnitUpdateSql(assignments, id);
    const bool renamed = name != unit.fieldText(QStringLiteral("dwmc"));
    Panwork->setEnabled(false);
    platform::ProcessMessages();
    GuardedWriteResult result = GuardedWriteResult::Written;
    if (!statement.isEmpty())
        result = renamed ? GuardedWrite(UnitNamesSql, nameFree(id), statement)
                         : (ExecSql(statement) ? GuardedWriteResult::Written : GuardedWriteResult::Failed);
    if (result == GuardedWriteResult::Written) {
        ClearEdits();
        browse();
        if (statement.isEmpty())
            brow->setFocus();
        else
            RefreshList();
    } else if (result == GuardedWriteResult::Refused) {
        Panwork->setEnabled(true);
        platform::ShowPrompt(this, NameTaken);
        dwmc->setFocus();
    } else {
        Panwork->setEnabled(true);
        platform::ShowPrompt(this, QStringLiteral("修改操作员失败->") + GP.LastError);
    }
}

void ToperatorFrm::CancelBtnClick()
{
    ClearEdits();
    browse();
    focusGrid();
}

void ToperatorFrm::delBtnClick()
{
    if (listEmpty()) {
        platform::ShowPrompt(this, QStringLiteral("未发现的可删除的记录...  "));
        return;
    }
    // 删除 acts on the list: an addition or modification under way is given up first, as 取消 does,
    // so that no later 确定 can write its values over the unit that becomes current after the reload.
    if (Panwork->isEnabled()) {
        ClearEdits();
        Panwork->setEnabled(false);
    }
    const qint64 id = dm->ADOQuery1.fieldInt(QStringLiteral("id"));
    Panbrow->setEnabled(false);
    platform::ProcessMessages();
    // A unit with order lines stays: its lines would be left under a unit that no longer exists.
    QString refusal;
    const GuardedWriteResult result = GuardedWrite(
        UnitOrderLinesSql(id),
        [&refusal](const db::Query &lines) {
            refusal = UnitOrderLinesRefusal(lines);
            return refusal.isEmpty();
        },
        UnitDeleteSql(id));
    Panbrow->setEnabled(true);
    if (result == GuardedWriteResult::Written) {
        RefreshList();
    } else if (result == GuardedWriteResult::Refused) {
        platform::ShowPrompt(this, refusal);
        focusGrid();
    } else {
        platform::ShowPrompt(this, QStringLiteral("删除记录失败->") + GP.LastError);
        focusGrid();
    }
}

void ToperatorFrm::ToolButton7Click()
{
    close();
}

void ToperatorFrm::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
    QDialog::closeEvent(event);
}

void ToperatorFrm::FormCloseQuery()
{
    ds.setDataSet(nullptr);
    if (dm) {
        dm->ADOQuery1.close();
        dm->ADOQuery1.clearSql();
    }
}

bool ToperatorFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && FormKeyDown(static_cast<QKeyEvent *>(event)->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool ToperatorFrm::FormKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus->window() != this || qobject_cast<TDataGrid *>(focus))
        return false;
    // A focused button takes Enter as its click, before the window sees the key.
    if (auto *button = qobject_cast<QAbstractButton *>(focus)) {
        button->click();
        return true;
    }
    focusNextChild();
    return true;
}

void ToperatorFrm::browDrawColumnCell(TDrawCellArgs &args)
{
    if (!args.selected)
        return;
    const TDataGrid *grid = args.grid;
    const bool focusedCell = grid->hasFocus() && grid->currentIndex().column() == args.column;
    if (focusedCell)
        return;
    args.background = SelectedCellColour;
    args.textColor = grid->palette().color(QPalette::Text);
}
