#include "shell/WorkYearEdit.h"

#include <algorithm>

WorkYearEdit::WorkYearEdit(QWidget *parent) : TSpinEdit(parent, 0, 9999)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

void WorkYearEdit::setOfferedRange(int first, int last)
{
    m_first = first;
    m_last = last;
}

void WorkYearEdit::stepBy(int steps)
{
    const int stepped = std::clamp(value() + steps, m_first, m_last);
    if (stepped != value() || text() != textFromValue(stepped))
        setValue(stepped);
    selectAll();
}

QAbstractSpinBox::StepEnabled WorkYearEdit::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (value() < m_last)
        enabled |= StepUpEnabled;
    if (value() > m_first)
        enabled |= StepDownEnabled;
    return enabled;
}
