#include "widgets/CaptionLabel.h"

#include <QEvent>

TCaptionLabel::TCaptionLabel(QWidget *control, const QString &caption, TLabelPosition position, int spacing)
    : QLabel(caption, control->parentWidget()), m_control(control), m_position(position), m_spacing(spacing)
{
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, &QObject::deleteLater);
    setBuddy(control);
    follow();
}

void TCaptionLabel::setPosition(TLabelPosition position, int spacing)
{
    m_position = position;
    m_spacing = spacing;
    follow();
}

bool TCaptionLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::ParentChange:
            setParent(m_control->parentWidget());
            follow();
            if (!m_control->isHidden())
                show();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::FontChange:
            follow();
            break;
        case QEvent::Show:
            show();
            break;
        case QEvent::Hide:
            hide();
            break;
        case QEvent::EnabledChange:
            setEnabled(m_control->isEnabled());
            break;
        default:
            break;
        }
    }
    return QLabel::eventFilter(watched, event);
}

void TCaptionLabel::follow()
{
    adjustSize();
    const QRect g = m_control->geometry();
    if (m_position == TLabelPosition::Above)
        move(g.left(), g.top() - height() - m_spacing);
    else
        move(g.left() - width() - m_spacing, g.top() + (g.height() - height()) / 2);
}

TLabeledEdit::TLabeledEdit(const QString &caption, QWidget *parent, TLabelPosition position)
    : QLineEdit(parent), m_label(new TCaptionLabel(this, caption, position))
{
}

TLabeledComboBox::TLabeledComboBox(const QString &caption, QWidget *parent, TLabelPosition position)
    : QComboBox(parent), m_label(new TCaptionLabel(this, caption, position))
{
}
