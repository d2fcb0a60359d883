#pragma once
// A radio group: its items as radio buttons in Columns columns, filled column by column, with an optional
// caption and a frame that is a full border, only the top line, or none.

#include <QButtonGroup>
#include <QRadioButton>
#include <QStringList>
#include <QVector>
#include <QWidget>

class TRadioGroup : public QWidget {
    Q_OBJECT
public:
    enum class Frame { Box, TopLine, None };

    explicit TRadioGroup(QWidget *parent = nullptr);

    QStringList Items() const { return m_items; }
    void setItems(const QStringList &items);
    int Columns() const { return m_columns; }
    void setColumns(int columns);
    int ItemIndex() const { return m_group.checkedId(); }
    void setItemIndex(int index); // -1: none
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    void setFrame(Frame frame);
    void setBorderColor(const QColor &color);
    QRadioButton *button(int index) const { return m_buttons.value(index); }

signals:
    // The user chose an item.
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();
    int captionTop() const;

    QStringList m_items;
    QVector<QRadioButton *> m_buttons;
    QButtonGroup m_group;
    int m_columns = 1;
    QString m_caption;
    Frame m_frame = Frame::Box;
    QColor m_border = QColor(0x33, 0x66, 0x99);
};
