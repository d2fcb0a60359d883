#pragma once
// A number edit: holds a number, accepts only number input, and while it does not have the focus shows
// the number in its display format ("0.00"). With no decimals it is a whole-number edit. An empty edit
// holds 0. `changed` follows every change of the value, typed or set.

#include <QLineEdit>

class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget *parent = nullptr, int decimals = -1, const QString &displayFormat = QString());

    double Value() const { return m_value; }
    qint64 AsInteger() const;
    void setValue(double value);

    QString DisplayFormat() const { return m_format; }
    void setDisplayFormat(const QString &format);
    int decimals() const { return m_decimals; } // -1: any number of decimals
    void setDecimals(int decimals);

signals:
    void changed();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showValue();
    void textTyped(const QString &text); // typed or set as text

    double m_value = 0.0;
    QString m_format;
    int m_decimals = -1;
    bool m_showing = false;
};
