#pragma once
// The issue preview of the subscription dialog: "共N期" beside the amount for the chosen months, and
// on a click the list of the title's publication days in those months, the days the register omits
// and the days merged into a combined issue marked. It also gives the notice for a term of part of
// the year, which tells whether the amount follows the register of irregular issues.

#include "calendar/IssueSchedule.h"

#include <QLabel>

class QFrame;
class QListWidget;

class IssuePreviewLink : public QLabel {
    Q_OBJECT
public:
    explicit IssuePreviewLink(QWidget *parent = nullptr);

    // Counts the title's issues in the months and shows "共N期"; shows nothing when the months are
    // no valid range or counting fails.
    void showFor(const TitleRef &title, const QString &kq, const QString &cbrq, int startMonth, int endMonth);
    void clearPreview();

    const IssuePreview &preview() const { return m_preview; }
    // Whether the title has register entries in the processing year (read at the last showFor, or
    // afresh when asked for a title).
    static bool HasRegisterEntries(const TitleRef &title);
    // The notice of a term other than 全年.
    static QString PartialYearNotice(bool registered);
    // The notice of 全年 for a title with register entries: the count beside the yearly price
    // follows the register, the amount does not.
    static QString WholeYearNotice();

    // The list of days, as the click shows it; nullptr until shown.
    QFrame *listPopup() const { return m_popup; }
    QListWidget *dayList() const { return m_list; }
    // One line of the list.
    static QString DayLine(const ScheduledDay &day, const QList<IrregularIssue> &entries);

public slots:
    void showList();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    IssuePreview m_preview;
    int m_startMonth = 0;
    int m_endMonth = 0;
    QFrame *m_popup = nullptr;
    QListWidget *m_list = nullptr;
};
