// TMoveToDlg ("所有連線移至..."): asks for the place every session window
// moves to. Enter in either spin box confirms, Esc cancels.
#pragma once
#include <QDialog>

class QPushButton;
class QSpinBox;

class TMoveToDlg : public QDialog {
    Q_OBJECT
public:
    explicit TMoveToDlg(QWidget* parent = nullptr);

    QSpinBox* XSpinEdit = nullptr;
    QSpinBox* YSpinEdit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // Shared key-down of both spin boxes; true when it closed the dialog.
    bool XSpinEditKeyDown(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};
