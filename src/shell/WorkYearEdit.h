#pragma once
// The processing-year field of the login. Its up/down buttons and arrow keys move only within the
// offered years; a year typed by hand stays exactly as typed (any whole number of up to four digits),
// also outside the offered years, so that 确定 can refuse it visibly instead of the field silently
// turning it into another year. An emptied field returns to the year it held.

#include "widgets/TSpinEdit.h"

class WorkYearEdit : public TSpinEdit {
    Q_OBJECT
public:
    explicit WorkYearEdit(QWidget *parent = nullptr);

    void setOfferedRange(int first, int last);
    int offeredFirst() const { return m_first; }
    int offeredLast() const { return m_last; }

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_first = 0;
    int m_last = 0;
};
