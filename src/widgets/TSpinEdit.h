#pragma once
// A whole-number field with up/down buttons, a minimum and a maximum; values outside the range are
// taken to the nearest bound.

#include <QSpinBox>

class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget *parent = nullptr, int minValue = 0, int maxValue = 100);
    int MinValue() const { return minimum(); }
    int MaxValue() const { return maximum(); }
    void setMinValue(int value) { setMinimum(value); }
    void setMaxValue(int value) { setMaximum(value); }
};
