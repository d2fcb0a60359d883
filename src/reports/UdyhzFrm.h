#pragma once
// The order summary window (caption "订阅汇总"): for a catalogue type, every title ordered by any unit,
// one line per title and month range with the number of units, the copies and the amount, in the
// catalogue's order and with a footer of totals; filtered by period and kind; exported into a
// spreadsheet or text file, or printed through the print preview.

#include "db/Query.h"
#include "reports/OrderSummary.h"
#include "widgets/TDataSource.h"

#include <QDate>
#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class TDataGrid;
class TRadioGroup;

// What the window works on: the catalogue types (captions in type order), the type to start with, the
// processing year and the date printed lists carry.
struct SummaryWindowContext {
    QStringList typeCaptions;
    int catalogueType = 0;
    int workYear = 0;
    QDate today;
};

class TdyhzFrm : public QDialog {
    Q_OBJECT
public:
    explicit TdyhzFrm(const SummaryWindowContext &context, QWidget *parent = nullptr);

    QComboBox *mllxBox = nullptr; // 目录类型
    QComboBox *kqBox = nullptr;   // 刊期: 全部 or one period
    TRadioGroup *bkzlBox = nullptr; // 全部 / 杂志 / 报纸
    TDataGrid *brow = nullptr;
    QLabel *lbmsg = nullptr;
    QPushButton *outBtn = nullptr;   // 导出...
    QPushButton *printBtn = nullptr; // 打印...
    QPushButton *closeBtn = nullptr;

    // The filter the controls stand for, and the lines and totals loaded for it.
    SummaryFilter filter() const;
    const QVector<SummaryLine> &lines() const { return m_lines; }
    const SummaryTotals &totals() const { return m_totals; }
    db::Query &rows() { return m_rows; }

public slots:
    void LoadSummary(); // runs after every change of a filter
    void outBtnClick();
    void printBtnClick();

private:
    void buildGrid();
    void showTotals();

    SummaryWindowContext m_context;
    db::Query m_rows;
    TDataSource m_source;
    QVector<SummaryLine> m_lines;
    SummaryTotals m_totals;
};

// Opens the summary window modally and frees it when it closes.
void ShowSummaryForm(const SummaryWindowContext &context);
