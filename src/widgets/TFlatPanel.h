#pragma once
// A flat panel: a plain area with a one-pixel border in its border colour and an optional centred
// caption. Its children are placed by the window that owns it.

#include <QColor>
#include <QFrame>

class TFlatPanel : public QFrame {
    Q_OBJECT
public:
    explicit TFlatPanel(QWidget *parent = nullptr);

    QColor BorderColor() const { return m_border; }
    void setBorderColor(const QColor &color);
    void setBorderVisible(bool visible);
    // Background; an invalid colour takes the parent's.
    void setColor(const QColor &color);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_border = QColor(0x33, 0x66, 0x99);
    bool m_borderVisible = true;
    QString m_caption;
};

// A flat group box: a flat panel with its caption in the top border line.
class TFlatGroupBox : public TFlatPanel {
    Q_OBJECT
public:
    explicit TFlatGroupBox(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
