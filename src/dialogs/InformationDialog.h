// A question with a "do not ask again" check box and Yes/No buttons.
#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;

class TInformationDlg : public QDialog {
    Q_OBJECT
public:
    TInformationDlg(const QString& text, const QString& checkText, QWidget* parent = nullptr);
    QLabel* Label;
    QCheckBox* CheckBox;
};
