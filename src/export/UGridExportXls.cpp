// The spreadsheet half of TGridExport: starting or attaching to the application, preparing the
// workbook and writing one sheet with its footer row.

#include "export/UGridExport.h"

#include "export/AnsiText.h"
#include "export/DataSetWalk.h"
#include "export/ExportContent.h"
#include "export/ExportWindows.h"
#include "platform/Dialogs.h"
#include "sheet/Registry.h"
#include "widgets/TDataGrid.h"

#include <QFileInfo>
#include <QProgressBar>

namespace {

const QString kCellFont = QStringLiteral("宋体");
constexpr int kCellFontSize = 9;

void formatCell(const sheet::Range &cell)
{
    cell.Font().setName(kCellFont);
    cell.Font().setSize(kCellFontSize);
}

// Runs one step of a clean-up; the first failure is kept for the caller, later ones are dropped.
template <class Step>
void cleanupStep(std::exception_ptr &failure, Step step)
{
    try {
        step();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
}

} // namespace

bool TGridExport::ExportToXls(TDataGrid *Grid, bool AskFileName)
{
    DB_Grid = Grid;
    return ExportToXls(AskFileName);
}

bool TGridExport::ExportToXls(bool AskFileName)
{
    if (!chooseFileName(XlsFileName, AskFileName, QStringLiteral("xls"), QStringLiteral("Excel文件(*.Xls)|*.xls")))
        return false;
    checkGrid();
    return StartApplication() && PrepareWorkBook() && WriteSheet();
}

bool TGridExport::GetRunningOleObject(const QString &progId, std::shared_ptr<sheet::Application> &object)
{
    try {
        object = sheet::getRunningApplication(progId);
    } catch (...) {
        object.reset();
    }
    return object != nullptr;
}

bool TGridExport::CreateNewOleObject(const QString &progId, std::shared_ptr<sheet::Application> &object)
{
    try {
        object = sheet::createApplication(progId);
    } catch (...) {
        object.reset();
    }
    return object != nullptr;
}

bool TGridExport::StartApplication()
{
    if (Show_Progress) {
        CreateStartWindow(nullptr);
        ShowAndPaint(m_StartWindow);
    }
    const bool excel = excelWanted();
    const QString progId = excel ? QStringLiteral("Excel.Application") : QStringLiteral("Et.Application");
    std::shared_ptr<sheet::Application> app;
    m_attached = GetRunningOleObject(progId, app);
    if (!m_attached && !CreateNewOleObject(progId, app)) {
        freeStartWindow();
        throw GridExportError(excel ? QStringLiteral("启动Excel失败，可能没有安装Excel！")
                                    : QStringLiteral("启动WPS失败，可能没有安装金山表格系统！"));
    }
    m_XlsApp = app;
    if (m_attached)
        m_attachedAlerts = m_XlsApp->DisplayAlerts();
    if (Show_Progress) {
        if (m_StartWindow)
            m_StartWindow->hide();
        freeStartWindow();
        platform::ProcessMessages();
    }
    return true;
}

bool TGridExport::PrepareWorkBook()
{
    m_XlsBook.reset();
    try {
        try {
            if (!Yes) {
                m_XlsBook = m_XlsApp->Workbooks().Add();
                for (int n = m_XlsBook->Sheets().Count(); n >= 2; --n)
                    m_XlsBook->Sheets().Item(n).Delete();
            } else if (savedIsCurrent()) {
                m_XlsBook = m_XlsApp->Workbooks().adopt(m_saved->model, XlsFileName);
            } else {
                m_XlsBook = m_XlsApp->Workbooks().open(XlsFileName);
            }
        } catch (...) {
            throw GridExportError(QStringLiteral("新建Excel工作表出错！"));
        }

        if (!Title.isEmpty())
            m_XlsBook->Application()->ActiveWindow().setCaption(Title);

        if (!SheetName.isEmpty()) {
            // Sheet 1 is not compared: a clash with it shows when the new sheet is named.
            for (int s = 2; s <= m_XlsBook->Sheets().Count(); ++s)
                if (SheetName == m_XlsBook->Sheets().Item(s).Name())
                    throw GridExportError(QStringLiteral("工作表命名重复！"));
        }

        try {
            if (SheetCount > m_XlsBook->Sheets().Count())
                m_XlsBook->Sheets().add();
            if (SheetName.isEmpty())
                SheetName = m_XlsBook->ActiveSheet().Name();
            else
                m_XlsBook->ActiveSheet().setName(SheetName);
        } catch (...) {
            throw GridExportError(QStringLiteral("工作表命名错误！"));
        }
    } catch (...) {
        abandonWorkbook();
        throw;
    }
    return true;
}

// After a failed preparation: nothing is saved; a workbook the export made or opened is closed, and an
// application it started is ended. An application that was already running keeps running.
void TGridExport::abandonWorkbook()
{
    std::exception_ptr ignored;
    if (m_attached) {
        if (m_XlsBook)
            cleanupStep(ignored, [this] { m_XlsBook->Close(); });
        return;
    }
    cleanupStep(ignored, [this] { m_XlsApp->setVisible(false); });
    cleanupStep(ignored, [this] { m_XlsApp->setDisplayAlerts(false); });
    cleanupStep(ignored, [this] { m_XlsApp->Workbooks().Close(); });
    cleanupStep(ignored, [this] { m_XlsApp->Quit(); });
}

void TGridExport::rememberSaved()
{
    const QFileInfo file(XlsFileName);
    m_saved = SavedWorkbook{sheet::CopyWorkbook(m_XlsBook->model()), file.absoluteFilePath(), file.lastModified(),
                            file.size()};
}

bool TGridExport::savedIsCurrent() const
{
    if (!m_saved)
        return false;
    const QFileInfo file(XlsFileName);
    return file.exists() && file.absoluteFilePath() == m_saved->path && file.lastModified() == m_saved->modified
        && file.size() == m_saved->size;
}

bool TGridExport::WriteSheet()
{
    if (Show_Progress) {
        CreateProgressWindow(nullptr);
        ShowAndPaint(m_ProgressWindow);
    }
    std::exception_ptr failure;
    bool completed = false;
    try {
        writeSheetCells(completed);
    } catch (...) {
        failure = std::current_exception();
    }
    finishWorkbook(failure);
    if (Show_Progress)
        freeProgressWindow();
    if (failure)
        std::rethrow_exception(failure);
    return completed && !m_Stopped;
}

void TGridExport::writeSheetCells(bool &completed)
{
    const sheet::Worksheet ws = m_XlsBook->WorkSheets(SheetName);
    const QVector<TColumn> columns = DB_Grid->Columns();

    const QStringList titles = ExportTitles(columns);
    const QVector<int> widths = ExportSheetWidths(columns);
    for (int p = 1; p <= titles.size(); ++p) {
        sheet::Range cell = ws.Cells(1, p);
        formatCell(cell);
        cell.setValue(titles.at(p - 1));
        ws.Columns(p).setColumnWidth(widths.at(p - 1));
    }

    DataSetWalk walk(DB_Grid->dataSet());
    showProgressStart(walk);
    if (db::Query *query = walk.query())
        query->first();
    int r = 2;
    while (!walk.atEnd() && !m_Stopped) {
        if (Show_Progress && m_ProgressBar)
            m_ProgressBar->setValue(r);
        db::Query *query = walk.query();
        const QStringList row = ExportRow(columns, *query);
        for (int p = 1; p <= row.size(); ++p) {
            sheet::Range cell = ws.Cells(r, p);
            formatCell(cell);
            if (p == 1)
                cell.setNumberFormatLocal(QStringLiteral("@"));
            cell.setValue(row.at(p - 1));
        }
        ++r;
        query->next();
        emit recordExported(r - 2);
        platform::ProcessMessages();
    }
    writeFooterRow(ws, r);
    completed = true;
}

// The footer row under the last written record. The sums are the grid's running sums, which cover the
// whole data set whatever number of records was written.
void TGridExport::writeFooterRow(const sheet::Worksheet &ws, int row)
{
    if (!DB_Grid) // the grid went while window messages ran
        return;
    const QVector<ExportFooterCell> footer = ExportFooter(DB_Grid->Columns(), DB_Grid->SumList());
    for (int p = 1; p <= footer.size(); ++p) {
        const ExportFooterCell &content = footer.at(p - 1);
        if (content.kind == ExportFooterCell::Kind::Untouched)
            continue;
        sheet::Range cell = ws.Cells(row, p);
        formatCell(cell);
        if (content.kind == ExportFooterCell::Kind::Text)
            cell.setValue(content.text);
        else if (content.kind == ExportFooterCell::Kind::Whole)
            cell.setValue(content.whole);
    }
}

// Saves the workbook under XlsFileName and lets go of it, also after a failed write. An application the
// export started is hidden, emptied and ended; one that was running before keeps running with its other
// workbooks and gets its prompt setting back. Only a failed save is reported; closing cannot lose data.
void TGridExport::finishWorkbook(std::exception_ptr &failure)
{
    std::exception_ptr saveFailure;
    std::exception_ptr ignored;
    m_saved.reset();
    if (m_attached) {
        cleanupStep(ignored, [this] { m_XlsApp->setDisplayAlerts(false); });
        cleanupStep(saveFailure, [this] { m_XlsBook->SaveAs(XlsFileName); });
        if (!saveFailure)
            rememberSaved();
        cleanupStep(ignored, [this] { m_XlsBook->Close(); });
        cleanupStep(ignored, [this] { m_XlsApp->setDisplayAlerts(m_attachedAlerts); });
    } else {
        cleanupStep(ignored, [this] { m_XlsApp->setVisible(false); });
        cleanupStep(ignored, [this] { m_XlsApp->setDisplayAlerts(false); });
        cleanupStep(saveFailure, [this] { m_XlsBook->SaveAs(XlsFileName); });
        if (!saveFailure)
            rememberSaved();
        cleanupStep(ignored, [this] { m_XlsApp->ActiveWorkBook().Close(); });
        cleanupStep(ignored, [this] { m_XlsApp->Workbooks().Close(); });
        cleanupStep(ignored, [this] { m_XlsApp->Quit(); });
    }
    if (!failure)
        failure = saveFailure;
}
