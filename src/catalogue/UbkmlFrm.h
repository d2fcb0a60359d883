#pragma once
// The catalogue import window "报刊目录导入": reads one worksheet of a spreadsheet file through the
// spreadsheet application "excel.application" (running hidden) and writes each data row into the
// catalogue table of the chosen type, one transaction per row, replacing the entry with the same code.

#include "platform/Dialogs.h"
#include "sheet/Spreadsheet.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class TFlatPanel;
class TRadioGroup;

class TbkmlFrm : public QDialog {
    Q_OBJECT
public:
    explicit TbkmlFrm(QWidget *parent = nullptr);
    ~TbkmlFrm() override;

    TFlatPanel *Panel1; // the client panel inside the four 3-pixel margins
    TFlatPanel *Pansel;
    TRadioGroup *mllxBox;
    QPushButton *BitBtn1; // 选择文件
    QComboBox *CBox;
    QProgressBar *PBar;
    QLabel *lbmsg;
    QLabel *fileLabel; // the name of the file whose sheets CBox offers
    TFlatPanel *FlatPanel2;
    QPushButton *BitBtn2; // 开始导入
    QPushButton *stopBtn; // 停止

    bool importing() const { return m_importing; }

    // The window's spreadsheet application; it ends with the window.
    std::shared_ptr<sheet::Application> ImportApp; // started by 选择文件; empty when none
    bool ImportAppOpen = false;       // a workbook is open in ImportApp, until the clean-up or closing quits it
    bool ImportStopRequested = false; // set by 停止, cleared when an import starts, tested once per data row

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void stopBtnClick();

public:
    void FormCloseQuery();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void fitTypeColumns();
    void showFileName(const QString &fileName);
    void importRows();
    void cleanUp(QString failure);

    bool m_shownOnce = false;
    bool m_importing = false;
    // Where the last import stopped on a failure (0: it did not) and how many rows it wrote.
    int m_currentRow = 0;
    int m_stoppedAtRow = 0;
    int m_importedRows = 0;
    bool m_closeAfterImport = false;
};

// Creates the import window of class T (no owner), shows it modally and frees it. True only for
// the modal result OK, which nothing sets.
template <class T = TbkmlFrm>
bool ShowImportForm()
{
    return platform::ShowModalForm<T>() == QDialog::Accepted;
}

// The filter of the file dialog: .xls first, then the other formats the spreadsheet layer reads.
extern const QString ImportFileFilter;

// Opens a file for an import in a hidden spreadsheet application of its own and gives the names of
// its sheets in order; throws (sheet::SheetError and others) when it cannot.
std::shared_ptr<sheet::Application> OpenImportWorkbook(const QString &fileName, QStringList *sheets);
// Quits a spreadsheet application that is no longer wanted; it may already have gone.
void QuitImportApplication(const std::shared_ptr<sheet::Application> &app);
