// The directory password question (TPasswdDlg) and the prompt that the
// password rule (session/core/SitePassword.h) asks through.
#pragma once
#include "session/core/SitePassword.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TPasswdDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswdDlg(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit = nullptr; // at most 30 characters, shown as "*"
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

// Asks with a TPasswdDlg and shows errors as error boxes; parent is the
// window the questions belong to.
class TPasswdDlgPrompt : public session::TPasswordPrompt {
public:
    explicit TPasswdDlgPrompt(QWidget* parent) : FParent(parent) {}
    std::optional<std::string> Ask(const std::string& caption, const std::string& label) override;
    void Error(const std::string& text) override;

private:
    QWidget* FParent;
};

// An error box with one OK button (UTF-8 text), above stay-on-top windows.
void ShowErrorBox(QWidget* parent, const QString& text);
void ShowWarningBox(QWidget* parent, const QString& text);
void ShowInfoBox(QWidget* parent, const QString& text);
// A confirmation with OK and Cancel; true for OK.
bool ConfirmBox(QWidget* parent, const QString& text);
