#pragma once
// The subscription dialog (caption "报刊订阅"): enters a new order line of a unit for a catalogue
// title, or corrects an order line. It works on what its opener hands it (SubscriptionContext: the
// unit, the catalogue type, the title's row values, the line corrected), reports a saved line by the
// signal lineSaved (the opener reloads its order list before the dialog tells the clerk), offers the
// terms the title's period allows, prices the line on every change of the term, the months or the
// copies (the amount shown is the amount written; without a valid amount the amount box is empty)
// and writes it with one INSERT or UPDATE.
// Months outside 1-12 or reversed, copies that are no whole number from 1 to 99,999, and an amount
// whose issue count failed are refused; a new line is written only while its unit is in dwinfo.
//
// Other desks work on the same database. The dialog prices from the title's catalogue row as the
// database holds it when the dialog opens, and reads it again at 确定: a price changed meanwhile is
// shown, with the amount priced anew, and nothing is stored until the clerk confirms again. A
// correction is written only while the line is still what the dialog read; a line changed at another
// desk is shown as it now is (the opener reloads its list, signal lineOutdated), and a deleted one
// is reported.
//
// The copies area can only be reached through a confirmed term selection: leaving the term panel
// checks the months (once they changed) and confirms them; entering the copies area without that
// confirmation beeps and sends the focus back to the term box. From the keyboard, Enter in the copies
// saves a confirmed line with a valid amount, and Enter on a focused button clicks it.

#include "orders/SubscriptionContext.h"
#include "platform/Dialogs.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class IssuePreviewLink;
class QLabel;
class QPushButton;
class TFlatPanel;
class TFocusAreas;
class TIntegerEdit;
class TNumberEdit;
class TPickComboBox;
struct TitlePrices;
struct TitleRef;

class TdybkFrm : public QDialog {
    Q_OBJECT
public:
    explicit TdybkFrm(const SubscriptionContext &context, QWidget *parent = nullptr);
    ~TdybkFrm() override;

    TFlatPanel *PanClient = nullptr;
    QLabel *lbdwmc = nullptr;
    QLabel *lbFtab = nullptr;
    TFlatPanel *PBkdh = nullptr;
    TFlatPanel *PBkmc = nullptr;
    TFlatPanel *Pkq = nullptr;
    TFlatPanel *PCbrq = nullptr;
    TFlatPanel *PBkjb = nullptr;
    TFlatPanel *PBkfl = nullptr;
    TFlatPanel *PCn = nullptr;
    TFlatPanel *PIssn = nullptr;
    TFlatPanel *PQnj = nullptr;
    TFlatPanel *Pdj = nullptr;
    TFlatPanel *Pyj = nullptr;
    TFlatPanel *Pjj = nullptr;
    TFlatPanel *PBnj = nullptr;
    TFlatPanel *FlatPanel14 = nullptr; // 备注
    QWidget *Pansel = nullptr;         // the term panel
    TPickComboBox *termBox = nullptr;
    TIntegerEdit *qdy = nullptr;
    TIntegerEdit *zdy = nullptr;
    QWidget *Panwork = nullptr;        // the copies area
    TIntegerEdit *fs = nullptr;
    TNumberEdit *ke = nullptr;
    QLabel *lbMsg = nullptr;
    IssuePreviewLink *issuePreview = nullptr; // 共N期 beside the amount; a click lists the counted days
    QPushButton *qrBtn = nullptr;      // 确定
    QPushButton *BitBtn2 = nullptr;    // 取消

    // The marks of the term selection.
    bool confirmed() const { return m_confirmed; }
    bool changed() const { return m_changed; }
    // The amount edit is empty (copies empty, or nothing computed yet).
    bool amountEmpty() const;
    const SubscriptionContext &context() const { return m_context; }

signals:
    // A line was written (INSERT or UPDATE); sent before the dialog's notice.
    void lineSaved();
    // The corrected line was changed or deleted at another desk; sent before the dialog tells the clerk.
    void lineOutdated();

public slots:
    void FormShow();
    void termBoxChange();
    void qdyChange();
    void zdyChange();
    void PanselExit();
    void PanworkEnter();
    void fsChange();
    // Enter in the copies: acts as 确定 when the term is confirmed and the amount is a valid one.
    void fsEnter();
    void qrBtnClick();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildTitleRows();
    void buildTermPanel();
    void buildWorkPanel();
    void markChanged();
    // The months were edited: the month notice goes once they are valid again; the amount follows.
    void monthsEdited();
    // The notice that belongs to the picked term (none for 全年 without register entries).
    QString termNotice() const;
    // Fills the title panels from m_title.
    void showTitle();
    // Fills the term, the months and the copies from the corrected line m_line.
    void showStoredLine();
    // Reads the title's catalogue row into m_title when the dialog opens; returns the notice for lbMsg
    // (empty when the row is as the opener had it).
    QString readTitleOnOpening();
    // Reads the row again at 确定: true when the line may be written with the prices shown; else the
    // clerk is told why (changed prices are shown and priced first).
    bool pricesStillHold();
    // Prices the shown values again: on every change of the term, the months or the copies, so
    // that the amount shown is the amount 确定 writes.
    void recomputeAmount();
    // Counts the issues of the chosen months for the preview beside the amount.
    void refreshPreview();
    std::optional<double> amount() const;
    TitlePrices titlePrices() const;
    // The title as the register of irregular issues knows it.
    TitleRef titleRef() const;
    void insertLine();
    void updateLine();
    void saved(const QString &notice);

    const SubscriptionContext m_context;
    SubscribedTitle m_title;                // the title as last read from the catalogue
    std::optional<StoredOrderLine> m_line;  // the corrected line as last read
    TFocusAreas *m_focusAreas = nullptr;
    bool m_confirmed = false;
    bool m_changed = false;
    // The text of the last failed issue count while it stands for the values shown: 确定 refuses.
    QString m_amountFailure;
};

// Creates the subscription dialog of class T (no owner) on `context`, runs `onSaved` whenever it
// saves a line or finds the corrected line changed elsewhere, shows it modally and frees it. True only for an OK result, which the dialog never
// gives.
template <class T = TdybkFrm>
bool ShowSubscriptionForm(const SubscriptionContext &context, const std::function<void()> &onSaved = {})
{
    const std::unique_ptr<T> form(new T(context));
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    if (onSaved) {
        QObject::connect(form.get(), &TdybkFrm::lineSaved, form.get(), onSaved);
        QObject::connect(form.get(), &TdybkFrm::lineOutdated, form.get(), onSaved);
    }
    return platform::ExecModal(form.get()) == QDialog::Accepted;
}
