#pragma once
// TGridExport: writes what a data grid shows to a file — the titles of its visible columns and one
// line or row per record of its data set — either as a delimited text file or as one sheet of a
// spreadsheet file made through a spreadsheet application (Excel or WPS), with the grid's footer row.
// Successive spreadsheet exports can build one file of several sheets:
//
//     TGridExport exporter;
//     exporter.Outtype = "XLS";
//     exporter.XlsFileName = path;
//     for sheet k = 1, 2, ...: point the grid at the sheet's rows, then
//         exporter.SheetCount = k; exporter.Yes = k > 1; exporter.SheetName = name;
//         exporter.ExportToXls(grid, false);
//
// What is written (titles, widths, rows, the footer and its sums) is computed by ExportContent.h from
// the grid's columns, its query and its running sums; this class is the adapter that adds the file
// choice, the start-up notice, the progress window with its stop, and the spreadsheet application.
//
// Failures raise GridExportError (or the spreadsheet layer's SheetError) with a text for the user; the
// component shows no message box. While it works it shows a start-up notice and a progress window with
// a 停止 button (unless Show_Progress is false) and lets window messages run after every record.

#include "export/ExportError.h"
#include "sheet/Spreadsheet.h"
#include "widgets/TDataGrid.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class DataSetWalk;

enum class TSpaceMark {
    csComma,     // ","
    csSemicolon, // ";"
    csTab,       // horizontal tab
    csBlank,     // space
    csEnter,     // carriage return alone
};

// The separator character of a space mark.
char SpaceMarkChar(TSpaceMark mark);

class TGridExport : public QObject {
    Q_OBJECT
public:
    explicit TGridExport(QObject *owner = nullptr);
    ~TGridExport() override;

    // Properties.
    QPointer<TDataGrid> DB_Grid;   // not owned
    bool Show_Progress = true;
    QString TxtFileName;
    QString XlsFileName;           // also the file reopened when Yes is true
    QString Title;                 // caption of the application's active window when not empty
    QString SheetName;             // empty: read back from the active sheet
    qint32 SheetCount = 0;         // 1-based number of the sheet being written
    bool Yes = false;              // false: a new workbook; true: reopen XlsFileName and add the sheet
    QString Outtype;               // "XLS" in any letter case: Excel; anything else: WPS
    TSpaceMark SpaceMark() const { return m_SpaceMark; }
    void SetSpaceMark(TSpaceMark mark);

    // True when the file was written and the user did not stop. A cancelled file choice gives false.
    bool ExportToText(bool AskFileName);
    bool ExportToText(TDataGrid *Grid, bool AskFileName);
    bool ExportToXls(bool AskFileName);
    bool ExportToXls(TDataGrid *Grid, bool AskFileName);

    // Click handler of the stop button.
    void StopClick(QObject *Sender);

    // State, for the callers and the tests.
    char Separator() const { return m_Separator; }
    bool Stopped() const { return m_Stopped; }
    std::shared_ptr<sheet::Application> XlsApp() const { return m_XlsApp; }
    QWidget *ProgressWindow() const { return m_ProgressWindow.data(); }
    QWidget *StartWindow() const { return m_StartWindow.data(); }
    QProgressBar *ProgressBar() const { return m_ProgressBar.data(); }
    QPushButton *StopButton() const { return m_StopButton.data(); }

signals:
    // After each record written, before window messages run (count of records written so far).
    void recordExported(int written);

private:
    bool StartApplication();
    bool PrepareWorkBook();
    bool WriteSheet();
    bool GetRunningOleObject(const QString &progId, std::shared_ptr<sheet::Application> &object);
    bool CreateNewOleObject(const QString &progId, std::shared_ptr<sheet::Application> &object);
    void CreateStartWindow(QWidget *owner);
    void CreateProgressWindow(QWidget *owner);

    bool chooseFileName(QString &fileName, bool askFileName, const QString &defaultExt, const QString &filter);
    void checkGrid() const;
    bool excelWanted() const;
    void freeStartWindow();
    void freeProgressWindow();
    void showProgressStart(DataSetWalk &walk);
    void writeSheetCells(bool &completed);
    void writeFooterRow(const sheet::Worksheet &ws, int row);
    void finishWorkbook(std::exception_ptr &failure);
    void abandonWorkbook();
    void rememberSaved();
    bool savedIsCurrent() const;

    TSpaceMark m_SpaceMark = TSpaceMark::csTab;
    char m_Separator = '\t';
    std::shared_ptr<sheet::Application> m_XlsApp;
    std::optional<sheet::Workbook> m_XlsBook;
    QPointer<QWidget> m_ProgressWindow;
    QPointer<QWidget> m_StartWindow;
    QPointer<QProgressBar> m_ProgressBar;
    QPointer<QPushButton> m_StopButton;
    bool m_Stopped = false;
    bool m_attached = false;        // XlsApp was running before this export found it
    bool m_attachedAlerts = true;   // its DisplayAlerts, put back when the export is done with it
    // The workbook this exporter last saved, so that the next sheet of the same file is added to it
    // without reading back the file just written (used while the file is unchanged since).
    struct SavedWorkbook {
        sheet::WorkbookModel model;
        QString path;
        QDateTime modified;
        qint64 size = -1;
    };
    std::optional<SavedWorkbook> m_saved;
};
