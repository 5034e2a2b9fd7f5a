// The preferences dialog (TPreferenceDlg): eight tabs over the main
// window's settings. Controls are bound to settings fields through one
// binder table that loads and stores in one place; the enabling rules and
// palette defaults are prefs:: (session/core/Preferences.h).
#pragma once
#include "dialogs/AnsiColorDialog.h" // TRadioGroup
#include "session/core/MainSettings.h"
#include "session/core/Preferences.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QVBoxLayout;

// A colour swatch that can be clicked (0x00BBGGRR colour).
class TSwatch : public QLabel {
    Q_OBJECT
public:
    explicit TSwatch(QWidget* parent, const QString& text = QString());
    TColor Color() const { return FColor; }
    void SetColor(TColor c);
    // Shows the button face without changing Color.
    void ShowFace(bool face);
    std::function<void()> OnClick;

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    TColor FColor = 0;
};

class TPreferenceDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPreferenceDlg(QWidget* parent = nullptr);

    QTabWidget* PageControl = nullptr;

    // 設定
    QSpinBox* MaxHostNoSpinEdit = nullptr;
    QSpinBox* MaxBufferRowsSpinEdit = nullptr;
    TRadioGroup* CRLFRadioGroup = nullptr;
    QSpinBox* DelayIntervalSpinEdit = nullptr;
    QCheckBox *ClearCaptionCheckBox = nullptr, *ShowIDCheckBox = nullptr,
              *CopyMarkCheckBox = nullptr, *RightBtnCopyCheckBox = nullptr,
              *QPDecodeCheckBox = nullptr, *DisconnectQueryCheckBox = nullptr,
              *RemoveCheckBox = nullptr, *ReConnectCheckBox = nullptr, *MagneticCheckBox = nullptr,
              *MaxCheckBox = nullptr, *FocusCheckBox = nullptr;
    QLineEdit* BrowserFilenameEdit = nullptr;
    QToolButton* BrowserSpeedBtn = nullptr;
    QPushButton *ClearHostButton = nullptr, *ClearBufferButton = nullptr;

    // 字型
    QCheckBox* ApplyFontCheckBox = nullptr;
    QGroupBox* FontGroupBox = nullptr;
    QPushButton* FontHotBitBtn = nullptr;
    QLabel *FontStaticText = nullptr, *FontSizeStaticText = nullptr;
    QSpinBox* SpaceVSpinEdit = nullptr;

    // 背景
    QCheckBox* ApplyPictureCheckBox = nullptr;
    QGroupBox* PictureGroupBox = nullptr;
    QCheckBox* PictureCheckBox = nullptr;
    QLabel *PictureLabel = nullptr, *PictureFileLabel = nullptr, *PictureStaticText = nullptr;
    QToolButton* OpenSpeedButton = nullptr;
    QComboBox* PictureStyleComboBox = nullptr;
    QGroupBox* TransparentGroupBox = nullptr;
    QCheckBox* TransparentCheckBox = nullptr;
    QGroupBox* ColorGroupBox = nullptr;
    QWidget* TransparencyPanel = nullptr;
    QLabel *TransparencyLabel1 = nullptr, *TransparencyLabel2 = nullptr;
    QLineEdit* TransparencyEdit = nullptr;
    TSwatch* ColorStaticText = nullptr;
    TColor TintColor = 0;

    // 顏色
    QGroupBox* TextGroupBox = nullptr;
    std::array<QRadioButton*, 16> PaletteRadios{};
    std::array<QLabel*, 16> PaletteLabels{};
    TSwatch *TextForegroundSText = nullptr, *TextBackgroundSText = nullptr;
    QToolButton *DefaultNormalSpeedButton = nullptr, *DefaultHighlightSpeedButton = nullptr;
    TSwatch *HttpHyperlinkSText = nullptr, *FtpHyperlinkSText = nullptr,
            *EmailHyperlinkSText = nullptr;

    // 全形
    QCheckBox *PunctuationCheckBox = nullptr, *Big5BackSpaceCheckBox = nullptr,
              *Big5DeleteCheckBox = nullptr, *Big5ArrowCheckBox = nullptr;

    // 音效
    QCheckBox* BeepCheckBox = nullptr;
    TRadioGroup* BeepRadioGroup = nullptr;
    QLabel *SoundLabel = nullptr, *SoundStaticText = nullptr;
    QToolButton *SoundSpeedBtn = nullptr, *PlaySpeedBtn = nullptr, *ClearSpeedBtn = nullptr;
    QSpinBox* BeepSpinEdit = nullptr; // seconds
    QCheckBox* FlashCheckBox = nullptr;

    // 游標
    TRadioGroup* CaretTypeRadioGroup = nullptr;
    QLabel* CaretHeightLabel = nullptr;
    QSpinBox* CaretHeightSpinEdit = nullptr;
    QLabel *CaretImageLabel = nullptr, *CaretImageSText = nullptr;
    QToolButton* CaretImageButton = nullptr;

    // 下載
    TRadioGroup* DownloadMethodRadioGroup = nullptr;
    QLabel *FTPLabel = nullptr, *FtpSText = nullptr, *DownloadDirLabel = nullptr;
    QToolButton* OpenBitBtn = nullptr;
    QLineEdit* DownloadDirEdit = nullptr;

    // What the dialog asks of its owner (all optional).
    std::function<bool(TColor& color)> ChooseColor;
    // filter in "Text|*.txt|All|*.*" form, start file; "" = cancelled.
    std::function<std::string(const std::string& filter, const std::string& start)> ChooseFile;
    std::function<std::string(const std::string& start)> ChoosePicture;
    std::function<bool(QFont& font)> ChooseFont;
    std::function<void(const std::string& file)> PlaySound;
    std::function<bool(const QString& text)> Confirm;
    std::function<bool()> HasSessions;
    std::function<void()> ClearHostHistory;
    std::function<void()> ClearAllBuffers;

    // Settings into the controls (and the beep, caret and download rules);
    // the two menu items travel with them.
    void Load(const TMainSettings& s, bool maxWhenConnection, bool focusWhenBeep);
    // The controls back into the settings.
    void Store(TMainSettings& s, bool& maxWhenConnection, bool& focusWhenBeep) const;

    // Entry i's colours.
    TColor Foreground(int i) const { return FFg[static_cast<std::size_t>(i)]; }
    TColor Background(int i) const { return FBg[static_cast<std::size_t>(i)]; }
    int CheckedEntry() const;

    // Handlers and rules.
    void FormActivate();
    void SelectEntry(int i);
    void TextForegroundComboColorChange();
    void TextBackgroundComboColorChange();
    void DefaultColors(bool highlight);
    void RunRules();
    void TransparentCheckBoxClick();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct TBinding {
        std::function<void(const TMainSettings&)> Load;
        std::function<void(TMainSettings&)> Store;
    };
    std::vector<TBinding> FBinder;
    void BindAll();
    void BuildGeneral();
    void BuildFont();
    void BuildBackground();
    void BuildColors();
    void BuildBig5();
    void BuildSound();
    void BuildCaret();
    void BuildDownload();
    void ShowEntry(int i);
    void SetFileLabel(QLabel* label, const std::string& full);
    void ShowFontText();

    std::array<TColor, 16> FFg{}, FBg{};
    QFont FFont;
    QVBoxLayout* FTransparentBox = nullptr;
    QVBoxLayout* FColorBox = nullptr;
    bool FActivated = false;
};
