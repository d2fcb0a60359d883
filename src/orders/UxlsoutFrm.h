#pragma once
// The order export dialog (caption "订单导出"): writes one customer unit's order lines, summed per title
// and term, either into a spreadsheet file through Excel or WPS (one sheet per ticked catalogue type, or
// the postal orders and all non-postal orders in two sheets) or into a semicolon-separated text file.
// The rows go through a hidden grid, whose columns, titles and footers decide what is written, to the
// grid export component. One export per opening: the dialog closes after it.

#include "db/Query.h"
#include "widgets/GridColumn.h"
#include "widgets/TDataSource.h"

#include <QDialog>
#include <QStringList>
#include <QVector>

class QLabel;
class QPushButton;
class TDataGrid;
class TFlatCheckBox;
class TFlatPanel;
class TGridExport;
class TRadioGroup;

// The statements of the dialog.
namespace xlsout {
// The catalogue types with the number of order lines of the unit in each ("rec", NULL for none).
QString TypeListSql(qint32 unitId);
// Combined mode: the postal orders, and all non-postal orders in one sheet (titles missing from the
// catalogue kept, with empty name, price and category).
QString CombinedPostalSql(qint32 unitId);
QString CombinedNonPostalSql(qint32 unitId);
// One sheet per type, and the text file: orders of the types `condition` selects ("=2", ">0") joined to
// the titles of `table` (titles missing from the catalogue left out).
QString TypeOrdersSql(const QString &condition, qint32 unitId, const QString &table);
// The caption of a type box: the type's name up to "目录", followed by "订单"; none without "目录".
QString TypeBoxCaption(const QString &typeName);
// The file proposed in the save dialog: "《unit》订单".
QString ProposedFileName(const QString &unitName);
// The columns of the hidden grid: they decide the columns, titles, widths and footer row of every
// export ("合计" under 报刊代号, the sums of 份数 and 款额).
QVector<TColumn> ExportColumns();
} // namespace xlsout

class TxlsoutFrm : public QDialog {
    Q_OBJECT
public:
    // The unit whose orders are exported, handed in by the opener (the main window's chosen unit).
    TxlsoutFrm(const QString &unitName, qint32 unitId, QWidget *parent = nullptr);
    ~TxlsoutFrm() override;

    TFlatPanel *FlatPan = nullptr;
    QLabel *Label1 = nullptr;
    TDataGrid *brow = nullptr;
    QPushButton *outbtn = nullptr;
    TFlatCheckBox *fyfBox = nullptr;
    QLabel *Label2 = nullptr;
    TRadioGroup *outlxBox = nullptr;
    db::Query ado;
    TDataSource ds;

    QVector<TFlatCheckBox *> TypeBoxes; // one per catalogue type, in the order of bkmllx.id
    QStringList TypeIds;                // bkmllx.id of each box, as text

    // While an export runs (for callers and tests).
    bool exporting() const { return m_exporting; }

public slots:
    void FormShow();
    void FormClose();
    void outbtnClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildTypeBoxes();
    void FreeTypeBoxes();
    void buildGrid();
    void exportSheets(const QString &fileName, int format);
    void exportText(const QString &fileName);
    bool exportSheet(TGridExport &exporter, const QString &sql, const QString &sheetName, int &sheetNumber,
                     bool &result);
    void setExporting(bool exporting);
    void finishExport();

    QString m_unitName;
    qint32 m_unitId;
    bool m_exporting = false;
    bool m_fyfWasEnabled = false;
};

// Opens the order export dialog for a unit modally and frees it when it closes. True only for an OK
// result, which the dialog never gives.
bool ShowExportForm(const QString &unitName, qint32 unitId);
