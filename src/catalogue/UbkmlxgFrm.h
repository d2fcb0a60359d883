#pragma once
// The catalogue entry editing window "目录信息修改": corrects the entry that is current in the main
// window's catalogue grid. Only ticked fields can be edited and are written; the change goes through
// the main window's own catalogue query, so its grid shows the new values at once.

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
    explicit TbkmlxgFrm(QWidget *parent = nullptr);

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

    // Fills the fields from the main window's current catalogue row.
    void FillFromCurrentRow();

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

    bool m_shownOnce = false;
};

// The main window's catalogue query, whose current row this window corrects (nullptr without one).
db::Query *CatalogueEntryQuery();
// Tells the user that there is no entry to correct.
void ShowNoCatalogueEntry(QWidget *owner);
bool CatalogueEntryAvailable();

// Creates the editing window of class T (no owner), shows it modally and frees it. True only for the
// modal result OK, which nothing sets. Without a current catalogue entry there is nothing to correct:
// the user is told so and no window opens.
template <class T = TbkmlxgFrm>
bool ShowCatalogEditForm()
{
    if (!CatalogueEntryAvailable()) {
        ShowNoCatalogueEntry(nullptr);
        return false;
    }
    return platform::ShowModalForm<T>() == QDialog::Accepted;
}
