#pragma once
// The login dialog: role, code and processing year. On OK the database connection is open,
// GP.WorkYear and GP.UserRole are set and the calendar table holds exactly the processing year: it is
// rebuilt when the system role asks for it (初始年度), and for every role when it is missing or holds
// another year.

#include <QDate>
#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class TFlatCheckBox;
class TFlatPanel;
class TLabeledComboBox;
class TLabeledEdit;
class WorkYearEdit;

class Tloginfrm : public QDialog {
    Q_OBJECT
public:
    explicit Tloginfrm(QWidget *owner = nullptr);

    // Today's date as the default processing year sees it; tests put a fixed date here.
    static std::function<QDate()> Today;

    TFlatPanel *FlatPanel1;
    QLabel *Image1;
    QLabel *Label1;
    WorkYearEdit *clnd;          // its caption label "处理年度" follows it
    TLabeledComboBox *Cbox;
    TLabeledEdit *password;
    TFlatCheckBox *ndBox;
    QFrame *Bevel1;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;

public slots:
    void FormShow();
    void CboxChange();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void setButtonsEnabled(bool enabled);
    void resetPassword(bool shown);
    bool prepareCalendar();
    bool m_shownOnce = false;
};
