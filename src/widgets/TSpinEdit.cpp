#include "widgets/TSpinEdit.h"

TSpinEdit::TSpinEdit(QWidget *parent, int minValue, int maxValue) : QSpinBox(parent)
{
    setRange(minValue, maxValue);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setAccelerated(true);
}
