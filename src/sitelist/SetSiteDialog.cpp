#include "sitelist/SetSiteDialog.h"

#include "sitelist/SiteMessages.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using sitelist::TSiteFields;

TSetSiteDlg::TSetSiteDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("SetSiteDlg");
    setWindowTitle("站台設定");
    AliasEdit = new QLineEdit(this);
    HostnameEdit = new QLineEdit(this);
    PortEdit = new QLineEdit(this);
    PortEdit->setMaxLength(5);
    Memo = new QPlainTextEdit(this);
    Memo->setTabChangesFocus(true);
    auto* form = new QFormLayout;
    form->addRow("站台名稱", AliasEdit);
    form->addRow("位址", HostnameEdit);
    form->addRow("通訊埠", PortEdit);
    form->addRow("備註", Memo);
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = buttons->addButton("確定", QDialogButtonBox::AcceptRole);
    CancelBtn = buttons->addButton("取消", QDialogButtonBox::RejectRole);
    OKBtn->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &TSetSiteDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(AliasEdit, &QLineEdit::textChanged, this, &TSetSiteDlg::AliasEditKeyDown);
    AliasEdit->installEventFilter(this);
}

void TSetSiteDlg::SetFields(const TSiteFields& site) {
    AliasEdit->setText(FromBig5(site.Alias));
    HostnameEdit->setText(FromBig5(site.Address));
    PortEdit->setText(FromBig5(site.Port));
    Memo->setPlainText(FromBig5(site.Remark));
}

bool TSetSiteDlg::Fields(TSiteFields& site, std::string& error) const {
    TSiteFields f;
    bool exact = ToBig5Exact(AliasEdit->text(), f.Alias);
    exact = ToBig5Exact(HostnameEdit->text(), f.Address) && exact;
    exact = ToBig5Exact(PortEdit->text(), f.Port) && exact;
    exact = ToBig5Exact(Memo->toPlainText(), f.Remark) && exact;
    f.Remark = sitelist::OneLineRemark(f.Remark);
    error = exact ? sitelist::CheckSiteFields(f) : sitelist::NoBig5Message();
    if (!error.empty()) return false;
    site = f;
    return true;
}

void TSetSiteDlg::FormShow() {
    AliasEdit->setFocus();
    AliasEdit->selectAll();
    AliasEditKeyDown();
}

void TSetSiteDlg::AliasEditKeyDown() {
    OKBtn->setEnabled(!AliasEdit->text().isEmpty());
}

// OK closes the dialog only with texts the site file can hold.
void TSetSiteDlg::OKBtnClick() {
    TSiteFields f;
    std::string error;
    if (!Fields(f, error)) {
        SiteError(this, error);
        return;
    }
    accept();
}

void TSetSiteDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

bool TSetSiteDlg::eventFilter(QObject* watched, QEvent* e) {
    if (watched == AliasEdit && (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease))
        AliasEditKeyDown();
    return QDialog::eventFilter(watched, e);
}
