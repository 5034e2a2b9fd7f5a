// Picks or names a keyboard map: the sorted map names of Keys.ini, an edit
// box for the name, OK while the box is not empty. The caller sets the
// caption ("載入", "儲存").
#pragma once
#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class TAccessKeyBoardIniDlg : public QDialog {
    Q_OBJECT
public:
    // keysFile: the keyboard-map file whose sections are listed.
    TAccessKeyBoardIniDlg(const std::string& keysFile, QWidget* parent = nullptr);

    // The name in the edit box, as Big5 bytes.
    std::string MapName() const;
    // Puts a name in the box and selects it in the list when it is there.
    void SelectMap(const std::string& name);
    // True when the list holds the name (letter case ignored).
    bool HasMap(const std::string& name) const;
    void AddMap(const std::string& name);

    QListWidget* ListBox = nullptr;
    QLineEdit* Edit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void ListClick(QListWidgetItem* item);
    int IndexOf(const std::string& name) const;
    // The bytes of the entry last copied into the box, kept as they are
    // while the box shows that entry.
    std::string FChosenBytes;
    QString FChosenText;
};
