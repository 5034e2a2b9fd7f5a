#include "dialogs/InformationDialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

TInformationDlg::TInformationDlg(const QString& text, const QString& checkText, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("InformationDlg"));
    setWindowTitle(QStringLiteral("Brannoc"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    Label = new QLabel(text);
    Label->setObjectName(QStringLiteral("Label"));
    CheckBox = new QCheckBox(checkText);
    CheckBox->setObjectName(QStringLiteral("CheckBox"));
    auto* yes = new QPushButton(QString::fromUtf8("是(&Y)"));
    yes->setObjectName(QStringLiteral("YesButton"));
    yes->setDefault(true);
    auto* no = new QPushButton(QString::fromUtf8("否(&N)"));
    no->setObjectName(QStringLiteral("NoButton"));
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    column->addWidget(Label);
    column->addWidget(CheckBox);
    column->addLayout(buttons);
}
