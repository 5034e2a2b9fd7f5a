// TConnectDlg: the connect dialog. It starts as a copy of the toolbar's
// host and port boxes and the two connect options; on OK its values go back
// to them and the main window connects.
#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class TConnectDlg : public QDialog {
    Q_OBJECT
public:
    explicit TConnectDlg(QWidget* parent = nullptr);

    QComboBox* HostNameComboBox = nullptr;
    QLineEdit* PortEdit = nullptr;
    QCheckBox* ApplyDefaultCheckBox = nullptr;
    QCheckBox* DontLoginCheckBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};
