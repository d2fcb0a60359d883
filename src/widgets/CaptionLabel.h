#pragma once
// Edits and combo boxes with an attached caption label. The label is a sibling of its control and keeps
// its place beside it (above, or to the left) when the control moves, hides, shows or is disabled.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

enum class TLabelPosition { Above, Left };

class TCaptionLabel : public QLabel {
    Q_OBJECT
public:
    TCaptionLabel(QWidget *control, const QString &caption, TLabelPosition position = TLabelPosition::Above,
                  int spacing = 3);
    void setPosition(TLabelPosition position, int spacing = 3);
    QWidget *control() const { return m_control; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    QWidget *m_control;
    TLabelPosition m_position;
    int m_spacing;
};

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TLabeledEdit(const QString &caption, QWidget *parent = nullptr,
                          TLabelPosition position = TLabelPosition::Above);
    TCaptionLabel *EditLabel() const { return m_label; }

private:
    TCaptionLabel *m_label;
};

class TLabeledComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TLabeledComboBox(const QString &caption, QWidget *parent = nullptr,
                              TLabelPosition position = TLabelPosition::Above);
    TCaptionLabel *EditLabel() const { return m_label; }

private:
    TCaptionLabel *m_label;
};
