#pragma once
// A pick-list combo box: an entry is chosen only by picking it from the list. Typed characters (and the
// backspace) are discarded; the Delete key may still empty the text, which the window then takes as
// dropping the choice. `Change` follows every change made by the user: a pick or a deletion.

#include <QComboBox>

class TPickComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TPickComboBox(QWidget *parent = nullptr);

signals:
    void Change();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
};

// The entry picked from a combo box's list: its index when the box's text is still that entry's text,
// else -1 (typed text alone is no choice).
int PickedIndex(const QComboBox *box);
