#include "dialogs/AccessKeyBoardIniDialog.h"

#include "dialogs/SiteList.h"
#include "platform/CodePage.h"
#include "session/core/ProfileEdit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TAccessKeyBoardIniDlg::TAccessKeyBoardIniDlg(const std::string& keysFile, QWidget* parent)
    : QDialog(parent) {
    setObjectName("AccessKeyBoardIniDlg");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ListBox = new QListWidget(this);
    ListBox->setObjectName("ListBox");
    Edit = new QLineEdit(this);
    Edit->setObjectName("Edit");
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    OKBtn->setEnabled(false);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox);
    layout->addWidget(Edit);
    layout->addLayout(buttons);
    for (const auto& name : session::ReadProfile(keysFile).Sections())
        AddMap(name);
    connect(Edit, &QLineEdit::textChanged, this,
            [this](const QString& t) { OKBtn->setEnabled(!t.isEmpty()); });
    connect(ListBox, &QListWidget::itemClicked, this, &TAccessKeyBoardIniDlg::ListClick);
    connect(ListBox, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        ListClick(item);
        if (OKBtn->isEnabled()) accept();
    });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TAccessKeyBoardIniDlg::MapName() const {
    if (!FChosenText.isEmpty() && Edit->text() == FChosenText) return FChosenBytes;
    return win::QStringToBig5(Edit->text());
}

int TAccessKeyBoardIniDlg::IndexOf(const std::string& name) const {
    return FindSiteItem(ListBox, name);
}

bool TAccessKeyBoardIniDlg::HasMap(const std::string& name) const {
    return IndexOf(name) >= 0;
}

void TAccessKeyBoardIniDlg::AddMap(const std::string& name) {
    if (!HasMap(name)) InsertSortedSiteItem(ListBox, name, win::Big5ToQString(name));
}

void TAccessKeyBoardIniDlg::SelectMap(const std::string& name) {
    int i = IndexOf(name);
    if (i >= 0) ListBox->setCurrentRow(i);
    FChosenBytes = name;
    FChosenText = win::Big5ToQString(name);
    Edit->setText(FChosenText);
}

void TAccessKeyBoardIniDlg::ListClick(QListWidgetItem* item) {
    if (!item) return;
    FChosenBytes = SiteItemBytes(item);
    FChosenText = item->text();
    Edit->setText(FChosenText);
    Edit->setFocus();
}
