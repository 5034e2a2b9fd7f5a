// The script dialog: chooses the script file to run and keeps the history
// of the last 30 files in [Script] of the settings file. File names are the
// file system's bytes; the box shows them in the file system's encoding.
#pragma once
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

class TScriptDlg : public QDialog {
public:
    // settingsFile: Brannoc.ini; openFileName: the main window's open-dialog
    // file name, which the dialog shows and the open button sets.
    TScriptDlg(std::string settingsFile, std::string& openFileName, QWidget* parent = nullptr);
    // Writes the history (FormDestroy).
    ~TScriptDlg() override;

    QComboBox* ScriptComboBox = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* OpenBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    QPushButton* EditBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    std::vector<std::string> History; // most recent first

    // Starts the editor (program, one argument); false with *error when it
    // could not start. Unset: nothing starts.
    std::function<bool(const std::string&, const std::vector<std::string>&, std::string*)>
        StartProgram;
    // The confirmation of the clear button (true = OK); unset asks the user.
    std::function<bool()> ConfirmClear;

    void FormShow();
    void ScriptComboBoxChange();
    void OpenBtnClick();
    void ClearBtnClick();
    void EditBtnClick();
    // The combo box's text as file-system bytes, and back.
    std::string FileName() const;
    void SetFileName(const std::string& name);
    // Writes the history in one replacement of [Script]; false (the write
    // error shown once) when the file could not be written.
    bool SaveHistory();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FillDropDown();
    std::string FSettingsFile;
    std::string& FOpenFileName;
    bool FHistoryReadable = true; // an unreadable settings file is never rewritten
};
