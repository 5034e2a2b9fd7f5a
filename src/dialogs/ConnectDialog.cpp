#include "dialogs/ConnectDialog.h"

#include "dialogs/DialogButtons.h"

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

    auto* form = new QFormLayout;
    auto* host = new QLabel(QString::fromUtf8("主機(&H)"), this);
    host->setBuddy(HostNameComboBox);
    form->addRow(host, HostNameComboBox);
    auto* port = new QLabel(QString::fromUtf8("埠(&P)"), this);
    port->setBuddy(PortEdit);
    form->addRow(port, PortEdit);
    QHBoxLayout* buttons = dialogs::OkCancelRow(this, OKBtn, CancelBtn);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(ApplyDefaultCheckBox);
    column->addWidget(DontLoginCheckBox);
    column->addLayout(buttons);
}
