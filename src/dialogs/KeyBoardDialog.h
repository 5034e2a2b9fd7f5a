// The keyboard-map editor: an on-screen keyboard whose buttons pick a key,
// an edit box for the key's string in caret notation, and Load, Save, OK
// and Cancel. It edits a scratch copy of one map in a private temporary
// file (`KV` + number + ".ini", section "\xFF" "temp") and stores it into
// Keys.ini on Save and OK, then rebuilds the key tables of the sessions
// that use the map.
#pragma once
#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class TAccessKeyBoardIniDlg;

// What the editor needs of the main window.
class TKeyBoardHost {
public:
    virtual ~TKeyBoardHost() = default;
    // Rebuilds the key table of every session whose map is `map` (letter
    // case ignored) from keys; returns how many of them had more than 64
    // keys to take.
    virtual int RebuildKeyTables(const std::string& map,
                                 const std::vector<std::pair<std::string, std::string>>& keys) = 0;
    // A map saved under a new name (the address book lists it).
    virtual void KeyMapAdded(const std::string& map) = 0;
};

class TKeyBoardDlg : public QDialog {
    Q_OBJECT
public:
    // keysFile: the full path of Keys.ini; mapName: the map to edit;
    // tempFolder: where the scratch file goes (ends in "/").
    TKeyBoardDlg(TKeyBoardHost& host, std::string keysFile, std::string mapName,
                 const std::string& tempFolder, QWidget* parent = nullptr);
    ~TKeyBoardDlg() override;

    // The key name of a key button with the present marker states.
    std::string MakeKeyName(QPushButton* button) const;
    // The scratch section := the keys of map.
    void CopyMapToTemp(const std::string& map);
    // Keys.ini's map := the scratch section; then the sessions' tables.
    void ApplyKeyMap(const std::string& map);

    const std::string& MapName() const { return FMapName; }
    const std::string& TempFileName() const { return FTempFile; }
    const std::string& KeyName() const { return FKeyName; }
    // The key button with the given scan code and extended flag, or null.
    QPushButton* KeyButton(int scan, bool extended) const;
    bool NumOn() const { return FNum; }
    bool ShiftOn() const { return FShift; }
    bool CtrlOn() const { return FCtrl; }

    QLabel* NumStaticText = nullptr;
    QLabel* ShiftStaticText = nullptr;
    QLabel* CtrlStaticText = nullptr;
    QPushButton* NumBtn = nullptr;
    QPushButton* ShiftBtn1 = nullptr;
    QPushButton* ShiftBtn2 = nullptr;
    QPushButton* CrtlBtn1 = nullptr;
    QPushButton* CrtlBtn2 = nullptr;
    QLineEdit* KeyEdit = nullptr;
    QPushButton* ChangeBtn = nullptr;
    QPushButton* LoadBtn = nullptr;
    QPushButton* SaveBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QLabel* HintLabel = nullptr;
    TAccessKeyBoardIniDlg* AccessDlg = nullptr;

    void KeyClick(QPushButton* button);
    void ChangeClick();
    void LoadClick();
    void SaveClick();
    void OKClick();
    void NumClick();
    void ShiftClick();
    void CtrlClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildKeyboard();
    void Deselect();
    void SetCaption();
    void PaintMarkers();
    std::string TempValue(const std::string& keyName) const;
    // Changes the scratch section in one write; false (after the error box)
    // when it could not be written.
    template <class F> bool EditTemp(F&& change);
    void ShowWriteError(const std::string& path);

    TKeyBoardHost& FHost;
    std::string FKeysFile;
    std::string FMapName;
    std::string FKeyName;
    std::string FTempFile;
    QPushButton* FSelected = nullptr;
    bool FNum = false, FShift = false, FCtrl = false;
    std::vector<QPushButton*> FKeys;
};
