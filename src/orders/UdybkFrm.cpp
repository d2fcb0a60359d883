#include "orders/UdybkFrm.h"

#include "calendar/SubscriptionAmount.h"
#include "calendar/Vocabulary.h"
#include "data/Udm.h"
#include "orders/FocusAreas.h"
#include "orders/FormPlacement.h"
#include "orders/GuardedWrite.h"
#include "orders/IntegerEdit.h"
#include "orders/IssuePreviewLink.h"
#include "orders/OrderCorrection.h"
#include "orders/OrderLineRules.h"
#include "orders/OrderLineStatements.h"
#include "platform/UserAction.h"
#include "widgets/DisplayFormat.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

const QColor FrameColour(51, 102, 153);
const QString MonthsWrong = QStringLiteral("起、止月份输入错误...");
const QString CopiesMissing = QStringLiteral("请输入订阅份数...");
const QString CopiesOutOfRange = QStringLiteral("订阅份数应为1至99999之间的整数...");
const QString UnitGone = QStringLiteral("该单位已不存在,请刷新单位信息...");
const QString TitleGone = QStringLiteral("当前目录中未发现该报刊名称,请重新載入全目录...");
const QString PricesChangedOnOpening = QStringLiteral("该报刊的价格已在目录中变更,款额按目录现有价格计算...");
const QString PricesChangedOnSaving =
    QStringLiteral("该报刊的价格已在目录中变更,款额已按新价格重新计算,请核对后再确定...");
const QString LineChangedElsewhere = QStringLiteral("该记录已在其他终端修改,现显示其当前内容,请核对后重新修改...");
const QString LineDeletedElsewhere = QStringLiteral("该记录已在其他终端删除,无法修改...");

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

QString priceText(double price)
{
    return FormatFloat(QStringLiteral("0.00"), price);
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

TdybkFrm::TdybkFrm(const SubscriptionContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_title(context.title), m_line(context.line)
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
    m_focusAreas->watch(Pansel, nullptr, [this] { platform::RunAction([this] { PanselExit(); }); });
    m_focusAreas->watch(Panwork, [this] { platform::RunAction([this] { PanworkEnter(); }); }, nullptr);
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
    platform::ConnectAction(termBox, &TPickComboBox::Change, this, &TdybkFrm::termBoxChange);
    platform::ConnectAction(qdy, &QLineEdit::textChanged, this, &TdybkFrm::qdyChange);
    platform::ConnectAction(zdy, &QLineEdit::textChanged, this, &TdybkFrm::zdyChange);
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
    platform::ConnectAction(fs, &QLineEdit::textChanged, this, &TdybkFrm::fsChange);
    platform::ConnectAction(fs, &QLineEdit::returnPressed, this, &TdybkFrm::fsEnter);
    platform::ConnectAction(qrBtn, &QPushButton::clicked, this, &TdybkFrm::qrBtnClick);
    platform::ConnectAction(BitBtn2, &QPushButton::clicked, this, &TdybkFrm::BitBtn2Click);
}

void TdybkFrm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainWindow(this);
        platform::RunAction([this] { FormShow(); });
    }
    QDialog::showEvent(event);
}

void TdybkFrm::FormShow()
{
    lbdwmc->setText(m_context.unitName);
    lbFtab->setText(m_context.catalogueCaption);
    const QString catalogueNotice = readTitleOnOpening();
    showTitle();

    // The terms the title's period allows; other catalogues than the postal one offer the whole year.
    const int tab = m_context.catalogueType;
    const QString offered = OfferedTermListText(PeriodIndex(m_title.kq), tab);
    if (!offered.isEmpty()) {
        termBox->clear();
        termBox->addItems(offered.split(QLatin1Char(',')));
        termBox->setCurrentIndex(-1);
    }
    if (tab != 0)
        termBox->setFocus();

    if (m_context.mode == SubscriptionContext::Mode::Correction) {
        showStoredLine();
    } else {
        termBox->setCurrentIndex(TermWholeYear);
        termBoxChange();
        fs->setText(QStringLiteral("1"));
        fs->setFocus();
    }
    if (!catalogueNotice.isEmpty())
        lbMsg->setText(catalogueNotice);
}

QString TdybkFrm::readTitleOnOpening()
{
    SubscribedTitle stored;
    const int found = ReadSubscribedTitle(m_context.catalogueType, m_context.title.bkdh, &stored);
    if (found < 0)
        return GP.LastError;
    if (found == 0)
        return TitleGone;
    m_title = stored;
    return SamePricing(stored, m_context.title) ? QString() : PricesChangedOnOpening;
}

void TdybkFrm::showTitle()
{
    const SubscribedTitle &title = m_title;
    PBkdh->setCaption(title.bkdh);
    PBkmc->setCaption(title.bkmc);
    Pkq->setCaption(title.kq);
    PCbrq->setCaption(title.cbrq);
    PBkfl->setCaption(title.bkfl);
    PBkjb->setCaption(title.bkjb);
    PCn->setCaption(title.cn);
    PIssn->setCaption(title.issn);
    PQnj->setCaption(priceText(title.qnj));
    const std::pair<TFlatPanel *, double> prices[] = {{Pdj, title.dj}, {Pyj, title.yj}, {Pjj, title.jj}, {PBnj, title.bnj}};
    for (const auto &[panel, price] : prices)
        panel->setCaption(price != 0 ? priceText(price) : QString());
}

void TdybkFrm::showStoredLine()
{
    const QString start = m_line ? m_line->qdy : QString();
    const QString end = m_line ? m_line->zdy : QString();
    const int term = TermIndexByMonths(start + QLatin1Char(',') + end);
    // Selecting here is no change of the term: no notice of a part of the year.
    termBox->setCurrentIndex(term == -1 ? TermMonths : term);
    qdy->setText(start);
    zdy->setText(end);
    qdy->setEnabled(term == -1);
    zdy->setEnabled(term == -1);
    fs->setText(m_line ? m_line->fs : QString());
    markChanged();
    recomputeAmount();
    if (PickedIndex(termBox) == TermWholeYear && m_amountFailure.isEmpty())
        lbMsg->setText(termNotice());
    termBox->setFocus();
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
    lbMsg->setText(termNotice());
    markChanged();
    recomputeAmount();
}

QString TdybkFrm::termNotice() const
{
    const int term = PickedIndex(termBox);
    if (term < 0)
        return QString();
    const bool registered = IssuePreviewLink::HasRegisterEntries(titleRef());
    if (term > 0)
        return IssuePreviewLink::PartialYearNotice(registered);
    return registered ? IssuePreviewLink::WholeYearNotice() : QString();
}

void TdybkFrm::markChanged()
{
    m_changed = true;
    m_confirmed = false;
    refreshPreview();
}

void TdybkFrm::qdyChange()
{
    monthsEdited();
}

void TdybkFrm::zdyChange()
{
    monthsEdited();
}

void TdybkFrm::monthsEdited()
{
    if (lbMsg->text() == MonthsWrong && MonthsValid(qdy->Value(), zdy->Value()))
        lbMsg->setText(termNotice());
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

TitleRef TdybkFrm::titleRef() const
{
    return {m_context.catalogueType, m_context.title.bkdh};
}

TitlePrices TdybkFrm::titlePrices() const
{
    const SubscribedTitle &title = m_title;
    TitlePrices prices;
    prices.qnj = title.qnj;
    prices.bnj = title.bnj;
    prices.jj = title.jj;
    prices.yj = title.yj;
    prices.dj = title.dj;
    prices.kq = title.kq;
    prices.cbrq = title.cbrq;
    prices.title = titleRef();
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
    issuePreview->showFor(titleRef(), m_title.kq, m_title.cbrq, *start, *end);
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
    // Copies that cannot be saved have no amount; 0 is priced (and refused by 确定).
    std::optional<int> copies = fs->Value();
    if (copies && (*copies < 0 || *copies > MaxCopies))
        copies.reset();
    // No term, or no valid month range: there is no price, and so no amount.
    const AmountResult result = term >= 0 && MonthsValid(start, end)
        ? SubscriptionAmount(term, *start, *end, copies, titlePrices())
        : AmountResult();
    if (result.kind == AmountResult::Kind::Failure) {
        m_amountFailure = result.failure;
        lbMsg->setText(result.failure);
        ke->setText(QString());
        return;
    }
    // A failure shown before belongs to other values: the term's notice takes its place again.
    if (!m_amountFailure.isEmpty() && lbMsg->text() == m_amountFailure)
        lbMsg->setText(termNotice());
    m_amountFailure.clear();
    if (result.kind == AmountResult::Kind::Amount)
        ke->setValue(result.amount);
    else
        ke->setText(QString());
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
    if (!pricesStillHold())
        return;
    if (m_context.mode == SubscriptionContext::Mode::NewLine)
        insertLine();
    else
        updateLine();
}

bool TdybkFrm::pricesStillHold()
{
    SubscribedTitle stored;
    const int found = ReadSubscribedTitle(m_context.catalogueType, m_context.title.bkdh, &stored);
    if (found < 0) {
        platform::ShowDbError(this, GP.LastError);
        return false;
    }
    if (found == 0) {
        platform::ShowHint(this, TitleGone);
        return false;
    }
    const bool same = SamePricing(stored, m_title);
    m_title = stored;
    if (same)
        return true;
    // Shown and priced anew before anything is stored; the next 确定 writes the new amount.
    showTitle();
    recomputeAmount();
    refreshPreview();
    if (m_amountFailure.isEmpty())
        lbMsg->setText(PricesChangedOnSaving);
    platform::ShowHint(this, PricesChangedOnSaving);
    return false;
}

void TdybkFrm::insertLine()
{
    if (!m_context.unitId) {
        platform::ShowHint(this, QStringLiteral("   请选择订阅报刊的单位...    "));
        return;
    }
    NewOrderLine line;
    line.unitId = *m_context.unitId;
    line.catalogueType = m_context.catalogueType;
    line.code = m_context.title.bkdh;
    line.period = m_title.kq;
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
    if (!m_line)
        return;
    const StoredOrderLine &row = *m_line;
    OrderLineValues stored;
    stored.startMonth = row.qdy.toInt();
    stored.endMonth = row.zdy.toInt();
    stored.copies = row.fs.toInt();
    stored.amount = row.ke;
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
    std::optional<StoredOrderLine> now;
    switch (WriteOrderCorrection(row, assignments, &now)) {
    case CorrectionResult::Written:
        saved(QStringLiteral("修改记录成功！"));
        break;
    case CorrectionResult::Changed:
        // The clerk's change is not merged into the other desk's: the line is shown as it now is.
        m_line = now;
        emit lineOutdated();
        showStoredLine();
        lbMsg->setText(LineChangedElsewhere);
        platform::ShowHint(this, LineChangedElsewhere);
        break;
    case CorrectionResult::Gone:
        emit lineOutdated();
        platform::ShowHint(this, LineDeletedElsewhere);
        close();
        break;
    case CorrectionResult::Failed:
        platform::ShowDbError(this, GP.LastError);
        break;
    }
}

void TdybkFrm::saved(const QString &notice)
{
    emit lineSaved();
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
