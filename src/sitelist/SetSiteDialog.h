// TSetSiteDlg: the site dialog ("站台設定") the main window fills and reads.
#pragma once
#include "sitelist/core/SiteLines.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TSetSiteDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSetSiteDlg(QWidget* parent = nullptr);

    // Fills the fields from a site (Big5).
    void SetFields(const sitelist::TSiteFields& site);
    // The fields as they can be stored; an error message (UTF-8) instead
    // when some text cannot be (a ";" or a line break, no Big5 form). The
    // remark's line breaks become blanks.
    bool Fields(sitelist::TSiteFields& site, std::string& error) const;

    QLineEdit* AliasEdit;
    QLineEdit* HostnameEdit;
    QLineEdit* PortEdit;
    QPlainTextEdit* Memo;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    void FormShow();
    void AliasEditKeyDown();
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
};
