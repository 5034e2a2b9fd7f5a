// TAboutDlg: the about box both programs show, with the caller's caption.
#pragma once
#include <QDialog>

class QLabel;

class TAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDlg(const QString& caption, QWidget* parent = nullptr);
    QLabel* ProgramLabel;
};
