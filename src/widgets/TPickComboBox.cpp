#include "widgets/TPickComboBox.h"

#include <QKeyEvent>
#include <QLineEdit>

TPickComboBox::TPickComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    lineEdit()->setAcceptDrops(false);
    connect(this, &QComboBox::activated, this, &TPickComboBox::Change);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TPickComboBox::Change);
}

namespace {

// A key that would put a character into the text (or take one out by the backspace).
bool typesCharacter(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return false;
    default:
        return !key->text().isEmpty();
    }
}

} // namespace

bool TPickComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit()) {
        if (event->type() == QEvent::KeyPress && typesCharacter(static_cast<QKeyEvent *>(event)))
            return true; // discarded
        if (event->type() == QEvent::InputMethod)
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}

// The box itself has the keyboard focus and hands keys and composed text on to its edit directly,
// past the edit's event filter: they are discarded here first.
void TPickComboBox::keyPressEvent(QKeyEvent *event)
{
    if (typesCharacter(event)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TPickComboBox::inputMethodEvent(QInputMethodEvent *event)
{
    event->accept();
}

int PickedIndex(const QComboBox *box)
{
    const int index = box->currentIndex();
    if (index < 0)
        return -1;
    if (box->isEditable() && box->currentText() != box->itemText(index))
        return -1;
    return index;
}
