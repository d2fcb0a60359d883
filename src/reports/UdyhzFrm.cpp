#include "reports/UdyhzFrm.h"

#include "calendar/Vocabulary.h"
#include "data/Udm.h"
#include "export/GridFileExport.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "reports/OrderPrint.h"
#include "reports/PrintPreview.h"
#include "widgets/GridColumn.h"
#include "widgets/TDataGrid.h"
#include "widgets/TRadioGroup.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Everything = QStringLiteral("全部");

// Column indexes of the grid whose footers follow each load.
constexpr int TitleColumn = 1;
constexpr int UnitsColumn = 7;

TColumn staticFooter(TColumn column, const QString &text)
{
    column.Footer.ValueType = TFooterValueType::ftStaticText;
    column.Footer.Value = text;
    return column;
}

// A sum goes into the footer list: that is where the export takes the sums from.
TColumn sumFooter(TColumn column)
{
    TColumnFooter sum;
    sum.ValueType = TFooterValueType::ftSum;
    sum.DisplayFormat = column.DisplayFormat;
    column.Footers = {sum};
    return column;
}

} // namespace

TdyhzFrm::TdyhzFrm(const SummaryWindowContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::WindowMaximizeButtonHint),
      m_context(context),
      m_source(this, &m_rows)
{
    setObjectName(QStringLiteral("dyhzFrm"));
    setWindowTitle(QStringLiteral("订阅汇总"));
    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(12);
    setFont(songti);
    resize(900, 560);

    mllxBox = new QComboBox(this);
    mllxBox->setObjectName(QStringLiteral("mllxBox"));
    mllxBox->addItems(context.typeCaptions);
    mllxBox->setCurrentIndex(qBound(-1, context.catalogueType, int(context.typeCaptions.size()) - 1));
    kqBox = new QComboBox(this);
    kqBox->setObjectName(QStringLiteral("kqBox"));
    kqBox->addItem(Everything);
    kqBox->addItems(PeriodListText.split(QLatin1Char(',')));
    bkzlBox = new TRadioGroup(this);
    bkzlBox->setObjectName(QStringLiteral("bkzlBox"));
    bkzlBox->setFrame(TRadioGroup::Frame::None);
    bkzlBox->setColumns(3);
    bkzlBox->setItems({Everything, QStringLiteral("杂志"), QStringLiteral("报纸")});
    bkzlBox->setItemIndex(0);
    bkzlBox->setFixedSize(170, 24);

    auto *filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("目录类型"), this));
    filters->addWidget(mllxBox);
    filters->addSpacing(12);
    filters->addWidget(new QLabel(QStringLiteral("刊期"), this));
    filters->addWidget(kqBox);
    filters->addSpacing(12);
    filters->addWidget(new QLabel(QStringLiteral("报刊类别"), this));
    filters->addWidget(bkzlBox);
    filters->addStretch();

    buildGrid();

    lbmsg = new QLabel(this);
    lbmsg->setObjectName(QStringLiteral("lbmsg"));
    outBtn = new QPushButton(QStringLiteral("导出..."), this);
    outBtn->setObjectName(QStringLiteral("outBtn"));
    printBtn = new QPushButton(QStringLiteral("打印..."), this);
    printBtn->setObjectName(QStringLiteral("printBtn"));
    closeBtn = new QPushButton(QStringLiteral("关闭"), this);
    closeBtn->setObjectName(QStringLiteral("closeBtn"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lbmsg, 1);
    buttons->addWidget(outBtn);
    buttons->addWidget(printBtn);
    buttons->addWidget(closeBtn);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(filters);
    layout->addWidget(brow, 1);
    layout->addLayout(buttons);

    platform::ConnectAction(mllxBox, &QComboBox::currentIndexChanged, this, &TdyhzFrm::LoadSummary);
    platform::ConnectAction(kqBox, &QComboBox::currentIndexChanged, this, &TdyhzFrm::LoadSummary);
    platform::ConnectAction(bkzlBox, &TRadioGroup::Click, this, &TdyhzFrm::LoadSummary);
    platform::ConnectAction(outBtn, &QPushButton::clicked, this, &TdyhzFrm::outBtnClick);
    platform::ConnectAction(printBtn, &QPushButton::clicked, this, &TdyhzFrm::printBtnClick);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);

    LoadSummary();
}

void TdyhzFrm::buildGrid()
{
    brow = new TDataGrid(this);
    brow->setObjectName(QStringLiteral("brow"));
    const Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignVCenter;
    TColumn amount = sumFooter(MakeColumn(QStringLiteral("ke"), QStringLiteral("总款额"), 100, std::nullopt,
                                          QStringLiteral("0.00")));
    brow->setColumns({staticFooter(MakeColumn(QStringLiteral("bkdh"), QStringLiteral("报刊代号"), 70), QStringLiteral("合计")),
                      staticFooter(MakeColumn(QStringLiteral("bkmc"), QStringLiteral("报刊名称"), 220), QString()),
                      MakeColumn(QStringLiteral("kq"), QStringLiteral("刊期"), 60, centre),
                      MakeColumn(QStringLiteral("bkzl"), QStringLiteral("报刊类别"), 60, centre),
                      MakeColumn(QStringLiteral("qx"), QStringLiteral("订阅期限"), 70, centre),
                      MakeColumn(QStringLiteral("qdy"), QStringLiteral("起订月"), 55),
                      MakeColumn(QStringLiteral("zdy"), QStringLiteral("止订月"), 55),
                      staticFooter(MakeColumn(QStringLiteral("dws"), QStringLiteral("单位数"), 60), QString()),
                      sumFooter(MakeColumn(QStringLiteral("fs"), QStringLiteral("总份数"), 70)),
                      amount});
    brow->setFooterRowCount(1);
    brow->setSumListActive(true);
    brow->setDataSource(&m_source);
}

SummaryFilter TdyhzFrm::filter() const
{
    SummaryFilter f;
    f.catalogueType = qMax(0, mllxBox->currentIndex());
    if (kqBox->currentIndex() > 0)
        f.period = kqBox->currentText();
    if (bkzlBox->ItemIndex() > 0)
        f.kind = bkzlBox->Items().at(bkzlBox->ItemIndex());
    return f;
}

void TdyhzFrm::LoadSummary()
{
    if (!LoadOrderSummary(filter(), m_lines, m_totals)) {
        m_rows.close();
        lbmsg->clear();
        platform::ShowDbError(this, GP.LastError);
        return;
    }
    FillSummaryQuery(m_lines, m_rows);
    showTotals();
}

void TdyhzFrm::showTotals()
{
    QVector<TColumn> columns = brow->Columns();
    columns[TitleColumn].Footer.Value = QStringLiteral("共%1种").arg(m_totals.titles);
    columns[UnitsColumn].Footer.Value = QString::number(m_totals.units);
    brow->setColumns(columns);
    if (m_lines.isEmpty())
        lbmsg->setText(QStringLiteral("未搜索到相关信息..."));
    else
        lbmsg->setText(QStringLiteral("共%1种报刊，%2行，%3个单位订阅")
                           .arg(m_totals.titles)
                           .arg(m_totals.lines)
                           .arg(m_totals.units));
}

void TdyhzFrm::outBtnClick()
{
    if (m_lines.isEmpty()) {
        platform::ShowHint(this, QStringLiteral("没有可导出的汇总记录..."));
        return;
    }
    ExportGridAsked(this, brow, QStringLiteral("订阅汇总（") + mllxBox->currentText() + QStringLiteral("）"), QStringLiteral("订阅汇总"));
}

void TdyhzFrm::printBtnClick()
{
    if (m_lines.isEmpty()) {
        platform::ShowHint(this, QStringLiteral("没有可打印的汇总记录..."));
        return;
    }
    SummaryPrintContext print;
    print.filter = filter();
    print.typeCaption = mllxBox->currentText();
    print.workYear = m_context.workYear;
    print.printed = m_context.today;
    ShowPrintPreview(this, SummaryDocument(print, m_lines, m_totals),
                     QStringLiteral("订阅汇总（") + print.typeCaption + QStringLiteral("）"));
}

void ShowSummaryForm(const SummaryWindowContext &context)
{
    platform::ShowModalForm<TdyhzFrm>(context);
}
