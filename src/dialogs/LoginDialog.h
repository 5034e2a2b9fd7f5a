// The login-text editor "簽入字串": one line of the login text a row.
#pragma once
#include <QDialog>

#include <optional>
#include <string>

class QPlainTextEdit;
class QPushButton;

class TLoginDlg : public QDialog {
    Q_OBJECT
public:
    explicit TLoginDlg(QWidget* parent = nullptr);

    // Shows the stored login text (Big5, lines joined by "^M").
    void SetLoginText(const std::string& text);
    // The memo's text in the stored form.
    std::string LoginText() const;

    // Runs the editor on a login text: the new text on OK, nullopt on
    // Cancel (also Esc in the memo).
    static std::optional<std::string> Edit(QWidget* parent, const std::string& text);

    QPlainTextEdit* Memo = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};
