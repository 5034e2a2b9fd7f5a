#include "dialogs/MoveToDialog.h"

#include "dialogs/DialogButtons.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TMoveToDlg::TMoveToDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MoveToDlg"));
    setWindowTitle(QString::fromUtf8("所有連線移至..."));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    XSpinEdit = new QSpinBox(this);
    XSpinEdit->setObjectName(QStringLiteral("XSpinEdit"));
    YSpinEdit = new QSpinBox(this);
    YSpinEdit->setObjectName(QStringLiteral("YSpinEdit"));
    auto* form = new QFormLayout;
    for (auto [spin, caption] : {std::pair{XSpinEdit, "&X:"}, std::pair{YSpinEdit, "&Y:"}}) {
        spin->setRange(0, 2000);
        spin->setValue(0);
        spin->installEventFilter(this);
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(spin);
        form->addRow(label, spin);
    }
    QHBoxLayout* buttons = dialogs::OkCancelRow(this, OKBtn, CancelBtn);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(buttons);
}

bool TMoveToDlg::XSpinEditKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        accept();
        return true;
    }
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    return false;
}

bool TMoveToDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && (watched == XSpinEdit || watched == YSpinEdit))
        if (XSpinEditKeyDown(static_cast<QKeyEvent*>(e)->key())) return true;
    return QDialog::eventFilter(watched, e);
}
