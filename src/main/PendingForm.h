#pragma once
// A stand-in for a window that this build does not have yet: its caption and one line saying so.

#include <QDialog>

class TPendingFrm : public QDialog {
    Q_OBJECT
public:
    explicit TPendingFrm(const QString &caption, QWidget *parent = nullptr);
};
