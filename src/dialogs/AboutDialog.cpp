#include "dialogs/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutDlg::TAboutDlg(const QString& caption, QWidget* parent) : QDialog(parent) {
    setObjectName("AboutDlg");
    setWindowTitle(caption);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    ProgramLabel = new QLabel(caption, this);
    QFont f = ProgramLabel->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    ProgramLabel->setFont(f);
    auto* text = new QLabel("Brannoc Pro 2.00b\nBBS 多視窗終端機與站台列表", this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText("確定");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addWidget(ProgramLabel, 0, Qt::AlignHCenter);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);
}
