#include "dialogs/ConnectDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TConnectDlg::TConnectDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ConnectDlg"));
    setWindowTitle(QString::fromUtf8("連線"));
    HostNameComboBox = new QComboBox(this);
    HostNameComboBox->setObjectName(QStringLiteral("HostNameComboBox"));
    HostNameComboBox->setEditable(true);
    HostNameComboBox->setInsertPolicy(QComboBox::NoInsert);
    HostNameComboBox->setMinimumWidth(220);
    PortEdit = new QLineEdit(this);
    PortEdit->setObjectName(QStringLiteral("PortEdit"));
    PortEdit->setMaxLength(5);
    ApplyDefaultCheckBox = new QCheckBox(QString::fromUtf8("連線時套用預設值(&D)"), this);
    ApplyDefaultCheckBox->setObjectName(QStringLiteral("ApplyDefaultCheckBox"));
    DontLoginCheckBox = new QCheckBox(QString::fromUtf8("不使用自動簽入(&L)"), this);
    DontLoginCheckBox->setObjectName(QStringLiteral("DontLoginCheckBox"));
    OKBtn = new QPushButton(QString::fromUtf8("確定(&O)"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QString::fromUtf8("取消(&C)"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    auto* host = new QLabel(QString::fromUtf8("主機(&H)"), this);
    host->setBuddy(HostNameComboBox);
    form->addRow(host, HostNameComboBox);
    auto* port = new QLabel(QString::fromUtf8("埠(&P)"), this);
    port->setBuddy(PortEdit);
    form->addRow(port, PortEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(ApplyDefaultCheckBox);
    column->addWidget(DontLoginCheckBox);
    column->addLayout(buttons);
}
