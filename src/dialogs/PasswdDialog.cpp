// The password question, its prompt and the message boxes the address book
// dialogs share.
#include "dialogs/PasswdDialog.h"

#include "platform/CodePage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TPasswdDlg::TPasswdDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("PasswdDlg");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Edit = new QLineEdit(this);
    Edit->setObjectName("Edit");
    Edit->setMaxLength(30);
    Edit->setEchoMode(QLineEdit::Password);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit);
    layout->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::string> TPasswdDlgPrompt::Ask(const std::string& caption,
                                                 const std::string& label) {
    TPasswdDlg dlg(FParent);
    dlg.setWindowTitle(QString::fromStdString(caption));
    dlg.Label1->setText(QString::fromStdString(label));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return win::QStringToBig5(dlg.Edit->text());
}

void TPasswdDlgPrompt::Error(const std::string& text) {
    ShowErrorBox(FParent, QString::fromStdString(text));
}

static void ShowOkBox(QMessageBox::Icon icon, QWidget* parent, const QString& text) {
    QMessageBox box(icon, QString(), text, QMessageBox::Ok, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    ShowOkBox(QMessageBox::Critical, parent, text);
}

void ShowWarningBox(QWidget* parent, const QString& text) {
    ShowOkBox(QMessageBox::Warning, parent, text);
}

void ShowInfoBox(QWidget* parent, const QString& text) {
    ShowOkBox(QMessageBox::Information, parent, text);
}

bool ConfirmBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}
