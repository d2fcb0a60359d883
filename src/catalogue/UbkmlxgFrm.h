#pragma once
// The catalogue entry editing window "目录信息修改": corrects the current entry of the catalogue query
// its opener hands it (the main window hands its own, so its grid shows the new values at once). Only
// ticked fields can be edited and are written; ticking a field's box puts the focus into the field and
// selects its content, so typing replaces it. The window reports a written change by the signal entryEdited.

#include "catalogue/CatalogueEdit.h"
#include "platform/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TFlatCheckBox;
class TFlatPanel;
class TNumberEdit;

namespace db {
class Query;
}

class TbkmlxgFrm : public QDialog {
    Q_OBJECT
public:
    // `catalogue` is the query whose current row is corrected; it must outlive the window.
    explicit TbkmlxgFrm(db::Query &catalogue, QWidget *parent = nullptr);

    TFlatPanel *Panbkdh;
    TFlatCheckBox *bkmcBox;
    QLineEdit *bkmc;
    TFlatCheckBox *fbkjBox;
    QLineEdit *fbkj;
    TFlatCheckBox *kqbox;
    QComboBox *kq;
    TFlatCheckBox *cbrqbox;
    QLineEdit *cbrq;
    TFlatCheckBox *qnjbox;
    TNumberEdit *qnj;
    TFlatCheckBox *djbox;
    TNumberEdit *dj;
    QFrame *Bevel1;
    QPushButton *BitBtn1; // 保存
    QPushButton *BitBtn2; // 重置

    // Fills the fields from the catalogue's current row.
    void FillFromCurrentRow();

signals:
    // The ticked fields of the current entry were written (and the catalogue query's row shows them).
    void entryEdited();

public slots:
    void FormShow();
    void bkmcBoxClick();
    void fbkjBoxClick();
    void kqboxClick();
    void cbrqboxClick();
    void qnjboxClick();
    void djboxClick();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    QList<TFlatCheckBox *> boxes() const;
    bool checksPass();

    db::Query &m_catalogue;
    bool m_shownOnce = false;
};

// Tells the user, in a message owned by `owner`, that there is no entry to correct.
void ShowNoCatalogueEntry(QWidget *owner);

// Creates the editing window of class T (no owner) on the current entry of `catalogue`, shows it
// modally and frees it. True only for the modal result OK, which nothing sets. Without a current
// entry there is nothing to correct: the user is told so (the message owned by `owner`) and no
// window opens.
template <class T = TbkmlxgFrm>
bool ShowCatalogEditForm(QWidget *owner, db::Query &catalogue)
{
    if (!HasCurrentEntry(&catalogue)) {
        ShowNoCatalogueEntry(owner);
        return false;
    }
    return platform::ShowModalForm<T>(catalogue) == QDialog::Accepted;
}
