#include "export/UGridExport.h"

#include "export/AnsiText.h"
#include "export/DataSetWalk.h"
#include "export/ExportContent.h"
#include "export/ExportWindows.h"
#include "platform/Dialogs.h"
#include "widgets/TDataGrid.h"

#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStringList>

char SpaceMarkChar(TSpaceMark mark)
{
    switch (mark) {
    case TSpaceMark::csComma: return ',';
    case TSpaceMark::csSemicolon: return ';';
    case TSpaceMark::csTab: return '\t';
    case TSpaceMark::csBlank: return ' ';
    case TSpaceMark::csEnter: return '\r';
    }
    return '\t';
}

TGridExport::TGridExport(QObject *owner) : QObject(owner) {}

// Drops the references to the application and the workbook; it does not ask the application to quit.
TGridExport::~TGridExport()
{
    freeStartWindow();
    freeProgressWindow();
}

void TGridExport::SetSpaceMark(TSpaceMark mark)
{
    m_SpaceMark = mark;
    m_Separator = SpaceMarkChar(mark);
}

void TGridExport::StopClick(QObject *)
{
    m_Stopped = true;
}

bool TGridExport::chooseFileName(QString &fileName, bool askFileName, const QString &defaultExt,
                                 const QString &filter)
{
    if (askFileName)
        fileName.clear();
    if (fileName.isEmpty()) {
        platform::FileDialogRequest request;
        request.title = QStringLiteral("请选择输出文件名");
        request.defaultExt = defaultExt;
        request.filter = filter;
        request.overwritePrompt = true;
        request.purpose = QStringLiteral("gridExport");
        const QString chosen = platform::SaveFileName(nullptr, request);
        if (!chosen.isEmpty())
            fileName = chosen;
    }
    return !fileName.isEmpty();
}

void TGridExport::checkGrid() const
{
    if (!DB_Grid)
        throw GridExportError(QStringLiteral("请输入DBGrid名称"));
}

bool TGridExport::excelWanted() const
{
    return Outtype.toUpper() == QLatin1String("XLS");
}

void TGridExport::CreateStartWindow(QWidget *owner)
{
    if (m_StartWindow)
        return;
    try {
        m_StartWindow = BuildStartWindow(owner, excelWanted());
    } catch (...) {
        // the notice is a courtesy; the export goes on without it
    }
}

void TGridExport::CreateProgressWindow(QWidget *owner)
{
    if (m_ProgressWindow)
        return;
    try {
        const db::Query *query = DB_Grid ? DB_Grid->dataSet() : nullptr;
        const ProgressWindowParts parts = BuildProgressWindow(owner, query ? query->recordCount() : 0);
        m_ProgressWindow = parts.window;
        m_ProgressBar = parts.bar;
        m_StopButton = parts.stopButton;
        connect(m_StopButton, &QPushButton::clicked, this, [this] { StopClick(m_StopButton); });
    } catch (...) {
        // the export goes on without a progress window
    }
}

void TGridExport::freeStartWindow()
{
    delete m_StartWindow.data();
}

void TGridExport::freeProgressWindow()
{
    if (m_StopButton)
        disconnect(m_StopButton, nullptr, this, nullptr);
    delete m_ProgressWindow.data();
}

// Before the first record: the bar's range and the stop button.
void TGridExport::showProgressStart(DataSetWalk &walk)
{
    if (!Show_Progress)
        return;
    if (db::Query *query = walk.query())
        query->last();
    if (m_ProgressWindow)
        m_ProgressWindow->repaint();
    if (m_ProgressBar)
        m_ProgressBar->setMaximum(walk.recordCount());
    if (m_StopButton)
        m_StopButton->setEnabled(true);
}

bool TGridExport::ExportToText(TDataGrid *Grid, bool AskFileName)
{
    DB_Grid = Grid;
    return ExportToText(AskFileName);
}

bool TGridExport::ExportToText(bool AskFileName)
{
    if (!chooseFileName(TxtFileName, AskFileName, QStringLiteral("txt"), QStringLiteral("文本文件(*.Txt)|*.txt")))
        return false;
    checkGrid();

    QStringList lines;
    const auto cleanup = qScopeGuard([this] {
        if (Show_Progress)
            freeProgressWindow();
    });
    if (Show_Progress) {
        CreateProgressWindow(nullptr);
        if (m_ProgressWindow)
            m_ProgressWindow->show();
    }

    const QVector<TColumn> columns = DB_Grid->Columns();
    const QChar separator = QLatin1Char(m_Separator);
    lines << ExportTitles(columns).join(separator);
    {
        DataSetWalk walk(DB_Grid->dataSet());
        showProgressStart(walk);
        if (db::Query *query = walk.query())
            query->first();
        int n = 2;
        while (!walk.atEnd() && !m_Stopped) {
            if (Show_Progress && m_ProgressBar)
                m_ProgressBar->setValue(n - 2);
            db::Query *query = walk.query();
            lines << ExportRow(columns, *query).join(separator);
            ++n;
            query->next();
            emit recordExported(n - 2);
            platform::ProcessMessages();
        }
    }
    WriteAnsiLines(TxtFileName, lines);
    return !m_Stopped;
}
