#include "catalogue/IrregularIssueWindow.h"

#include "calendar/IrregularIssueCheck.h"
#include "calendar/RegisterEntry.h"
#include "catalogue/CentreOnScreen.h"
#include "catalogue/RegisterImport.h"
#include "catalogue/UbkmlFrm.h"
#include "data/Udm.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "widgets/TDataGrid.h"
#include "widgets/TFlatPanel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <exception>

namespace {

constexpr qint64 LabelRefreshMs = 25;

QPushButton *pictureButton(const QString &caption, QStyle::StandardPixmap picture, QWidget *parent)
{
    auto *button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setAutoDefault(false);
    button->setMinimumHeight(25);
    return button;
}

QLineEdit *dateEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setPlaceholderText(QStringLiteral("如 2-13"));
    edit->setMaxLength(20);
    return edit;
}


} // namespace

IrregularIssueWindow::IrregularIssueWindow(const RegisterWindowContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      m_context(context)
{
    setObjectName(QStringLiteral("IrregularIssueWindow"));
    setWindowTitle(QStringLiteral("停刊、休刊、合刊登记"));
    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(12);
    setFont(songti);
    setFixedSize(620, 480);
    buildControls();
    CentreOnScreen(this);

    platform::ConnectAction(addBtn, &QPushButton::clicked, this, &IrregularIssueWindow::addClick);
    platform::ConnectAction(deleteBtn, &QPushButton::clicked, this, &IrregularIssueWindow::deleteClick);
    platform::ConnectAction(fileBtn, &QPushButton::clicked, this, &IrregularIssueWindow::fileClick);
    platform::ConnectAction(importBtn, &QPushButton::clicked, this, &IrregularIssueWindow::importClick);
    platform::ConnectAction(stopBtn, &QPushButton::clicked, this, &IrregularIssueWindow::stopClick);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::close);
    reload();
}

IrregularIssueWindow::~IrregularIssueWindow()
{
    source.setDataSet(nullptr);
    entries.close();
    QuitImportApplication(m_app);
}

void IrregularIssueWindow::buildControls()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);

    titleLabel = new QLabel(this);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    titleLabel->setText(QStringLiteral("%1  报刊代号：%2  报刊名称：%3  处理年度：%4")
                            .arg(m_context.typeCaption, m_context.title.code, m_context.titleName)
                            .arg(m_context.year));
    column->addWidget(titleLabel);

    grid = new TDataGrid(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setDataSource(&source);
    grid->setColumns({
        MakeColumn(QStringLiteral("lb"), QStringLiteral("类别"), 60, Qt::AlignHCenter),
        MakeColumn(QStringLiteral("qr"), QStringLiteral("起日"), 90, Qt::AlignHCenter),
        MakeColumn(QStringLiteral("zr"), QStringLiteral("止日"), 90, Qt::AlignHCenter),
        MakeColumn(QStringLiteral("sm"), QStringLiteral("说明"), 320),
    });
    column->addWidget(grid, 1);

    auto *entryPanel = new TFlatGroupBox(QStringLiteral("登记"), this);
    auto *entryRow = new QGridLayout(entryPanel);
    entryRow->setContentsMargins(8, 14, 8, 6);
    kindBox = new QComboBox(entryPanel);
    kindBox->setObjectName(QStringLiteral("kindBox"));
    kindBox->addItems(IrregularIssueKinds());
    firstEdit = dateEdit(entryPanel);
    firstEdit->setObjectName(QStringLiteral("firstEdit"));
    lastEdit = dateEdit(entryPanel);
    lastEdit->setObjectName(QStringLiteral("lastEdit"));
    remarkEdit = new QLineEdit(entryPanel);
    remarkEdit->setObjectName(QStringLiteral("remarkEdit"));
    remarkEdit->setMaxLength(100);
    addBtn = pictureButton(QStringLiteral("添加"), QStyle::SP_FileDialogNewFolder, entryPanel);
    addBtn->setObjectName(QStringLiteral("addBtn"));
    deleteBtn = pictureButton(QStringLiteral("删除"), QStyle::SP_TrashIcon, entryPanel);
    deleteBtn->setObjectName(QStringLiteral("deleteBtn"));
    entryRow->addWidget(new QLabel(QStringLiteral("类别"), entryPanel), 0, 0);
    entryRow->addWidget(kindBox, 0, 1);
    entryRow->addWidget(new QLabel(QStringLiteral("起日"), entryPanel), 0, 2);
    entryRow->addWidget(firstEdit, 0, 3);
    entryRow->addWidget(new QLabel(QStringLiteral("止日"), entryPanel), 0, 4);
    entryRow->addWidget(lastEdit, 0, 5);
    entryRow->addWidget(new QLabel(QStringLiteral("说明"), entryPanel), 1, 0);
    entryRow->addWidget(remarkEdit, 1, 1, 1, 5);
    entryRow->addWidget(addBtn, 0, 6);
    entryRow->addWidget(deleteBtn, 1, 6);
    column->addWidget(entryPanel);

    auto *importPanel = new TFlatGroupBox(QStringLiteral("从电子表格导入(列:报刊代号、类别、起日、止日、说明)"), this);
    auto *importColumn = new QVBoxLayout(importPanel);
    importColumn->setContentsMargins(8, 14, 8, 6);
    auto *importRow = new QHBoxLayout;
    fileBtn = pictureButton(QStringLiteral("选择文件"), QStyle::SP_DialogOpenButton, importPanel);
    fileBtn->setObjectName(QStringLiteral("fileBtn"));
    sheetBox = new QComboBox(importPanel);
    sheetBox->setObjectName(QStringLiteral("sheetBox"));
    sheetBox->setMinimumWidth(120);
    sheetBox->setEnabled(false);
    importBtn = pictureButton(QStringLiteral("开始导入"), QStyle::SP_DialogApplyButton, importPanel);
    importBtn->setObjectName(QStringLiteral("importBtn"));
    stopBtn = pictureButton(QStringLiteral("停止"), QStyle::SP_BrowserStop, importPanel);
    stopBtn->setObjectName(QStringLiteral("stopBtn"));
    stopBtn->setEnabled(false);
    importRow->addWidget(fileBtn);
    importRow->addWidget(sheetBox);
    importRow->addStretch(1);
    importRow->addWidget(importBtn);
    importRow->addWidget(stopBtn);
    importColumn->addLayout(importRow);
    progress = new QProgressBar(importPanel);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setTextVisible(false);
    progress->setFixedHeight(12);
    progress->hide();
    importColumn->addWidget(progress);
    importMsg = new QLabel(importPanel);
    importMsg->setObjectName(QStringLiteral("importMsg"));
    importColumn->addWidget(importMsg);
    column->addWidget(importPanel);

    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeBtn = pictureButton(QStringLiteral("关闭"), QStyle::SP_DialogCloseButton, this);
    closeBtn->setObjectName(QStringLiteral("closeBtn"));
    closeRow->addWidget(closeBtn);
    column->addLayout(closeRow);
}

void IrregularIssueWindow::reload()
{
    source.setDataSet(nullptr);
    const int n = OpenQuery(IrregularIssuesStatement(m_context.title, m_context.year), entries);
    if (n < 0)
        platform::ShowDbError(this, GP.LastError);
    source.setDataSet(&entries);
    deleteBtn->setEnabled(n > 0);
}

void IrregularIssueWindow::addClick()
{
    const QString firstText = firstEdit->text().trimmed();
    const QString lastText = lastEdit->text().trimmed().isEmpty() ? firstText : lastEdit->text().trimmed();
    const IrregularIssue entry{kindBox->currentText(), ReadRegisterDate(firstText, m_context.year),
                               ReadRegisterDate(lastText, m_context.year), remarkEdit->text().trimmed()};
    if (firstText.isEmpty()) {
        platform::ShowHint(this, QStringLiteral("请输入起日..."));
        firstEdit->setFocus();
        return;
    }
    if (!entry.first.isValid() || !entry.last.isValid()) {
        const bool firstBad = !entry.first.isValid();
        platform::ShowHint(this, QStringLiteral("%1“%2”不是有效的日期...")
                                     .arg(firstBad ? QStringLiteral("起日") : QStringLiteral("止日"),
                                          firstBad ? firstText : lastText));
        (firstBad ? firstEdit : lastEdit)->setFocus();
        return;
    }
    CatalogueTitle catalogue;
    const int found = FindCatalogueTitle(m_context.title, &catalogue);
    if (found < 0) {
        platform::ShowDbError(this, GP.LastError);
        return;
    }
    if (found == 0) {
        platform::ShowHint(this, QStringLiteral("报刊代号“%1”不在本目录中...").arg(m_context.title.code));
        return;
    }
    const RegisterOutcome outcome = RegisterIrregularIssue(m_context.title, catalogue, m_context.year, entry);
    switch (outcome.kind) {
    case RegisterOutcome::Kind::Written:
        firstEdit->clear();
        lastEdit->clear();
        remarkEdit->clear();
        reload();
        emit registerChanged();
        break;
    case RegisterOutcome::Kind::AlreadyRegistered:
        platform::ShowHint(this, QStringLiteral("该登记已经存在..."));
        break;
    case RegisterOutcome::Kind::Refused:
        platform::ShowHint(this, outcome.text + QStringLiteral("..."));
        break;
    case RegisterOutcome::Kind::Failed:
        platform::ShowDbError(this, outcome.text);
        break;
    }
}

void IrregularIssueWindow::deleteClick()
{
    if (!entries.active() || entries.isEmpty())
        return;
    const QDate first = QDate::fromString(entries.fieldText(QStringLiteral("qr")), Qt::ISODate);
    const QString question = QStringLiteral("    确定要删除 [") + entries.fieldText(QStringLiteral("lb"))
        + QLatin1Char(' ') + entries.fieldText(QStringLiteral("qr")) + QStringLiteral("至")
        + entries.fieldText(QStringLiteral("zr")) + QStringLiteral("] 吗？    ");
    if (!platform::Confirm(this, question))
        return;
    if (!ExecSql(DeleteIrregularIssueStatement(m_context.title, m_context.year, first))) {
        platform::ShowDbError(this, GP.LastError);
        return;
    }
    reload();
    emit registerChanged();
}

void IrregularIssueWindow::fileClick()
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("请选择导入的文件");
    request.defaultExt = QStringLiteral("xls");
    request.filter = ImportFileFilter;
    request.purpose = QStringLiteral("import"); // the folder of the catalogue import
    const QString fileName = platform::OpenFileName(this, request);
    if (fileName.isEmpty())
        return;
    if (!QFileInfo::exists(fileName)) {
        platform::MessageBox(this, QStringLiteral("要导入的文件不存在..."), QStringLiteral("信息"),
                             platform::Icon::Warning);
        return;
    }
    try {
        // Opened in an application of its own: a file that cannot be opened leaves the earlier one.
        QStringList sheets;
        std::shared_ptr<sheet::Application> app = OpenImportWorkbook(fileName, &sheets);
        QuitImportApplication(m_app);
        m_app = app;
        sheetBox->clear();
        sheetBox->addItems(sheets);
        sheetBox->setCurrentIndex(sheets.size() == 1 ? 0 : -1);
        sheetBox->setEnabled(sheets.size() > 1);
        importMsg->setText(QFileInfo(fileName).fileName());
    } catch (const std::exception &error) {
        platform::ShowError(this, QStringLiteral("打开文件出错->") + platform::ExceptionMessage(error));
    }
}

void IrregularIssueWindow::importClick()
{
    if (!m_app || sheetBox->count() == 0) {
        platform::ShowError(this, QStringLiteral("请选择要导入的Excel文件..."));
        return;
    }
    if (sheetBox->currentIndex() < 0) {
        platform::ShowError(this, QStringLiteral("请选择要导入的表..."));
        return;
    }
    m_stopRequested = false;
    m_importing = true;
    for (QWidget *w : std::initializer_list<QWidget *>{fileBtn, sheetBox, importBtn, addBtn, deleteBtn, closeBtn})
        w->setEnabled(false);
    stopBtn->setEnabled(true);
    progress->show();
    platform::ProcessMessages();

    int written = 0;
    int alreadyThere = 0;
    int stoppedAt = 0;
    QString failure;
    try {
        importRows(&written, &alreadyThere, &stoppedAt);
    } catch (const std::exception &error) {
        failure = platform::ExceptionMessage(error);
    }
    endImport();
    if (written > 0)
        emit registerChanged();
    if (!failure.isEmpty())
        platform::ShowException(failure);
    if (stoppedAt > 0)
        platform::ShowHint(this, RegisterImportStopped(stoppedAt, written, alreadyThere));
    else
        platform::ShowInfo(this, RegisterImportSummary(written, alreadyThere));
    if (m_closeAfterImport)
        close();
}

void IrregularIssueWindow::importRows(int *written, int *alreadyThere, int *stoppedAt)
{
    *stoppedAt = 1;
    const sheet::Worksheet sheet = m_app->WorkSheets(sheetBox->currentText());
    const int columns = sheet.UsedRange().Columns().Count();
    const int rows = sheet.UsedRange().Rows().Count();
    QStringList titles;
    for (int c = 1; c <= columns; ++c)
        titles << sheet.Cells(1, c).Value().toText();
    RegisterSheetColumns found;
    const QString missing = FindRegisterColumns(titles, &found);
    if (!missing.isEmpty()) {
        platform::ShowError(this, missing);
        return;
    }
    progress->setRange(0, qMax(rows - 1, 1));
    progress->setValue(0);
    QElapsedTimer labelShown;
    for (int r = 2; r <= rows; ++r) {
        *stoppedAt = r;
        if (m_stopRequested)
            return;
        const RegisterSheetRow row = ReadRegisterRow(sheet, r, found, m_context.year);
        if (!labelShown.isValid() || labelShown.elapsed() >= LabelRefreshMs) {
            importMsg->setText(QStringLiteral("第%1行 %2/%3").arg(r).arg(row.code, row.entry.kind));
            importMsg->repaint();
            labelShown.start();
        }
        progress->setValue(r - 1);
        if (row.blank)
            continue;
        const RegisterOutcome outcome = ImportRegisterRow(m_context.title.catalogueType, m_context.year, row);
        if (outcome.kind == RegisterOutcome::Kind::Refused) {
            platform::ShowError(this, RegisterRowMessage(r, outcome.text));
            return;
        }
        if (outcome.kind == RegisterOutcome::Kind::Failed) {
            platform::ShowDbError(this, RegisterRowMessage(r, outcome.text));
            return;
        }
        ++(outcome.kind == RegisterOutcome::Kind::Written ? *written : *alreadyThere);
        // Twice, so that a click on 停止 is seen before the next row.
        platform::ProcessMessages();
        platform::ProcessMessages();
    }
    *stoppedAt = 0;
}

void IrregularIssueWindow::endImport()
{
    QuitImportApplication(m_app);
    m_app.reset();
    sheetBox->clear();
    m_importing = false;
    for (QWidget *w : std::initializer_list<QWidget *>{fileBtn, importBtn, addBtn, closeBtn})
        w->setEnabled(true);
    sheetBox->setEnabled(false);
    stopBtn->setEnabled(false);
    progress->hide();
    importMsg->clear();
    reload();
}

void IrregularIssueWindow::stopClick()
{
    m_stopRequested = true;
    platform::ProcessMessages();
}

void IrregularIssueWindow::closeEvent(QCloseEvent *event)
{
    // Closing during an import stops it at the next row; the window closes once it has ended.
    if (m_importing) {
        m_stopRequested = true;
        m_closeAfterImport = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
