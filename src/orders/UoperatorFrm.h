#pragma once
// The unit maintenance window (caption "单位维护"): lists the customer units of table dwinfo and adds,
// changes and deletes them. The list lives in the data module's shared query ADOQuery1; every
// statement runs through ExecSql. Three states: browsing (list panel enabled), adding and modifying
// (input panel enabled). The tool bar stays usable in every state. A unit that has order lines is
// not deleted (the refusal counts its lines per catalogue type), and no two units carry the same
// name (blanks trimmed, letter case ignored); both checks are made in the transaction of the write.

#include "platform/Dialogs.h"
#include "widgets/TDataGrid.h"
#include "widgets/TDataSource.h"

#include <QDialog>

class QGroupBox;
class QPushButton;
class QToolButton;
class TLabeledEdit;

class ToperatorFrm : public QDialog {
    Q_OBJECT
public:
    explicit ToperatorFrm(QWidget *parent = nullptr);
    ~ToperatorFrm() override;

    QWidget *ToolBar1 = nullptr;
    QToolButton *zjBtn = nullptr;       // 新增
    QToolButton *xgBtn = nullptr;       // 修改
    QToolButton *delBtn = nullptr;      // 删除
    QToolButton *ToolButton7 = nullptr; // 退出
    QGroupBox *Panbrow = nullptr;       // 操作员列表
    TDataGrid *brow = nullptr;
    TDataSource ds;
    QGroupBox *Panwork = nullptr;       // 输入窗口
    TLabeledEdit *dwmc = nullptr;
    TLabeledEdit *lxr = nullptr;
    TLabeledEdit *phone = nullptr;
    QPushButton *saveBtn = nullptr;     // 确定
    QPushButton *CancelBtn = nullptr;   // 取消
    // 0 adding, 1 modifying: set by 新增 and 修改, read by 确定 (the input panel is disabled until
    // one of them has set it).
    int UnitEditMode = 0;

    void RefreshList();
    void ClearEdits();

public slots:
    void FormShow();
    void zjBtnClick();
    void xgBtnClick();
    void delBtnClick();
    void saveBtnClick();
    void CancelBtnClick();
    void ToolButton7Click();

public:
    // Enter moves the focus to the next control unless a data grid has it; returns whether the key
    // was used up.
    bool FormKeyDown(int key);
    // The selected but not focused cells get their own light blue.
    static void browDrawColumnCell(TDrawCellArgs &args);
    void FormCloseQuery();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolBar();
    void buildList();
    void buildInput();
    void browse();      // list panel enabled, input panel disabled
    void focusGrid();
    bool listEmpty() const;
};

// Creates the unit maintenance window of class T, shows it modally and frees it. True only for an
// OK result, which the window never gives.
template <class T = ToperatorFrm>
bool ShowUnitForm()
{
    return platform::ShowModalForm<T>() == QDialog::Accepted;
}
