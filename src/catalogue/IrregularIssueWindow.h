#pragma once
// The register window "停刊、休刊、合刊登记": the register entries of one title in the processing year,
// in a grid, with adding and deleting of entries and the import of a register sheet (columns 报刊代号,
// 类别, 起日, 止日, 说明) for the title's catalogue type. It works on the context it is given and
// reports every change of the register by registerChanged().

#include "calendar/IrregularIssues.h"
#include "db/Query.h"
#include "sheet/Spreadsheet.h"
#include "widgets/TDataSource.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TDataGrid;

struct RegisterWindowContext {
    TitleRef title;      // the catalogue type (tab) and the code of the current title
    QString titleName;   // its 报刊名称
    QString typeCaption; // the caption of its catalogue tab
    int year = 0;        // the processing year
};

class IrregularIssueWindow : public QDialog {
    Q_OBJECT
public:
    explicit IrregularIssueWindow(const RegisterWindowContext &context, QWidget *parent = nullptr);
    ~IrregularIssueWindow() override;

    const RegisterWindowContext &context() const { return m_context; }
    bool importing() const { return m_importing; }

    QLabel *titleLabel;
    db::Query entries; // the title's entries of the year, by first date
    TDataSource source;
    TDataGrid *grid;
    QComboBox *kindBox;
    QLineEdit *firstEdit; // dates as typed: 2-13, 2月13日, 2010-2-13 ... (see ReadRegisterDate)
    QLineEdit *lastEdit;  // empty: the first date
    QLineEdit *remarkEdit;
    QPushButton *addBtn;
    QPushButton *deleteBtn;
    QPushButton *fileBtn;
    QComboBox *sheetBox;
    QPushButton *importBtn;
    QPushButton *stopBtn;
    QProgressBar *progress;
    QLabel *importMsg;
    QPushButton *closeBtn;

signals:
    // Entries were added or deleted (for this title or, by an import, for others of its type).
    void registerChanged();

public slots:
    void reload();
    void addClick();
    void deleteClick();
    void fileClick();
    void importClick();
    void stopClick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    // Enters the rows of the chosen sheet; `stoppedAt` is the row the import stopped at (refused,
    // failed or 停止 pressed; 1 when the titles are missing), 0 when every row was read.
    void importRows(int *written, int *alreadyThere, int *stoppedAt);
    void endImport();

    RegisterWindowContext m_context;
    std::shared_ptr<sheet::Application> m_app;
    bool m_importing = false;
    bool m_stopRequested = false;
    bool m_closeAfterImport = false;
};
