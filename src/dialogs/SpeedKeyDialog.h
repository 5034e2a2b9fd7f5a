// TSpeedKeyDlg ("快速鍵編輯"): edits the labels and key strings of all five
// speed-key groups, one group per tab, and writes the five groups back to
// the main settings file in one write.
#pragma once
#include "session/core/SpeedKeys.h"

#include <QDialog>

#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

class TSpeedKeyDlg : public QDialog {
    Q_OBJECT
public:
    // settingsFile: the main settings file; group: the main window's group.
    TSpeedKeyDlg(std::string settingsFile, int group, QWidget* parent = nullptr);

    QTabBar* KeyGroupTabControl = nullptr;
    QLabel* AlignLabel1 = nullptr; // hidden: the columns line up to them
    QLabel* AlignLabel2 = nullptr;
    QLabel* ClearLabelLabel = nullptr;
    QLabel* ClearKeyLabel = nullptr;
    std::array<QLineEdit*, session::SpeedKeyCount> LabelEdits{};
    std::array<QLineEdit*, session::SpeedKeyCount> KeyEdits{};
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The row (0..11) to focus when the dialog shows; -1 = none.
    int FocusRowOnShow = -1;
    // The five groups as edited so far (the shown tab up to its last store).
    const session::TSpeedTable& Table() const { return FTable; }
    // The group shown (1..5).
    int ShownGroup() const { return FShown; }

    void FormActivate();
    void KeyGroupTabControlChange(int index);
    // Stores the shown tab and writes the five groups; false (the message
    // shown once) when the file cannot be written. Accepts on success.
    bool OKBtnClick();
    void ClearLabelLabelClick();
    void ClearKeyLabelClick();
    // F1..F12 (with Ctrl: the key edit) and Alt+1..5; true when handled.
    bool FormKeyDown(int key, Qt::KeyboardModifiers shift);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void StoreShown();
    void ShowGroup(int group);
    void FocusRow(int row, bool keyEdit);

    std::string FFileName;
    int FMainGroup;
    int FShown = 1;
    bool FActivated = false;
    session::TSpeedTable FTable;
};
