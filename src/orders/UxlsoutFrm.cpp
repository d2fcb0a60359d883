#include "orders/UxlsoutFrm.h"

#include "data/Udm.h"
#include "export/UGridExport.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "widgets/GridColumn.h"
#include "widgets/TDataGrid.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TRadioGroup.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>

namespace xlsout {

QString TypeListSql(qint32 unitId)
{
    return QStringLiteral("select bkmllx.*,a.rec from bkmllx left join (select count(*)as rec,mllx from torder where dwid=")
           + QString::number(unitId) + QStringLiteral(" group by mllx) as a ")
           + QStringLiteral("on bkmllx.id=a.mllx order by bkmllx.id");
}

QString CombinedPostalSql(qint32 unitId)
{
    return QStringLiteral("select a.*,b.bkmc,b.qnj,b.bkzl from (select bkdh,qdy,zdy,sum(fs) as fs,sum(ke) as ke from torder where mllx")
           + QStringLiteral("=0") + QStringLiteral(" and dwid=") + QString::number(unitId)
           + QStringLiteral(" group by bkdh,qdy,zdy) as a ") + QStringLiteral("left join (select bkdh,bkmc,qnj,bkzl from ")
           + QStringLiteral("post") + QStringLiteral(" group by bkdh,bkmc,qnj,bkzl) as b on a.bkdh=b.bkdh");
}

QString CombinedNonPostalSql(qint32 unitId)
{
    return QStringLiteral("select a.*,b.bkmc,b.qnj,b.bkzl from (select bkdh,qdy,zdy,mllx,sum(fs) as fs,sum(ke) as ke from torder where mllx")
           + QStringLiteral(">0") + QStringLiteral(" and dwid=") + QString::number(unitId)
           + QStringLiteral(" group by bkdh,qdy,zdy,mllx) as a ") + QStringLiteral("left join (select bkdh,mllx,bkmc,qnj,bkzl from ")
           + QStringLiteral("nopost") + QStringLiteral(" group by bkdh,mllx,bkmc,qnj,bkzl) as b on a.bkdh=b.bkdh and a.mllx=b.mllx ")
           + QStringLiteral("order by a.mllx");
}

QString TypeOrdersSql(const QString &condition, qint32 unitId, const QString &table)
{
    // A code is unique only within its catalogue type: the non-postal titles are matched by type too.
    if (table == QLatin1String("nopost"))
        return QStringLiteral("select a.bkdh,a.qdy,a.zdy,a.fs,a.ke,b.bkmc,b.qnj,b.bkzl from (select bkdh,qdy,zdy,mllx,sum(fs) as fs,sum(ke) as ke from torder where mllx")
               + condition + QStringLiteral(" and dwid=") + QString::number(unitId)
               + QStringLiteral(" group by bkdh,qdy,zdy,mllx) as a ") + QStringLiteral("inner join (select bkdh,mllx,bkmc,qnj,bkzl from ")
               + table + QStringLiteral(" group by bkdh,mllx,bkmc,qnj,bkzl) as b on a.bkdh=b.bkdh and a.mllx=b.mllx");
    return QStringLiteral("select a.*,b.bkmc,b.qnj,b.bkzl from (select bkdh,qdy,zdy,sum(fs) as fs,sum(ke) as ke from torder where mllx")
           + condition + QStringLiteral(" and dwid=") + QString::number(unitId)
           + QStringLiteral(" group by bkdh,qdy,zdy) as a ") + QStringLiteral("inner join (select bkdh,bkmc,qnj,bkzl from ")
           + table + QStringLiteral(" group by bkdh,bkmc,qnj,bkzl) as b on a.bkdh=b.bkdh");
}

QString TypeBoxCaption(const QString &typeName)
{
    const qsizetype at = typeName.indexOf(QStringLiteral("目录"));
    return at < 0 ? QString() : typeName.left(at) + QStringLiteral("订单");
}

QString ProposedFileName(const QString &unitName)
{
    return QStringLiteral("《") + unitName + QStringLiteral("》订单");
}

static TColumnFooter sumFooter(const QString &format = QString())
{
    TColumnFooter footer;
    footer.ValueType = TFooterValueType::ftSum;
    footer.DisplayFormat = format;
    return footer;
}

QVector<TColumn> ExportColumns()
{
    TColumn code = MakeColumn(QStringLiteral("bkdh"), QStringLiteral("报刊代号"), 70);
    code.Footer.ValueType = TFooterValueType::ftStaticText;
    code.Footer.Value = QStringLiteral("合计");
    TColumn copies = MakeColumn(QStringLiteral("fs"), QStringLiteral("份数"), 80);
    copies.Footers = {sumFooter()};
    TColumn amount = MakeColumn(QStringLiteral("ke"), QStringLiteral("款额"), TColumn().Width, std::nullopt,
                                QStringLiteral("0.00"));
    amount.Footers = {sumFooter(QStringLiteral("0.00"))};
    return {code,
            MakeColumn(QStringLiteral("bkmc"), QStringLiteral("报刊名称"), 200),
            MakeColumn(QStringLiteral("qnj"), QStringLiteral("年价"), 70, std::nullopt, QStringLiteral("0.00")),
            MakeColumn(QStringLiteral("bkzl"), QStringLiteral("报刊类别"), 70),
            MakeColumn(QStringLiteral("qdy"), QStringLiteral("起订月"), 70),
            MakeColumn(QStringLiteral("zdy"), QStringLiteral("止订月"), 70),
            copies,
            amount};
}

} // namespace xlsout

namespace {

enum Format { ExcelFormat = 0, WpsFormat = 1, TxtFormat = 2 };

const QString kNonPostalSheet = QStringLiteral("非邮发报刊订单");

platform::FileDialogRequest saveRequest(int format, const QString &unitName)
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("请选择输出文件名");
    request.fileName = xlsout::ProposedFileName(unitName);
    request.overwritePrompt = true;
    request.purpose = QStringLiteral("orderExport");
    switch (format) {
    case ExcelFormat:
        request.defaultExt = QStringLiteral("xls");
        request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx");
        break;
    case WpsFormat:
        request.defaultExt = QStringLiteral("et");
        request.filter = QStringLiteral("Wps文件(*.Et)|*.et");
        break;
    default:
        request.defaultExt = QStringLiteral("txt");
        request.filter = QStringLiteral("Txt文件(*.Txt)|*.txt");
        break;
    }
    return request;
}

} // namespace

TxlsoutFrm::TxlsoutFrm(const QString &unitName, qint32 unitId, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      ds(this, &ado),
      m_unitName(unitName),
      m_unitId(unitId)
{
    setObjectName(QStringLiteral("xlsoutFrm"));
    setWindowTitle(QStringLiteral("订单导出"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize(525, 243);
    move(313, 203);

    FlatPan = new TFlatPanel(this);
    FlatPan->setObjectName(QStringLiteral("FlatPan"));
    FlatPan->setGeometry(38, 24, 451, 137);
    Label1 = new QLabel(QStringLiteral("选择要导出订单的种类"), FlatPan);
    Label1->move(24, 8);
    Label1->adjustSize();

    buildGrid();

    outbtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("导出"), this);
    outbtn->setObjectName(QStringLiteral("outbtn"));
    outbtn->setGeometry(416, 176, 73, 25);
    platform::ConnectAction(outbtn, &QPushButton::clicked, this, &TxlsoutFrm::outbtnClick);

    fyfBox = new TFlatCheckBox(QStringLiteral("所有非邮发报刊订单导在一张表中"), this);
    fyfBox->setObjectName(QStringLiteral("fyfBox"));
    fyfBox->setGeometry(76, 175, 200, 14);
    fyfBox->setEnabled(false);

    Label2 = new QLabel(QStringLiteral("文件导出类型："), this);
    Label2->move(76, 209);
    Label2->adjustSize();

    outlxBox = new TRadioGroup(this);
    outlxBox->setObjectName(QStringLiteral("outlxBox"));
    outlxBox->setGeometry(160, 192, 233, 36);
    outlxBox->setColumns(3);
    outlxBox->setItems({QStringLiteral("Excel表格"), QStringLiteral("Wps表格"), QStringLiteral("Txt文本")});
    outlxBox->setItemIndex(ExcelFormat);
}

TxlsoutFrm::~TxlsoutFrm()
{
    FreeTypeBoxes();
}

// The hidden grid whose columns, titles and footers decide what every export writes.
void TxlsoutFrm::buildGrid()
{
    brow = new TDataGrid(this);
    brow->setObjectName(QStringLiteral("brow"));
    brow->setGeometry(8, 171, 41, 46);
    brow->setVisible(false);

    brow->setColumns(xlsout::ExportColumns());
    brow->setFooterRowCount(1);
    brow->setSumListActive(true);
    brow->setDataSource(&ds);
}

void TxlsoutFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::RunAction([this] { FormShow(); });
}

void TxlsoutFrm::closeEvent(QCloseEvent *event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TxlsoutFrm::FormShow()
{
    FreeTypeBoxes();
    if (OpenQuery(xlsout::TypeListSql(m_unitId), dm->ADOQuery1) <= 0)
        return;
    BuildTypeBoxes();
    dm->ADOQuery1.close();
    dm->ADOQuery1.clearSql();
}

void TxlsoutFrm::BuildTypeBoxes()
{
    db::Query &types = dm->ADOQuery1;
    const int count = types.recordCount();
    TypeBoxes.resize(count);
    TypeIds.clear();
    types.first();
    for (int i = 0; i < count && !types.eof(); ++i, types.next()) {
        TypeIds << types.fieldText(QStringLiteral("id"));
        auto *box = new TFlatCheckBox(xlsout::TypeBoxCaption(types.fieldText(QStringLiteral("mc"))), FlatPan);
        box->setObjectName(QStringLiteral("TypeBox%1").arg(i));
        const int top = 50 + 24 * (i / 2);
        // 100 wide, or as wide as a longer caption needs (the columns are 200 apart)
        box->setGeometry(i % 2 == 0 ? 60 : 260, top, qMax(100, box->sizeHint().width()), box->sizeHint().height());
        box->setChecked(false);
        if (types.fieldInt(QStringLiteral("rec")) <= 0) {
            box->setEnabled(false);
        } else {
            box->setEnabled(true);
            if (types.fieldInt(QStringLiteral("id")) > 0 && !fyfBox->isEnabled())
                fyfBox->setEnabled(true);
        }
        box->show();
        TypeBoxes[i] = box;
    }
    // tab order follows the boxes
    for (int i = 1; i < TypeBoxes.size(); ++i)
        setTabOrder(TypeBoxes.at(i - 1), TypeBoxes.at(i));
}

void TxlsoutFrm::FreeTypeBoxes()
{
    for (int i = int(TypeBoxes.size()) - 1; i >= 0; --i)
        delete TypeBoxes.at(i);
    TypeBoxes.clear();
    TypeIds.clear();
}

void TxlsoutFrm::FormClose()
{
    ado.close();
    FreeTypeBoxes();
}

void TxlsoutFrm::setExporting(bool exporting)
{
    if (exporting)
        m_fyfWasEnabled = fyfBox->isEnabled();
    m_exporting = exporting;
    FlatPan->setEnabled(!exporting);
    brow->setEnabled(!exporting);
    // a second click on 导出 while the component lets messages run would start a second export
    outbtn->setEnabled(!exporting);
    fyfBox->setEnabled(!exporting && m_fyfWasEnabled);
    outlxBox->setEnabled(!exporting);
}

void TxlsoutFrm::outbtnClick()
{
    if (TypeBoxes.isEmpty() || m_exporting)
        return;
    int ticked = 0;
    for (const TFlatCheckBox *box : std::as_const(TypeBoxes))
        if (box->isChecked())
            ++ticked;
    if (ticked == 0) {
        platform::ShowHint(this, QStringLiteral("请选择要导出的订单类型.."));
        return;
    }
    const int format = outlxBox->ItemIndex();
    if (format < 0) {
        platform::ShowHint(this, QStringLiteral("请选择要导出的文件格式(Excel|Wps|Txt)..."));
        return;
    }
    const QString fileName = platform::SaveFileName(nullptr, saveRequest(format, m_unitName));
    if (fileName.isEmpty())
        return;
    if (format == TxtFormat) {
        if (ticked > 1 && (TypeBoxes.constFirst()->isChecked() || !fyfBox->isChecked())) {
            platform::ShowHint(this, QStringLiteral("文本文件只能分别导出..."));
            return;
        }
        exportText(fileName);
    } else {
        exportSheets(fileName, format);
    }
}

// After every export, also one ended by an error: the dialog is usable again, the grid lets go of the
// rows, and the dialog closes.
void TxlsoutFrm::finishExport()
{
    setExporting(false);
    ds.setDataSet(nullptr);
    ado.enableControls();
    close();
}

// Runs one sheet's statement and, when it yields rows, writes them as sheet number `sheetNumber` + 1.
// Returns whether a sheet was written; a statement without rows (or failing) adds no sheet.
bool TxlsoutFrm::exportSheet(TGridExport &exporter, const QString &sql, const QString &sheetName, int &sheetNumber,
                             bool &result)
{
    ds.setDataSet(nullptr);
    if (OpenQuery(sql, ado) < 1)
        return false;
    ado.first();
    ds.setDataSet(&ado);
    ++sheetNumber;
    exporter.SheetCount = sheetNumber;
    exporter.Yes = sheetNumber != 1;
    exporter.SheetName = sheetName;
    result = exporter.ExportToXls(brow, false);
    return true;
}

void TxlsoutFrm::exportSheets(const QString &fileName, int format)
{
    setExporting(true);
    TGridExport exporter;
    exporter.Outtype = format == ExcelFormat ? QStringLiteral("XLS") : QStringLiteral("WPS");
    int sheetNumber = 0;
    bool result = false;
    {
        const auto cleanup = qScopeGuard([this] { finishExport(); });
        exporter.XlsFileName = fileName;
        ado.disableControls();
        if (fyfBox->isChecked()) {
            // the first box stands for the postal catalogue (type 0)
            if (TypeBoxes.constFirst()->isChecked())
                exportSheet(exporter, xlsout::CombinedPostalSql(m_unitId), TypeBoxes.constFirst()->text(),
                            sheetNumber, result);
            exportSheet(exporter, xlsout::CombinedNonPostalSql(m_unitId), kNonPostalSheet, sheetNumber, result);
        } else {
            for (int i = 0; i < TypeBoxes.size(); ++i) {
                if (!TypeBoxes.at(i)->isChecked())
                    continue;
                const QString table = TypeIds.at(i).toInt() == 0 ? QStringLiteral("post") : QStringLiteral("nopost");
                exportSheet(exporter, xlsout::TypeOrdersSql(QStringLiteral("=") + TypeIds.at(i), m_unitId, table),
                            TypeBoxes.at(i)->text(), sheetNumber, result);
            }
        }
        if (result)
            platform::ShowInfo(this, QStringLiteral("文件导出成功！..."));
        else
            platform::MessageBox(this, QStringLiteral("文件导出错误！..."), QStringLiteral("信息"), platform::Icon::Warning);
    }
}

void TxlsoutFrm::exportText(const QString &fileName)
{
    setExporting(true);
    TGridExport exporter;
    const auto cleanup = qScopeGuard([this] { finishExport(); });
    ado.disableControls();
    int first = 0;
    while (!TypeBoxes.at(first)->isChecked())
        ++first;
    const QString id = TypeIds.at(first);
    QString table;
    QString condition;
    if (id.toInt() == 0) {
        table = QStringLiteral("post");
        condition = QStringLiteral("=") + id;
    } else {
        table = QStringLiteral("nopost");
        condition = fyfBox->isChecked() ? QStringLiteral(">0") : QStringLiteral("=") + id;
    }
    if (OpenQuery(xlsout::TypeOrdersSql(condition, m_unitId, table), ado) < 1)
        return;
    ado.first();
    ds.setDataSet(&ado);
    exporter.TxtFileName = fileName;
    exporter.SetSpaceMark(TSpaceMark::csSemicolon);
    if (exporter.ExportToText(brow, false))
        platform::ShowInfo(this, QStringLiteral("文件导出成功！..."));
    else
        platform::MessageBox(this, QStringLiteral("文件导出错误！..."), QStringLiteral("信息"), platform::Icon::Warning);
}

bool ShowExportForm(const QString &unitName, qint32 unitId)
{
    return platform::ShowModalForm<TxlsoutFrm>(unitName, unitId) == QDialog::Accepted;
}
