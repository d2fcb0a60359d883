#pragma once
// A whole-number edit that may also be empty: the month and copies edits of the subscription dialog,
// where "no value" differs from 0. Only digits (and a leading minus sign) can be typed.

#include <QLineEdit>

#include <optional>

class TIntegerEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget *parent = nullptr);

    // The number shown, or nothing when the edit is empty or holds only a sign.
    std::optional<int> Value() const;
    bool hasValue() const { return Value().has_value(); }
    void setValue(int value) { setText(QString::number(value)); }
};
