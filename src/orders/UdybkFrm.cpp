#include "orders/UdybkFrm.h"

#include "calendar/SubscriptionAmount.h"
#include "calendar/Vocabulary.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "orders/FocusAreas.h"
#include "orders/FormPlacement.h"
#include "orders/GuardedWrite.h"
#include "orders/IntegerEdit.h"
#include "orders/IssuePreviewLink.h"
#include "orders/OrderLineRules.h"
#include "orders/OrderLineStatements.h"
#include "widgets/DisplayFormat.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

int SubscribeMode = 0;

namespace {

const QColor FrameColour(51, 102, 153);
const QString MonthsWrong = QStringLiteral("起、止月份输入错误...");
const QString CopiesMissing = QStringLiteral("请输入订阅份数...");
const QString CopiesOutOfRange = QStringLiteral("订阅份数应为1至99999之间的整数...");
const QString UnitGone = QStringLiteral("该单位已不存在,请刷新单位信息...");

QColor infoBackground()
{
    return QApplication::palette().color(QPalette::ToolTipBase);
}

void paintInfoBackground(QWidget *control)
{
    QPalette pal = control->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, infoBackground());
    control->setPalette(pal);
}

// Texts and numbers of the main window's current catalogue row (nothing when there is none).
const db::Query *titleRow()
{
    if (!bkMainFrm || !bkMainFrm->ADO.active() || bkMainFrm->ADO.isEmpty())
        return nullptr;
    return &bkMainFrm->ADO;
}

QString titleText(const QString &field);

// The current title as the register of irregular issues knows it.
TitleRef currentTitle()
{
    return {bkMainFrm ? bkMainFrm->currentTab() : 0, titleText(QStringLiteral("bkdh"))};
}

QString titleText(const QString &field)
{
    const db::Query *row = titleRow();
    return row ? row->fieldText(field) : QString();
}

double titlePrice(const QString &field)
{
    const db::Query *row = titleRow();
    return row ? row->fieldFloat(field) : 0.0;
}

// The current order line of the main window, for corrections.
const db::Query *orderRow()
{
    if (!bkMainFrm || !bkMainFrm->ddado.active() || bkMainFrm->ddado.isEmpty())
        return nullptr;
    return &bkMainFrm->ddado;
}

template <class Control>
Control *placed(Control *control, const char *name, const QRect &geometry)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

QLabel *captionLabel(const QString &caption, QWidget *parent, int left, int top, int width)
{
    auto *label = new QLabel(caption, parent);
    label->setGeometry(left, top, width, 25);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont small = label->font();
    small.setPixelSize(12);
    label->setFont(small);
    return label;
}

TFlatPanel *valuePanel(const char *name, QWidget *parent, int left, int top, int width)
{
    auto *panel = placed(new TFlatPanel(parent), name, {left, top, width, 25});
    panel->setBorderColor(FrameColour);
    panel->setColor(infoBackground());
    return panel;
}

QLabel *plainLabel(const QString &caption, QWidget *parent, int left, int top)
{
    auto *label = new QLabel(caption, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

TdybkFrm::TdybkFrm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dybkFrm"));
    setWindowTitle(QStringLiteral("报刊订阅"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(13);
    setFont(songti);
    setFixedSize(628, 374);

    PanClient = new TFlatPanel(this);
    PanClient->setObjectName(QStringLiteral("PanClient"));
    PanClient->setGeometry(3, 3, 622, 368);
    buildTitleRows();
    buildTermPanel();
    buildWorkPanel();
    setTabOrder(termBox, qdy);
    setTabOrder(qdy, zdy);
    setTabOrder(zdy, fs);
    setTabOrder(fs, ke);
    setTabOrder(ke, qrBtn);
    setTabOrder(qrBtn, BitBtn2);

    m_focusAreas = new TFocusAreas(this);
    m_focusAreas->watch(Pansel, nullptr, [this] { PanselExit(); });
    m_focusAreas->watch(Panwork, [this] { PanworkEnter(); }, nullptr);
}

TdybkFrm::~TdybkFrm()
{
    // No focus handler may run while the controls go.
    m_focusAreas->stop();
}

void TdybkFrm::buildTitleRows()
{
    QWidget *p = PanClient;
    captionLabel(QStringLiteral("订阅单位："), p, 14, 19, 84);
    lbdwmc = placed(new QLabel(p), "lbdwmc", {100, 19, 119, 25});
    captionLabel(QStringLiteral("报刊目录类型："), p, 216, 19, 84);
    lbFtab = placed(new QLabel(p), "lbFtab", {300, 19, 302, 25});
    for (QLabel *label : {lbdwmc, lbFtab}) {
        QFont underlined = font();
        underlined.setUnderline(true);
        label->setFont(underlined);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
        label->setPalette(pal);
    }

    // Caption and value panels: a first column at 100, a wide second one at 300, and on the price
    // rows a narrower second and a third column.
    struct Cell {
        const char *caption;
        TFlatPanel **panel;
        const char *name;
    };
    struct Row {
        int top;
        Cell first, second, third;
    };
    const Row rows[] = {
        {44, {"报刊代号：", &PBkdh, "PBkdh"}, {"报刊名称：", &PBkmc, "PBkmc"}, {}},
        {68, {"刊期：", &Pkq, "Pkq"}, {"出版日期：", &PCbrq, "PCbrq"}, {}},
        {92, {"级别：", &PBkjb, "PBkjb"}, {"报刊分类：", &PBkfl, "PBkfl"}, {}},
        {116, {"国内统一刊号：", &PCn, "PCn"}, {"国际刊号：", &PIssn, "PIssn"}, {}},
        {140, {"年价：", &PQnj, "PQnj"}, {"单价：", &Pdj, "Pdj"}, {"月价：", &Pyj, "Pyj"}},
        {164, {"季价：", &Pjj, "Pjj"}, {"半年价：", &PBnj, "PBnj"}, {"备注：", &FlatPanel14, "FlatPanel14"}},
    };
    for (const Row &row : rows) {
        captionLabel(QString::fromUtf8(row.first.caption), p, 14, row.top, 84);
        *row.first.panel = valuePanel(row.first.name, p, 100, row.top, 119);
        captionLabel(QString::fromUtf8(row.second.caption), p, 222, row.top, 78);
        const bool wide = row.third.caption == nullptr;
        *row.second.panel = valuePanel(row.second.name, p, 300, row.top, wide ? 302 : 110);
        if (!wide) {
            captionLabel(QString::fromUtf8(row.third.caption), p, 414, row.top, 76);
            *row.third.panel = valuePanel(row.third.name, p, 491, row.top, 111);
        }
    }
}

void TdybkFrm::buildTermPanel()
{
    Pansel = placed(new QWidget(PanClient), "Pansel", {8, 200, 609, 41});
    plainLabel(QStringLiteral("订阅时限："), Pansel, 8, 13);
    termBox = placed(new TPickComboBox(Pansel), "termBox", {78, 9, 97, 22});
    plainLabel(QStringLiteral("起止月份："), Pansel, 204, 13);
    qdy = placed(new TIntegerEdit(Pansel), "qdy", {274, 9, 57, 22});
    zdy = placed(new TIntegerEdit(Pansel), "zdy", {341, 9, 57, 22});
    for (TIntegerEdit *month : {qdy, zdy}) {
        month->setEnabled(false);
        paintInfoBackground(month);
    }
    connect(termBox, &TPickComboBox::Change, this, &TdybkFrm::termBoxChange);
    connect(qdy, &QLineEdit::textChanged, this, &TdybkFrm::qdyChange);
    connect(zdy, &QLineEdit::textChanged, this, &TdybkFrm::zdyChange);
}

void TdybkFrm::buildWorkPanel()
{
    Panwork = placed(new QWidget(PanClient), "Panwork", {8, 241, 609, 120});
    plainLabel(QStringLiteral("订阅份数："), Panwork, 8, 12);
    fs = placed(new TIntegerEdit(Panwork), "fs", {78, 8, 89, 22});
    plainLabel(QStringLiteral("订阅款额："), Panwork, 204, 12);
    ke = placed(new TNumberEdit(Panwork, -1, QStringLiteral("0.00")), "ke", {274, 8, 123, 22});
    QFont bold = font();
    bold.setBold(true);
    ke->setFont(bold);
    ke->setEnabled(false);
    paintInfoBackground(ke);
    // Display only, but the amount must stay readable.
    QPalette amountText = ke->palette();
    amountText.setColor(QPalette::Disabled, QPalette::Text, amountText.color(QPalette::Active, QPalette::Text));
    ke->setPalette(amountText);
    ke->setText(QString()); // nothing computed yet
    QLabel *hint = plainLabel(QStringLiteral("信息提示："), Panwork, 8, 46);
    hint->setFont(bold);
    hint->adjustSize();
    lbMsg = placed(new QLabel(Panwork), "lbMsg", {8 + hint->width() + 4, 46, 600 - hint->width() - 12, 36});
    lbMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbMsg->setWordWrap(true);
    QPalette red = lbMsg->palette();
    red.setColor(QPalette::WindowText, QColor(0x99, 0, 0));
    lbMsg->setPalette(red);
    issuePreview = placed(new IssuePreviewLink(Panwork), "issuePreview", {405, 8, 195, 22});
    qrBtn = placed(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("确定"), Panwork),
                   "qrBtn", {430, 88, 73, 25});
    BitBtn2 = placed(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消"), Panwork),
                     "BitBtn2", {515, 88, 73, 25});
    for (QPushButton *b : {qrBtn, BitBtn2})
        b->setAutoDefault(false);
    connect(fs, &QLineEdit::textChanged, this, &TdybkFrm::fsChange);
    connect(fs, &QLineEdit::returnPressed, this, &TdybkFrm::fsEnter);
    connect(qrBtn, &QPushButton::clicked, this, &TdybkFrm::qrBtnClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TdybkFrm::BitBtn2Click);
}

void TdybkFrm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainWindow(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TdybkFrm::FormShow()
{
    if (!bkMainFrm)
        return;
    lbdwmc->setText(bkMainFrm->SelectedUnitName());
    lbFtab->setText(bkMainFrm->currentTabCaption());

    PBkdh->setCaption(titleText(QStringLiteral("bkdh")));
    PBkmc->setCaption(titleText(QStringLiteral("bkmc")));
    Pkq->setCaption(titleText(QStringLiteral("kq")));
    PCbrq->setCaption(titleText(QStringLiteral("cbrq")));
    PBkfl->setCaption(titleText(QStringLiteral("bkfl")));
    PBkjb->setCaption(titleText(QStringLiteral("bkjb")));
    PCn->setCaption(titleText(QStringLiteral("cn")));
    PIssn->setCaption(titleText(QStringLiteral("issn")));
    PQnj->setCaption(FormatFloat(QStringLiteral("0.00"), titlePrice(QStringLiteral("qnj"))));
    const std::pair<TFlatPanel *, const char *> prices[] = {{Pdj, "dj"}, {Pyj, "yj"}, {Pjj, "jj"}, {PBnj, "bnj"}};
    for (const auto &[panel, field] : prices) {
        const double price = titlePrice(QLatin1String(field));
        panel->setCaption(price != 0 ? FormatFloat(QStringLiteral("0.00"), price) : QString());
    }

    // The terms the title's period allows; other catalogues than the postal one offer the whole year.
    const int tab = bkMainFrm->currentTab();
    const QString offered = OfferedTermListText(PeriodIndex(titleText(QStringLiteral("kq"))), tab);
    if (!offered.isEmpty()) {
        termBox->clear();
        termBox->addItems(offered.split(QLatin1Char(',')));
        termBox->setCurrentIndex(-1);
    }
    if (tab != 0)
        termBox->setFocus();

    if (SubscribeMode == 1) {
        const db::Query *line = orderRow();
        const QString start = line ? line->fieldText(QStringLiteral("qdy")) : QString();
        const QString end = line ? line->fieldText(QStringLiteral("zdy")) : QString();
        const int term = TermIndexByMonths(start + QLatin1Char(',') + end);
        // Selecting here is no change of the term: no notice.
        termBox->setCurrentIndex(term == -1 ? TermMonths : term);
        qdy->setText(start);
        zdy->setText(end);
        qdy->setEnabled(term == -1);
        zdy->setEnabled(term == -1);
        fs->setText(line ? line->fieldText(QStringLiteral("fs")) : QString());
        termBox->setFocus();
    } else if (SubscribeMode == 0) {
        termBox->setCurrentIndex(TermWholeYear);
        termBoxChange();
        fs->setText(QStringLiteral("1"));
        fs->setFocus();
    }
}

void TdybkFrm::termBoxChange()
{
    lbMsg->clear();
    if (termBox->currentText().isEmpty())
        termBox->setCurrentIndex(-1);
    const int term = PickedIndex(termBox);
    if (term < 0) {
        qdy->clear();
        zdy->clear();
        qdy->setEnabled(false);
        zdy->setEnabled(false);
    } else {
        const QStringList range = TermMonthsByName(termBox->itemText(term)).split(QLatin1Char(','), Qt::SkipEmptyParts);
        const bool fixed = range.size() == 2;
        qdy->setEnabled(!fixed);
        zdy->setEnabled(!fixed);
        qdy->setText(fixed ? range.at(0) : QString());
        zdy->setText(fixed ? range.at(1) : QString());
    }
    if (term > 0)
        lbMsg->setText(IssuePreviewLink::PartialYearNotice(IssuePreviewLink::HasRegisterEntries(currentTitle())));
    markChanged();
    recomputeAmount();
}

void TdybkFrm::markChanged()
{
    m_changed = true;
    m_confirmed = false;
    refreshPreview();
}

void TdybkFrm::qdyChange()
{
    markChanged();
    recomputeAmount();
}

void TdybkFrm::zdyChange()
{
    markChanged();
    recomputeAmount();
}

void TdybkFrm::PanselExit()
{
    if (PickedIndex(termBox) < 0 || qdy->isBlank() || zdy->isBlank() || !m_changed)
        return;
    if (!MonthsValid(qdy->Value(), zdy->Value())) {
        lbMsg->setText(MonthsWrong);
        m_confirmed = false;
        return;
    }
    m_confirmed = true;
    if (fs->hasValue())
        fsChange();
}

void TdybkFrm::PanworkEnter()
{
    if (m_confirmed) {
        m_changed = false;
        fs->setFocus();
    } else {
        platform::Beep(1200, 100);
        termBox->setFocus();
    }
}

TitlePrices TdybkFrm::titlePrices() const
{
    TitlePrices prices;
    prices.qnj = titlePrice(QStringLiteral("qnj"));
    prices.bnj = titlePrice(QStringLiteral("bnj"));
    prices.jj = titlePrice(QStringLiteral("jj"));
    prices.yj = titlePrice(QStringLiteral("yj"));
    prices.dj = titlePrice(QStringLiteral("dj"));
    prices.kq = titleText(QStringLiteral("kq"));
    prices.cbrq = titleText(QStringLiteral("cbrq"));
    prices.title = currentTitle();
    return prices;
}

void TdybkFrm::refreshPreview()
{
    const std::optional<int> start = qdy->Value();
    const std::optional<int> end = zdy->Value();
    if (PickedIndex(termBox) < 0 || !MonthsValid(start, end)) {
        issuePreview->clearPreview();
        return;
    }
    issuePreview->showFor(currentTitle(), titleText(QStringLiteral("kq")), titleText(QStringLiteral("cbrq")), *start,
                          *end);
}

void TdybkFrm::fsChange()
{
    recomputeAmount();
}

void TdybkFrm::recomputeAmount()
{
    const int term = PickedIndex(termBox);
    const std::optional<int> start = qdy->Value();
    const std::optional<int> end = zdy->Value();
    // A term is priced only over a valid month range; until then the amount stays (and cannot be
    // saved: the term is not confirmed).
    if (term >= 0 && !MonthsValid(start, end))
        return;
    // Copies that cannot be saved have no amount; 0 is priced (and refused by 确定).
    std::optional<int> copies = fs->Value();
    if (copies && (*copies < 0 || *copies > MaxCopies))
        copies.reset();
    const AmountResult result = SubscriptionAmount(term, start.value_or(0), end.value_or(0), copies, titlePrices());
    switch (result.kind) {
    case AmountResult::Kind::NoChange:
        break;
    case AmountResult::Kind::Empty:
        m_amountFailure.clear();
        ke->setText(QString());
        break;
    case AmountResult::Kind::Amount:
        m_amountFailure.clear();
        ke->setValue(result.amount);
        break;
    case AmountResult::Kind::Failure:
        // The amount shown belongs to the values before: it is no price of these.
        m_amountFailure = result.failure;
        lbMsg->setText(result.failure);
        break;
    }
}

void TdybkFrm::fsEnter()
{
    // Lines are entered from the keyboard: Enter after the copies saves a line that 确定 would save.
    if (m_confirmed && !amountEmpty() && m_amountFailure.isEmpty() && CopiesValid(fs->Value()))
        qrBtnClick();
}

bool TdybkFrm::amountEmpty() const
{
    return ke->text().isEmpty();
}

std::optional<double> TdybkFrm::amount() const
{
    if (amountEmpty())
        return std::nullopt;
    return ke->Value();
}

void TdybkFrm::qrBtnClick()
{
    if (!m_confirmed)
        return;
    if (!MonthsValid(qdy->Value(), zdy->Value())) {
        platform::ShowHint(this, MonthsWrong);
        termBox->setFocus();
        return;
    }
    const std::optional<int> copies = fs->Value();
    if (fs->isBlank() || copies == 0) {
        platform::ShowHint(this, CopiesMissing);
        fs->setFocus();
        return;
    }
    if (!CopiesValid(copies)) {
        platform::ShowHint(this, CopiesOutOfRange);
        fs->setFocus();
        return;
    }
    if (!m_amountFailure.isEmpty()) {
        platform::ShowHint(this, m_amountFailure);
        return;
    }
    if (SubscribeMode == 0)
        insertLine();
    else if (SubscribeMode == 1)
        updateLine();
}

void TdybkFrm::insertLine()
{
    const TMyRc *unit = bkMainFrm ? bkMainFrm->SelectedUnit() : nullptr;
    if (!unit) {
        platform::ShowHint(this, QStringLiteral("   请选择订阅报刊的单位...    "));
        return;
    }
    NewOrderLine line;
    line.unitId = unit->id;
    line.catalogueType = bkMainFrm->currentTab();
    line.code = titleText(QStringLiteral("bkdh"));
    line.period = titleText(QStringLiteral("kq"));
    line.startMonth = qdy->Value().value_or(0);
    line.endMonth = zdy->Value().value_or(0);
    line.copies = fs->Value().value_or(0);
    line.amount = amount();
    // The unit must still be in dwinfo when the line is written: another desk may have deleted it.
    const GuardedWriteResult result =
        GuardedWrite(QStringLiteral("select id from dwinfo where id=") + QString::number(line.unitId),
                     [](const db::Query &unit) { return !unit.isEmpty(); }, OrderInsertSql(line));
    if (result == GuardedWriteResult::Written)
        saved(QStringLiteral("新增记录成功！"));
    else if (result == GuardedWriteResult::Refused)
        platform::ShowHint(this, UnitGone);
    else
        platform::ShowDbError(this, GP.LastError);
}

void TdybkFrm::updateLine()
{
    const db::Query *row = orderRow();
    if (!row)
        return;
    OrderLineValues stored;
    stored.startMonth = int(row->fieldInt(QStringLiteral("qdy")));
    stored.endMonth = int(row->fieldInt(QStringLiteral("zdy")));
    stored.copies = int(row->fieldInt(QStringLiteral("fs")));
    if (!row->isNull(QStringLiteral("ke")))
        stored.amount = row->fieldFloat(QStringLiteral("ke"));
    OrderLineValues edited;
    edited.startMonth = qdy->Value().value_or(0);
    edited.endMonth = zdy->Value().value_or(0);
    edited.copies = fs->Value().value_or(0);
    edited.amount = amount();

    const QString assignments = OrderChangedAssignments(stored, edited);
    if (assignments.isEmpty()) {
        close();
        return;
    }
    if (ExecSql(OrderUpdateSql(assignments, row->fieldInt(QStringLiteral("id")))))
        saved(QStringLiteral("修改记录成功！"));
    else
        platform::ShowDbError(this, GP.LastError);
}

void TdybkFrm::saved(const QString &notice)
{
    if (bkMainFrm)
        bkMainFrm->LoadOrders();
    platform::ShowInfo(this, notice);
    close();
}

void TdybkFrm::BitBtn2Click()
{
    close();
}

void TdybkFrm::closeEvent(QCloseEvent *event)
{
    // FormClose: the window is freed once, by whoever showed it.
    event->accept();
    QDialog::closeEvent(event);
}
