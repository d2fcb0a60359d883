#include "catalogue/UmljcFrm.h"

#include "data/CatalogueCode.h"
#include "data/Udm.h"
#include "export/GridFileExport.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "widgets/GridColumn.h"
#include "widgets/TDataGrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace {

enum Column { CodeColumn, TitleColumn, PeriodColumn, DaysColumn, LevelColumn, ProblemColumn, DetailColumn };

QString levelText(const CheckFinding &finding)
{
    return finding.warning ? QStringLiteral("警告") : QStringLiteral("错误");
}

} // namespace

TmljcFrm::TmljcFrm(int catalogueType, const QString &typeCaption, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::WindowMaximizeButtonHint),
      m_type(catalogueType),
      m_typeCaption(typeCaption),
      m_source(this, &m_rows)
{
    setObjectName(QStringLiteral("mljcFrm"));
    setWindowTitle(QStringLiteral("目录检查 - ") + typeCaption);
    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(12);
    setFont(songti);
    resize(1120, 520);

    lbmsg = new QLabel(this);
    lbmsg->setObjectName(QStringLiteral("lbmsg"));
    lbmsg->setWordWrap(true);
    buildGrid();
    checkBtn = new QPushButton(QStringLiteral("重新检查"), this);
    checkBtn->setObjectName(QStringLiteral("checkBtn"));
    outBtn = new QPushButton(QStringLiteral("导出..."), this);
    outBtn->setObjectName(QStringLiteral("outBtn"));
    closeBtn = new QPushButton(QStringLiteral("关闭"), this);
    closeBtn->setObjectName(QStringLiteral("closeBtn"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("双击一行可在目录中定位该报刊；点击列标题可按该列排序。"), this), 1);
    buttons->addWidget(checkBtn);
    buttons->addWidget(outBtn);
    buttons->addWidget(closeBtn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(lbmsg);
    layout->addWidget(brow, 1);
    layout->addLayout(buttons);

    platform::ConnectAction(checkBtn, &QPushButton::clicked, this, &TmljcFrm::RunCheck);
    platform::ConnectAction(outBtn, &QPushButton::clicked, this, &TmljcFrm::outBtnClick);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::close);
    platform::ConnectAction(brow, &QAbstractItemView::doubleClicked, this, &TmljcFrm::browDblClick);
    brow->horizontalHeader()->setSectionsClickable(true);
    platform::ConnectAction(brow->horizontalHeader(), &QHeaderView::sectionClicked, this, &TmljcFrm::sortByColumn);

    RunCheck();
}

void TmljcFrm::buildGrid()
{
    brow = new TDataGrid(this);
    brow->setObjectName(QStringLiteral("brow"));
    const Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignVCenter;
    brow->setColumns({MakeColumn(QStringLiteral("bkdh"), QStringLiteral("报刊代号"), 70),
                      MakeColumn(QStringLiteral("bkmc"), QStringLiteral("报刊名称"), 180),
                      MakeColumn(QStringLiteral("kq"), QStringLiteral("刊期"), 60, centre),
                      MakeColumn(QStringLiteral("cbrq"), QStringLiteral("出版日期"), 130, centre),
                      MakeColumn(QStringLiteral("jb"), QStringLiteral("级别"), 40, centre),
                      MakeColumn(QStringLiteral("wt"), QStringLiteral("问题"), 100),
                      MakeColumn(QStringLiteral("sm"), QStringLiteral("说明"), 500)});
    brow->setDataSource(&m_source);
}

void TmljcFrm::RunCheck()
{
    m_findings.clear();
    m_order.clear();
    if (!LoadCheckedEntries(m_type, m_entries)) {
        m_rows.close();
        lbmsg->setText(QString());
        platform::ShowDbError(this, GP.LastError);
        return;
    }
    const CatalogueCheckContext context = ProgramCheckContext(m_type);
    m_findings = CheckCatalogue(m_entries, context);
    m_order.resize(m_findings.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    sortByColumn(CodeColumn);

    const CheckCounts counts = CountFlaggedEntries(m_findings);
    QString text = m_typeCaption + QStringLiteral("：共") + QString::number(m_entries.size()) + QStringLiteral("个条目，");
    if (counts.entries == 0)
        text += QStringLiteral("未发现问题。");
    else
        text += QString::number(counts.entries) + QStringLiteral("个有问题（其中") + QString::number(counts.warningOnly)
                + QStringLiteral("个仅为警告），共") + QString::number(m_findings.size()) + QStringLiteral("处。");
    if (!context.calendarReady)
        text += QStringLiteral("日历表不是") + QString::number(context.workYear)
                + QStringLiteral("年的，未核对按期数计算的价格。");
    lbmsg->setText(text);
}

void TmljcFrm::sortByColumn(int column)
{
    // The catalogue's order first: by sort key, codes that cannot be sorted last, then as read.
    auto catalogueLess = [this](int a, int b) {
        const QString &codeA = m_entries.at(m_findings.at(a).entry).bkdh;
        const QString &codeB = m_entries.at(m_findings.at(b).entry).bkdh;
        qint64 keyA = 0, keyB = 0;
        const bool sortableA = CatalogueSortKey(codeA, keyA);
        const bool sortableB = CatalogueSortKey(codeB, keyB);
        if (sortableA != sortableB)
            return sortableA;
        if (sortableA && keyA != keyB)
            return keyA < keyB;
        if (!sortableA && codeA != codeB)
            return codeA < codeB;
        if (m_findings.at(a).entry != m_findings.at(b).entry)
            return m_findings.at(a).entry < m_findings.at(b).entry;
        return a < b;
    };
    std::sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const CheckFinding &fa = m_findings.at(a);
        const CheckFinding &fb = m_findings.at(b);
        const CheckedEntry &ea = m_entries.at(fa.entry);
        const CheckedEntry &eb = m_entries.at(fb.entry);
        switch (column) {
        case CodeColumn:
            break;
        case TitleColumn:
            if (ea.bkmc != eb.bkmc)
                return ea.bkmc.localeAwareCompare(eb.bkmc) < 0;
            break;
        case PeriodColumn:
            if (ea.kq != eb.kq)
                return ea.kq < eb.kq;
            break;
        case DaysColumn:
            if (ea.cbrq != eb.cbrq)
                return ea.cbrq < eb.cbrq;
            break;
        case DetailColumn:
            if (fa.detail != fb.detail)
                return fa.detail < fb.detail;
            break;
        default: // 级别 and 问题: errors first, then by the kind of problem
            if (fa.warning != fb.warning)
                return fb.warning;
            if (fa.problem != fb.problem)
                return fa.problem < fb.problem;
            break;
        }
        return catalogueLess(a, b);
    });
    fillRows();
}

void TmljcFrm::fillRows()
{
    QVector<QVector<QVariant>> rows;
    rows.reserve(m_order.size());
    for (int index : std::as_const(m_order)) {
        const CheckFinding &f = m_findings.at(index);
        const CheckedEntry &e = m_entries.at(f.entry);
        rows.append({e.bkdh, e.bkmc, e.kq, e.cbrq, levelText(f), CheckProblemName(f.problem), f.detail});
    }
    m_rows.openRows({QStringLiteral("bkdh"), QStringLiteral("bkmc"), QStringLiteral("kq"), QStringLiteral("cbrq"),
                     QStringLiteral("jb"), QStringLiteral("wt"), QStringLiteral("sm")},
                    QVector<bool>(7, false), std::move(rows));
}

void TmljcFrm::browDblClick()
{
    if (m_rows.recordCount() == 0 || m_rows.recNo() < 1)
        return;
    emit entryChosen(m_type, m_rows.fieldText(QStringLiteral("bkdh")));
}

void TmljcFrm::outBtnClick()
{
    if (m_rows.recordCount() == 0) {
        platform::ShowHint(this, QStringLiteral("没有可导出的检查记录..."));
        return;
    }
    ExportGridAsked(this, brow, QStringLiteral("目录检查（") + m_typeCaption + QStringLiteral("）"), QStringLiteral("目录检查"));
}
