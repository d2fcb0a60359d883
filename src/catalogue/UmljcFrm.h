#pragma once
// The catalogue check window (caption "目录检查"): every entry of one catalogue type with a problem and
// what the problem is, errors before warnings. Clicking a column title sorts by that column (问题 by
// the kind of problem, 报刊代号 in the catalogue's order); a double click asks the main window to select
// the entry in its catalogue; the list exports into a spreadsheet or text file.

#include "catalogue/CatalogueCheck.h"
#include "db/Query.h"
#include "widgets/TDataSource.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TDataGrid;

class TmljcFrm : public QDialog {
    Q_OBJECT
public:
    // The catalogue type to check and the caption of its tab.
    TmljcFrm(int catalogueType, const QString &typeCaption, QWidget *parent = nullptr);

    QLabel *lbmsg = nullptr;
    TDataGrid *brow = nullptr;
    QPushButton *checkBtn = nullptr; // 重新检查
    QPushButton *outBtn = nullptr;   // 导出...
    QPushButton *closeBtn = nullptr;

    int catalogueType() const { return m_type; }
    const QVector<CheckedEntry> &entries() const { return m_entries; }
    const QVector<CheckFinding> &findings() const { return m_findings; }
    db::Query &rows() { return m_rows; }

    // Sorts the list by a grid column: 0 报刊代号 (catalogue order), the 问题 column by the kind of
    // problem, any other by its text; ties keep the catalogue order.
    void sortByColumn(int column);

signals:
    // The clerk double-clicked a finding: select this entry in the catalogue of this type.
    void entryChosen(int catalogueType, const QString &bkdh);

public slots:
    void RunCheck();
    void outBtnClick();
    void browDblClick();

private:
    void buildGrid();
    void fillRows();

    int m_type;
    QString m_typeCaption;
    QVector<CheckedEntry> m_entries;
    QVector<CheckFinding> m_findings;
    QVector<int> m_order; // findings in the order shown
    db::Query m_rows;
    TDataSource m_source;
};
