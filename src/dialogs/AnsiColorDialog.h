// TAnsiColorDlg: the modeless colour composer. It builds SGR sequences from
// its head choice, attributes and colours and hands them to its owner to
// type into the current session; its head choice and control letter follow
// the owner's two ANSI menus and back.
#pragma once
#include "session/core/ColorComposer.h"

#include <QDialog>
#include <QGroupBox>

#include <array>
#include <functional>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A titled group of radio buttons with an item index, -1 = none chosen.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns,
                QWidget* parent = nullptr);
    int ItemIndex() const;
    void SetItemIndex(int index); // no click notice
    QAbstractButton* Item(int index) const;
    std::function<void()> OnClick; // a user's choice

private:
    QButtonGroup* FButtons;
};

class TAnsiColorDlg : public QDialog {
    Q_OBJECT
public:
    // head: the menus' mode (0 escape, 1 control letter, 2 none); letter:
    // the control letter the menus show.
    TAnsiColorDlg(int head, const QString& letter, QWidget* parent = nullptr);

    TRadioGroup* HeadKeyRadioGroup = nullptr;
    QLineEdit* AnsiCtrlMaskEdit = nullptr;
    QCheckBox* HighLightCheckBox = nullptr;
    QCheckBox* UnderlineCheckBox = nullptr;
    QCheckBox* FlashCheckBox = nullptr;
    QCheckBox* InverseCheckBox = nullptr;
    TRadioGroup* TextRadioGroup = nullptr;
    TRadioGroup* BackRadioGroup = nullptr;
    std::array<QLabel*, 8> Swatches{};
    QPushButton* AllButton = nullptr;
    QPushButton* TextButton = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* NormalButton = nullptr;

    // The choice the controls show.
    session::TColorChoice Choice() const;
    std::string BuildCode(session::TColorPart part) const;

    // Owner's side: typing a code, the menus following the head and the
    // letter, and the close box.
    std::function<void(const std::string& code)> OnSendCode;
    std::function<void(int head)> OnHeadChange;
    std::function<void(char letter)> OnLetterChange;
    std::function<void()> OnFormClose;

    void HeadKeyRadioGroupClick();
    void AnsiCtrlMaskEditChange();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void SendCode(const std::string& code);
};
