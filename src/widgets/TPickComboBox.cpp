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

bool TPickComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit()) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            switch (key->key()) {
            case Qt::Key_Delete:
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Escape:
                break;
            default:
                if (!key->text().isEmpty())
                    return true; // a character: discarded
            }
        } else if (event->type() == QEvent::InputMethod) {
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
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
