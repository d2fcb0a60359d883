#pragma once
// A whole-number edit that may also be empty: the month and copies edits of the subscription dialog,
// where "no value" differs from 0. The edit keeps whatever the clerk typed, so that a slip such as
// "12a" or "-3ab.5" stays visible as typed and is refused, never silently read as another number.

#include <QLineEdit>

#include <optional>

class TIntegerEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget *parent = nullptr);

    // The number shown: digits with an optional leading minus sign (blanks around them ignored)
    // that fit an int. Nothing when the edit is empty or holds anything else.
    std::optional<int> Value() const;
    bool hasValue() const { return Value().has_value(); }
    // Empty, or only blanks.
    bool isBlank() const { return text().trimmed().isEmpty(); }
    void setValue(int value) { setText(QString::number(value)); }
};
