#include "main/PendingForm.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TPendingFrm::TPendingFrm(const QString &caption, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("此功能尚未提供。"), this));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::reject);
    layout->addWidget(buttons);
}
