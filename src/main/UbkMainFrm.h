#pragma once
// The main window: the periodical catalogues in its upper half (one tab per catalogue type, a query bar
// for searching and locating titles) and the order area of a customer unit in its lower half. It is the
// program's only long-lived window and holds the context it hands to the windows it opens: the
// catalogue query `ADO` with its current title, the tab (= catalogue type), the unit box `dwbox` with
// its unit records and the order query `ddado` with its current line. Those windows (src/orders,
// src/catalogue) never reach back into it: they take their context in and report by signals.

#include "data/Udm.h"
#include "db/Query.h"
#include "orders/SubscriptionContext.h"
#include "widgets/TDataGrid.h"
#include "widgets/TDataSource.h"

#include <QMainWindow>
#include <QPointer>
#include <QSet>

class QLabel;
class QLineEdit;
class QComboBox;
class QPushButton;
class QToolButton;
class QStatusBar;
class QTimer;
class TFlatCheckBox;
class TFlatGroupBox;
class TFlatPanel;
class TFlatTabControl;
class TPickComboBox;
class TRadioGroup;
class TmljcFrm;

class TbkMainFrm : public QMainWindow {
    Q_OBJECT
public:
    // The creation step: caption, settings (database path, connection text, role 0), placement.
    explicit TbkMainFrm(QWidget *parent = nullptr);
    ~TbkMainFrm() override;

    // Loads the current tab's catalogue into ADO, filtered by `filter` (conditions each starting with
    // " and", or empty). Detaches the catalogue grid first; re-attaching is the caller's business.
    // Returns the row count, 0 for none, -1 on failure (GP.LastError says why).
    int LoadCatalogue(const QString &filter);
    // Loads the chosen unit's order lines of the current catalogue type into ddado, the newest line
    // current. Returns the row count, 0 for none, -1 on failure.
    // Loads the chosen unit's lines of the current tab; a failed load is reported unless the caller
    // reports it itself, and never leaves an empty grid as if it had succeeded.
    int LoadOrders(bool reportFailure = true);

    // The context other windows read.
    int currentTab() const;          // = catalogue type
    QString currentTabCaption() const;
    int SelectedUnitIndex() const;   // the entry of dwbox picked from its list, or -1
    TMyRc *SelectedUnit() const;     // its record, or nullptr
    QString SelectedUnitName() const;
    QString statusText() const;

    // --- catalogue half ---
    db::Query ADO;  // the catalogue query; its current row is the current title
    TDataSource ds; // binds brow to ADO (detached during loads and after a load that found nothing)
    TFlatPanel *FlatPanel1 = nullptr;
    QLabel *Label1 = nullptr;
    TPickComboBox *dhmcBox = nullptr; // 报刊代号 / 报刊名称 / 刊号/ISSN
    QLineEdit *Edit1 = nullptr;
    TFlatCheckBox *CheckBox1 = nullptr; // 模糊查询
    QLabel *Label2 = nullptr;
    QComboBox *kqCbox = nullptr; // period filter
    TRadioGroup *bkzl = nullptr; // 全部 / 杂志 / 报纸
    QPushButton *cxBtn = nullptr;
    // Type-ahead: with 报刊名称 chosen, the grid narrows to the matching titles this long after the
    // last key (as 查询 would, but without a message for nothing found).
    QTimer *TypeAheadTimer = nullptr;
    static constexpr int TypeAheadDelayMs = 150;
    QPushButton *locaBtn = nullptr;
    QPushButton *MlxgBtn = nullptr; // 目录修改
    QPushButton *MljcBtn = nullptr; // 目录检查 (管理员, 系统员)
    QPushButton *BitBtn1 = nullptr; // 目录导入
    QPushButton *RegisterBtn = nullptr; // 停刊合刊: the register of irregular issues of the current title
    TFlatTabControl *FTab = nullptr;
    TDataGrid *brow = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanel = nullptr; // the status bar's one text panel

    // --- order area ---
    db::Query ddado;  // the chosen unit's order lines; its current row is the current line
    TDataSource ddds; // binds ddbrow to ddado for good
    TFlatPanel *FlatPanel2 = nullptr;
    QToolButton *dyBtn = nullptr;       // 订阅报刊
    QToolButton *ddcxBtn = nullptr;     // 订单查询
    QToolButton *xgDDBtn = nullptr;     // 修改记录
    QToolButton *delBtn = nullptr;      // 删除单条记录
    QToolButton *clearBtn = nullptr;    // 清空全部记录
    QToolButton *ToolButton1 = nullptr; // 导出订单
    QToolButton *PrintBtn = nullptr;    // 打印订单
    QToolButton *DyhzBtn = nullptr;     // 订阅汇总
    QToolButton *loadBtn = nullptr;     // 系统初始
    QToolButton *restoreBtn = nullptr;  // 数据恢复
    TFlatGroupBox *FlatGroupBox1 = nullptr;
    TPickComboBox *dwbox = nullptr;
    QLabel *lblxr = nullptr;
    QLabel *lbphone = nullptr;
    QPushButton *SpeedButton1 = nullptr; // 刷新单位信息
    QPushButton *dwwhBtn1 = nullptr;     // 单位信息维护
    TDataGrid *ddbrow = nullptr;

public slots:
    void FormShow();
    void FTabChange();
    void cxBtnClick();
    void locaBtnClick();
    void MlxgBtnClick();
    void BitBtn1Click();
    void RegisterBtnClick();
    void dhmcBoxChange();
    void Edit1TextEdited();
    void TypeAheadSearch();
    void ADOAfterScroll();

    void dyBtnClick();
    void ddcxBtnClick();
    void xgDDBtnClick();
    void delBtnClick();
    void clearBtnClick();
    void ToolButton1Click();
    void loadBtnClick();
    void restoreBtnClick();
    void dwboxChange();
    void SpeedButton1Click();
    void dwwhBtn1Click();

    // The reports: the catalogue check of the current type (a window of its own beside this one), the
    // print preview of the chosen unit's orders of the current type, and the office's order summary.
    void MljcBtnClick();
    void PrintBtnClick();
    void DyhzBtnClick();
    // Selects an entry the catalogue check reported: its tab, then the entry in the catalogue (the
    // whole catalogue is loaded again when a search left the entry out).
    void SelectCatalogueEntry(int catalogueType, const QString &bkdh);

public:
    // Row painting of both grids: even rows in the tooltip background colour.
    static void GridDrawColumnCell(TDrawCellArgs &args);
    // The close step; closing is always allowed.
    void FormCloseQuery();

    // The codes of the current tab that have register entries in the processing year; their 报刊代号
    // cells are marked in the catalogue grid.
    const QSet<QString> &registeredCodes() const { return m_registeredCodes; }
    void loadRegisterMarks();

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Once the window manager has framed the shown window: its frame within the work area.
    void fitFrameIntoWorkArea();
    bool m_frameFitted = false;

    void buildQueryBar();
    void buildCatalogue();
    void buildOrderArea();
    QWidget *buildUnitBox();
    void buildOrderGrid();
    void showUnitContact(const TMyRc *unit);
    // After the unit maintenance window: the unit box holds the units as they now are, the chosen
    // unit stays chosen while it exists; otherwise none is chosen and the order grid empties.
    void reloadUnitsKeepingChoice();
    // What the subscription dialog works on: the chosen unit, the tab, the current title and, for a
    // correction, the current order line.
    SubscriptionContext subscriptionContext(SubscriptionContext::Mode mode) const;
    void openSubscription(SubscriptionContext::Mode mode);
    void pressDefaultButton();
    // The conditions of the query bar: the text in the chosen search field (when not empty), the
    // kind and the period.
    QString searchFilter(int field, const QString &text) const;
    // Quick locate among the loaded rows by a title's pinyin or initials (1 found, 0 not, -1 the
    // readings could not be read), or by a serial number.
    int locateByReading(const QString &text, bool partial);
    bool locateBySerial(const QString &text);

    QPointer<TmljcFrm> m_checkWindow; // the open catalogue check, if any
    void markRegisteredTitle(TDrawCellArgs &args) const;

    QSet<QString> m_registeredCodes;
};

// The main window of the run, recorded by its creation step and cleared when it goes. Nothing reads
// it to reach the main window: the windows it opens get their context handed in and report back by
// signals, and the program's entry holds the window it made.
extern TbkMainFrm *bkMainFrm;
