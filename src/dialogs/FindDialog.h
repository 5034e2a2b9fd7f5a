// The find window (TFForm, "尋找字串"): a stay-on-top tool window over the
// current session's rows. The scans and the search state are
// findtext::TFindState; this window holds the controls and runs the steps.
#pragma once
#include "session/core/FindText.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TFForm : public QDialog {
    Q_OBJECT
public:
    explicit TFForm(QWidget* owner);
    ~TFForm() override;

    QLabel* FindLabel = nullptr;
    QComboBox* FindComboBox = nullptr;
    QGroupBox* DirectionRadioGroup = nullptr;
    QRadioButton* UpRadio = nullptr;   // item 0
    QRadioButton* DownRadio = nullptr; // item 1
    QCheckBox* CaseCheckBox = nullptr;
    QPushButton* FindNextBtn = nullptr;
    QPushButton* ResetBtn = nullptr;

    findtext::TFindState State;

    // The current session's rows, or nullptr when there is none.
    std::function<findtext::TFindRows*()> CurrentRows;
    // Told when a search found nothing (default: the "找不到" box).
    std::function<void(const QString& text)> OnNotFound;
    // Told the settings at destruction, to be written to [Find].
    std::function<void(const findtext::TFindSettings&)> OnSave;

    // Reads [Find] into the controls and the position (FormCreate); without a
    // stored place the window's bottom-right corner goes on the owner's.
    void Load(const findtext::TFindSettings& s, const QRect& ownerFrame);
    findtext::TFindSettings Settings() const;

    int Direction() const;          // DirectionRadioGroup's ItemIndex
    std::string SearchText() const; // the combo's text as Big5
    // The per-run drop-down list, Big5, most recent first.
    std::vector<std::string> History() const;

    void FindNextBtnClick();
    void ResetBtnClick();
    void FindComboBoxChange();

protected:
    void showEvent(QShowEvent* e) override;
};
