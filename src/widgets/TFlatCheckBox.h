#pragma once
// A flat check box; its caption may stand to the left of the box.

#include <QCheckBox>

class TFlatCheckBox : public QCheckBox {
public:
    explicit TFlatCheckBox(const QString &caption, QWidget *parent = nullptr) : QCheckBox(caption, parent) {}
    void setCaptionLeft(bool left) { setLayoutDirection(left ? Qt::RightToLeft : Qt::LeftToRight); }
};
