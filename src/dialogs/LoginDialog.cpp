#include "dialogs/LoginDialog.h"

#include "platform/CodePage.h"
#include "session/core/LoginText.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TLoginDlg::TLoginDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("LoginDlg");
    setWindowTitle("簽入字串");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setTabChangesFocus(true);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo);
    layout->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    resize(360, 240);
}

void TLoginDlg::SetLoginText(const std::string& text) {
    // The memo works in line feeds; the stored form knows CR LF.
    QString memo = win::Big5ToQString(session::LoginTextToMemo(text));
    memo.replace("\r\n", "\n");
    Memo->setPlainText(memo);
    Memo->moveCursor(QTextCursor::End);
}

std::string TLoginDlg::LoginText() const {
    QString memo = Memo->toPlainText();
    memo.replace("\n", "\r\n");
    return session::MemoToLoginText(win::QStringToBig5(memo));
}

std::optional<std::string> TLoginDlg::Edit(QWidget* parent, const std::string& text) {
    TLoginDlg dlg(parent);
    dlg.SetLoginText(text);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.LoginText();
}
