#include "catalogue/UbkmlFrm.h"

#include "catalogue/CatalogueCheck.h"
#include "catalogue/CatalogueImport.h"
#include "catalogue/CentreOnScreen.h"
#include "catalogue/SearchData.h"
#include "data/Backup.h"
#include "catalogue/BackupGuard.h"
#include "data/Udm.h"
#include "platform/Application.h"
#include "platform/UserAction.h"
#include "sheet/Registry.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TRadioGroup.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include <exception>

const QString ImportFileFilter = QStringLiteral(
    "Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx|Wps文件(*.Et)|*.et|OpenDocument文件(*.Ods)|*.ods|"
    "文本文件(*.Csv)|*.csv");

namespace {

const QString ProgId = QStringLiteral("excel.application");
constexpr qint64 LabelRefreshMs = 25;

void quitQuietly(const std::shared_ptr<sheet::Application> &app)
{
    QuitImportApplication(app);
}

// The cells of columns 1 to `columns` of one row.
QVector<sheet::CellValue> readRow(const sheet::Worksheet &sheet, int row, int columns)
{
    QVector<sheet::CellValue> cells;
    cells.reserve(columns);
    for (int c = 1; c <= columns; ++c)
        cells << sheet.Cells(row, c).Value();
    return cells;
}

// Per-row commits are not flushed to disk one by one while an import runs. finish() flushes them all
// before the import may say it is done (a failure to flush is the import's failure); leaving the
// scope otherwise flushes what it can.
class BulkWritingScope {
public:
    BulkWritingScope()
    {
        if (dm)
            m_opens = dm->ADOConnection.opens();
        if (dm && dm->ADOConnection.connected())
            try {
                dm->ADOConnection.setBulkWriting(true);
            } catch (const db::DbError &) {
            }
    }
    ~BulkWritingScope()
    {
        if (dm && dm->ADOConnection.connected() && dm->ADOConnection.bulkWriting())
            try {
                dm->ADOConnection.setBulkWriting(false);
            } catch (const db::DbError &) {
            }
    }
    void finish()
    {
        if (!dm)
            return;
        // Entries written before a lost link were not waited for: a server that went down with them
        // may not have them.
        if (dm->ADOConnection.opens() != m_opens)
            throw db::DbError(QStringLiteral("导入期间与数据库服务器的连接曾中断,此前导入的条目可能未全部写入,"
                                             "请重新导入该文件"));
        if (dm->ADOConnection.bulkWriting())
            dm->ADOConnection.setBulkWriting(false);
    }
    BulkWritingScope(const BulkWritingScope &) = delete;
    BulkWritingScope &operator=(const BulkWritingScope &) = delete;

private:
    int m_opens = 0;
};

QPushButton *pictureButton(const QString &caption, QStyle::StandardPixmap picture, QWidget *parent)
{
    auto *button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TbkmlFrm::TbkmlFrm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("bkmlFrm"));
    setWindowTitle(QStringLiteral("报刊目录导入"));
    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(13);
    setFont(songti);
    setFixedSize(627, 310);
    buildControls();
    CentreOnScreen(this);

    platform::ConnectAction(BitBtn1, &QPushButton::clicked, this, &TbkmlFrm::BitBtn1Click);
    platform::ConnectAction(BitBtn2, &QPushButton::clicked, this, &TbkmlFrm::BitBtn2Click);
    platform::ConnectAction(stopBtn, &QPushButton::clicked, this, &TbkmlFrm::stopBtnClick);
}

TbkmlFrm::~TbkmlFrm()
{
    // The spreadsheet application ends with its window, whichever way the window went.
    if (ImportApp) {
        quitQuietly(ImportApp);
        ImportApp.reset();
        ImportAppOpen = false;
    }
}

void TbkmlFrm::buildControls()
{
    // The four 3-pixel margins frame the client panel.
    Panel1 = new TFlatPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(3, 3, 621, 304);

    Pansel = new TFlatPanel(Panel1);
    Pansel->setObjectName(QStringLiteral("Pansel"));
    Pansel->setGeometry(0, 0, 621, 49);

    mllxBox = new TRadioGroup(Pansel);
    mllxBox->setObjectName(QStringLiteral("mllxBox"));
    mllxBox->setGeometry(4, 4, 343, 41);
    mllxBox->setColumns(4);
    mllxBox->setItems({QStringLiteral("邮发目录"), QStringLiteral("非邮发"), QStringLiteral("人大资料"),
                       QStringLiteral("图书目录")});
    mllxBox->setItemIndex(-1);

    BitBtn1 = pictureButton(QStringLiteral("选择文件"), QStyle::SP_DialogOpenButton, Pansel);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(358, 11, 92, 27);

    CBox = new QComboBox(Pansel);
    CBox->setObjectName(QStringLiteral("CBox"));
    CBox->setGeometry(460, 13, 113, 23);
    CBox->setEnabled(false);

    PBar = new QProgressBar(Panel1);
    PBar->setObjectName(QStringLiteral("PBar"));
    PBar->setGeometry(86, 112, 449, 17);
    PBar->setTextVisible(false);
    PBar->hide();

    lbmsg = new QLabel(QStringLiteral("    "), Panel1);
    lbmsg->setObjectName(QStringLiteral("lbmsg"));
    lbmsg->setGeometry(86, 136, 449, 18);

    fileLabel = new QLabel(Panel1);
    fileLabel->setObjectName(QStringLiteral("fileLabel"));
    fileLabel->setGeometry(86, 72, 449, 18);

    FlatPanel2 = new TFlatPanel(Panel1);
    FlatPanel2->setObjectName(QStringLiteral("FlatPanel2"));
    FlatPanel2->setGeometry(6, 250, 609, 1);

    BitBtn2 = pictureButton(QStringLiteral("开始导入"), QStyle::SP_DialogApplyButton, Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(408, 263, 96, 29);

    stopBtn = pictureButton(QStringLiteral("停止"), QStyle::SP_BrowserStop, Panel1);
    stopBtn->setObjectName(QStringLiteral("stopBtn"));
    stopBtn->setGeometry(514, 263, 96, 29);
}

void TbkmlFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        platform::RunAction([this] { FormShow(); });
    }
}

void TbkmlFrm::FormShow()
{
    db::Query &query = dm->ADOQuery1;
    if (OpenQuery(QStringLiteral("select * from bkmllx  order by id"), query) > 0) {
        QStringList names;
        for (query.first(); !query.eof(); query.next())
            names << query.fieldText(QStringLiteral("mc"));
        mllxBox->setItems(names);
        mllxBox->setItemIndex(-1);
        fitTypeColumns();
        query.close();
        query.clearSql();
    }
}

void TbkmlFrm::fitTypeColumns()
{
    // Four types side by side while their names fit; longer names (those of the database are longer
    // than the design-time ones) go into two rows of two.
    const int cell = (mllxBox->width() - 8) / 4;
    bool fits = true;
    for (int i = 0; i < mllxBox->Items().size(); ++i)
        fits = fits && mllxBox->button(i)->sizeHint().width() <= cell;
    mllxBox->setColumns(fits ? 4 : 2);
}

std::shared_ptr<sheet::Application> OpenImportWorkbook(const QString &fileName, QStringList *sheets)
{
    std::shared_ptr<sheet::Application> app = sheet::createApplication(ProgId);
    if (!app)
        throw sheet::SheetError(QStringLiteral("无法启动电子表格程序") + ProgId);
    try {
        app->setVisible(false);
        app->Workbooks().open(fileName);
        sheets->clear();
        const int count = app->WorkSheets().Count();
        for (int i = 1; i <= count; ++i)
            *sheets << app->WorkSheets(i).Name();
    } catch (...) {
        QuitImportApplication(app);
        throw;
    }
    return app;
}

void QuitImportApplication(const std::shared_ptr<sheet::Application> &app)
{
    if (!app || app->hasQuit())
        return;
    try {
        app->Quit();
    } catch (const std::exception &) {
    }
}

void TbkmlFrm::showFileName(const QString &fileName)
{
    const QFileInfo info(fileName);
    fileLabel->setText(fileName.isEmpty() ? QString() : QStringLiteral("导入文件：") + info.fileName());
    fileLabel->setToolTip(fileName.isEmpty() ? QString() : QDir::toNativeSeparators(info.absoluteFilePath()));
}

void TbkmlFrm::BitBtn1Click()
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("请选择输出文件名");
    request.defaultExt = QStringLiteral("xls");
    request.filter = ImportFileFilter;
    request.purpose = QStringLiteral("import");
    const QString fileName = platform::OpenFileName(this, request);
    if (fileName.isEmpty()) {
        platform::ShowException(QStringLiteral("没有选择导入的文件"));
        return;
    }
    if (!QFileInfo::exists(fileName)) {
        platform::MessageBox(this, QStringLiteral("要导入的文件不存在..."), QStringLiteral("信息"),
                             platform::Icon::Warning);
        return;
    }
    // The new file is opened in an application of its own; only once it is open does it replace the
    // application of an earlier file, so a file that cannot be opened leaves the earlier one usable.
    std::shared_ptr<sheet::Application> app;
    try {
        QStringList sheets;
        app = OpenImportWorkbook(fileName, &sheets);
        if (ImportApp != app)
            quitQuietly(ImportApp);
        ImportApp = app;
        ImportAppOpen = true;
        CBox->clear();
        CBox->addItems(sheets);
        showFileName(fileName);
        if (CBox->count() == 1) {
            CBox->setCurrentIndex(0);
            CBox->setEnabled(false);
        } else {
            CBox->setCurrentIndex(-1);
            CBox->setEnabled(true);
        }
    } catch (const std::exception &error) {
        if (app != ImportApp)
            quitQuietly(app);
        platform::ShowError(this, QStringLiteral("打开文件出错->") + platform::ExceptionMessage(error));
    }
}

void TbkmlFrm::BitBtn2Click()
{
    if (mllxBox->ItemIndex() < 0) {
        platform::ShowError(this, QStringLiteral("请要导入的目录类型..."));
        return;
    }
    if (CBox->count() == 0) {
        platform::ShowError(this, QStringLiteral("请选择要导入的Excel文件..."));
        return;
    }
    if (CBox->currentIndex() < 0) {
        platform::ShowError(this, QStringLiteral("请选择要导入的表..."));
        return;
    }
    // An import deletes the entries it replaces: a copy of the database comes first.
    if (!BackupBeforeDeleting(this, BackupReason::CatalogueImport))
        return;

    ImportStopRequested = false;
    m_importing = true;
    m_currentRow = 0;
    m_stoppedAtRow = 0;
    m_importedRows = 0;
    Pansel->setEnabled(false);
    stopBtn->setEnabled(true);
    BitBtn2->setEnabled(false);
    platform::ProcessMessages();
    PBar->show();

    QString failure;
    try {
        importRows();
    } catch (const std::exception &error) {
        failure = platform::ExceptionMessage(error);
        m_stoppedAtRow = qMax(m_currentRow, 1);
    }
    // The imported titles get what the search needs; should that fail, the next login adds it.
    RefreshSearchData();
    cleanUp(failure);
    m_importing = false;
    if (m_closeAfterImport)
        close();
}

void TbkmlFrm::importRows()
{
    if (!ImportApp)
        throw sheet::SheetError(QStringLiteral("没有打开的工作簿"));
    BulkWritingScope bulk;
    const QString table = ImportTargetTable(mllxBox->ItemIndex());
    const sheet::Worksheet sheet = ImportApp->WorkSheets(CBox->currentText());

    const int columns = sheet.UsedRange().Columns().Count();
    QStringList headers;
    for (int c = 1; c <= columns; ++c)
        headers << sheet.Cells(1, c).Value().toText();
    const int rows = sheet.UsedRange().Rows().Count();
    PBar->setRange(0, rows - 1);
    PBar->setValue(0);
    const QString head = ImportInsertHead(table, headers);
    const int badHeader = FirstBadHeader(headers);
    const DuplicateHeader duplicate = FirstDuplicateHeader(headers);

    QElapsedTimer labelShown;
    for (int r = 2; r <= rows; ++r) {
        // The progress label shows the first two columns; each cell is read once. Painting the label
        // costs more than writing a row, so it shows the current row whenever a screen refresh is due,
        // not for every row of a fast import.
        const QVector<sheet::CellValue> cells = readRow(sheet, r, qMax(columns, 2));
        if (!labelShown.isValid() || labelShown.elapsed() >= LabelRefreshMs) {
            lbmsg->setText(cells.at(0).toText() + QLatin1Char('/') + cells.at(1).toText());
            lbmsg->repaint();
            labelShown.start();
        }
        PBar->setValue(r - 1);
        m_currentRow = r;
        if (ImportStopRequested)
            break;
        if (badHeader >= 0) {
            m_stoppedAtRow = 1;
            platform::ShowError(this, BadHeaderMessage(badHeader + 1, headers.at(badHeader)));
            break;
        }
        if (duplicate.first >= 0) {
            // Both columns would be written, and the code column's delete would take other titles.
            m_stoppedAtRow = 1;
            platform::ShowError(this, DuplicateHeaderMessage(duplicate.first + 1, headers.at(duplicate.first),
                                                             duplicate.second + 1, headers.at(duplicate.second)));
            break;
        }
        const ImportRowStatements row = BuildImportRow(table, head, headers, cells.mid(0, columns), mllxBox->ItemIndex());
        if (row.badColumn >= 0) {
            m_stoppedAtRow = r;
            platform::ShowError(this, CellFaultMessage(row.fault, r, row.badColumn + 1, headers.at(row.badColumn),
                                                       CellTextForMessage(cells.at(row.badColumn))));
            break;
        }
        if (!ExecSqlBatch(row.statements)) {
            m_stoppedAtRow = r;
            platform::ShowError(this, GP.LastError);
            break;
        }
        ++m_importedRows;
        // Twice, so that a click on 停止 is seen before the next row.
        platform::ProcessMessages();
        platform::ProcessMessages();
    }
    bulk.finish();
}

void TbkmlFrm::cleanUp(QString failure)
{
    // The application is quit and released even when one of its steps fails; the window's controls
    // are restored in any case.
    if (ImportApp && !ImportApp->hasQuit()) {
        try {
            ImportApp->setDisplayAlerts(false);
            if (ImportApp->Workbooks().Count() > 0)
                ImportApp->ActiveWorkBook().Close();
            ImportApp->Workbooks().Close();
            ImportApp->Quit();
        } catch (const std::exception &error) {
            if (failure.isEmpty())
                failure = platform::ExceptionMessage(error);
            quitQuietly(ImportApp);
        }
    }
    ImportApp.reset();
    ImportAppOpen = false;
    CBox->clear();
    CBox->setCurrentIndex(-1);
    showFileName(QString());
    stopBtn->setEnabled(false);
    Pansel->setEnabled(true);
    BitBtn2->setEnabled(true);
    // Only an import that went through to its end (or to the clerk's 停止) is reported as finished. The
    // check of the imported type says how many entries will trouble the desk.
    const QString checkNote = ImportCheckNote(mllxBox->ItemIndex());
    if (m_stoppedAtRow > 0)
        platform::ShowHint(this, ImportStoppedMessage(m_stoppedAtRow, m_importedRows) + checkNote);
    else
        platform::ShowInfo(this, QStringLiteral("导入目录完毕...") + checkNote);
    PBar->hide();
    lbmsg->clear();
    if (!failure.isEmpty())
        platform::ShowException(failure);
}

void TbkmlFrm::stopBtnClick()
{
    ImportStopRequested = true;
    platform::ProcessMessages();
}

void TbkmlFrm::FormCloseQuery()
{
    if (!ImportAppOpen || !ImportApp) {
        ImportAppOpen = false;
        return;
    }
    try {
        ImportApp->Workbooks().Close();
        ImportApp->Quit();
        ImportApp.reset();
        ImportAppOpen = false;
        platform::MessageBox(this, QStringLiteral("ok"), platform::kApplicationTitle, platform::Icon::None);
    } catch (const std::exception &error) {
        ImportApp.reset();
        ImportAppOpen = false;
        platform::MessageBox(this, platform::ExceptionMessage(error), platform::kApplicationTitle,
                             platform::Icon::None);
    }
}

void TbkmlFrm::closeEvent(QCloseEvent *event)
{
    // Closing during an import stops it at the next row; the window closes once the clean-up is done.
    if (m_importing) {
        ImportStopRequested = true;
        m_closeAfterImport = true;
        event->ignore();
        return;
    }
    FormCloseQuery();
    QDialog::closeEvent(event);
}

void TbkmlFrm::keyPressEvent(QKeyEvent *event)
{
    // Esc closes the window the same way as its close box.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}
