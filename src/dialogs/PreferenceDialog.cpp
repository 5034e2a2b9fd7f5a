#include "dialogs/PreferenceDialog.h"

#include "platform/CodePage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr TColor kGrey = 0x808080, kBlack = 0, kRed = 0x0000FF;

QColor ToQColor(TColor c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// The text colour of a live control. Its children inherit the palette, so
// the disabled colours stay the system's: a disabled child still looks
// disabled inside a group given a colour.
void SetTextColor(QWidget* w, TColor c) {
    QPalette p = w->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(g, r, ToQColor(c));
    w->setPalette(p);
}

void SetWindowText(QWidget* w) {
    w->setPalette(QPalette());
}

const char* const kExeFilter = "Executable files (*.exe)|*.exe|All files (*.*)|*.*";
const char* const kSoundFilter = "Sound files (*.wav)|*.wav|All files (*.*)|*.*";

QSpinBox* Spin(QWidget* parent, const char* name, int lo, int hi) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    return s;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption) {
    auto* c = new QCheckBox(QString::fromUtf8(caption), parent);
    c->setObjectName(name);
    return c;
}

QToolButton* Tool(QWidget* parent, const char* name, const char* text, const char* hint = "") {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(text));
    b->setToolTip(QString::fromUtf8(hint));
    return b;
}

QLabel* Label(QWidget* parent, const char* name, const char* caption) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(name);
    return l;
}

} // namespace

// ---- TSwatch ---------------------------------------------------------

TSwatch::TSwatch(QWidget* parent, const QString& text) : QLabel(text, parent) {
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumSize(48, 20);
    setAlignment(Qt::AlignCenter);
    SetColor(0);
}

void TSwatch::SetColor(TColor c) {
    FColor = c;
    ShowFace(false);
}

void TSwatch::ShowFace(bool face) {
    QPalette p = palette();
    p.setColor(QPalette::Window, face ? QPalette().color(QPalette::Button) : ToQColor(FColor));
    setPalette(p);
}

void TSwatch::mousePressEvent(QMouseEvent* e) {
    QLabel::mousePressEvent(e);
    if (e->button() == Qt::LeftButton && isEnabled() && OnClick) OnClick();
}

// ---- Building ---------------------------------------------------------------------

TPreferenceDlg::TPreferenceDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("PreferenceDlg");
    setWindowTitle(QString::fromUtf8("偏好設定"));
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    BuildGeneral();
    BuildFont();
    BuildBackground();
    BuildColors();
    BuildBig5();
    BuildSound();
    BuildCaret();
    BuildDownload();
    // Every tab's caption shows at once: no tab hides behind scroll arrows.
    PageControl->setMinimumWidth(PageControl->tabBar()->sizeHint().width() + 16);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OKBtn");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("CancelBtn");
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("確定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* l = new QVBoxLayout(this);
    l->addWidget(PageControl);
    l->addWidget(buttons);
    BindAll();
}

void TPreferenceDlg::BuildGeneral() {
    auto* page = new QWidget;
    MaxHostNoSpinEdit = Spin(page, "MaxHostNoSpinEdit", 0, 100);
    MaxBufferRowsSpinEdit = Spin(page, "MaxBufferRowsSpinEdit", 25, 100000);
    DelayIntervalSpinEdit = Spin(page, "DelayIntervalSpinEdit", 0, 10000);
    // Item i is the stored value i: 0 CR, 1 LF, 2 CR LF.
    CRLFRadioGroup = new TRadioGroup(
        QString::fromUtf8("Enter 鍵送出"),
        {QStringLiteral("CR"), QStringLiteral("LF"), QStringLiteral("CR LF")}, 1, page);
    CRLFRadioGroup->setObjectName("CRLFRadioGroup");
    ClearCaptionCheckBox = Check(page, "ClearCaptionCheckBox", "工具列按鈕不顯示文字");
    ShowIDCheckBox = Check(page, "ShowIDCheckBox", "顯示連線編號");
    CopyMarkCheckBox = Check(page, "CopyMarkCheckBox", "選取即複製");
    RightBtnCopyCheckBox = Check(page, "RightBtnCopyCheckBox", "滑鼠右鍵複製/貼上");
    QPDecodeCheckBox = Check(page, "QPDecodeCheckBox", "QP 解碼");
    DisconnectQueryCheckBox = Check(page, "DisconnectQueryCheckBox", "斷線前詢問");
    RemoveCheckBox = Check(page, "RemoveCheckBox", "斷線後移除");
    ReConnectCheckBox = Check(page, "ReConnectCheckBox", "斷線後重新連線");
    MagneticCheckBox = Check(page, "MagneticCheckBox", "磁性視窗");
    MaxCheckBox = Check(page, "MaxCheckBox", "連線時最大化");
    FocusCheckBox = Check(page, "FocusCheckBox", "嗶聲時切換到該連線");
    BrowserFilenameEdit = new QLineEdit(page);
    BrowserFilenameEdit->setObjectName("BrowserFilenameEdit");
    BrowserSpeedBtn = Tool(page, "BrowserSpeedBtn", "...");
    ClearHostButton = new QPushButton(QString::fromUtf8("清除主機紀錄"), page);
    ClearHostButton->setObjectName("ClearHostButton");
    ClearBufferButton = new QPushButton(QString::fromUtf8("清除所有緩衝區"), page);
    ClearBufferButton->setObjectName("ClearBufferButton");

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("主機紀錄數"), MaxHostNoSpinEdit);
    form->addRow(QString::fromUtf8("緩衝區列數"), MaxBufferRowsSpinEdit);
    form->addRow(QString::fromUtf8("送字間隔"), DelayIntervalSpinEdit);
    auto* browser = new QHBoxLayout;
    browser->addWidget(BrowserFilenameEdit);
    browser->addWidget(BrowserSpeedBtn);
    form->addRow(QString::fromUtf8("瀏覽器"), browser);
    auto* checks = new QGridLayout;
    QCheckBox* all[] = {ClearCaptionCheckBox, ShowIDCheckBox,    CopyMarkCheckBox,
                        RightBtnCopyCheckBox, QPDecodeCheckBox,  DisconnectQueryCheckBox,
                        RemoveCheckBox,       ReConnectCheckBox, MagneticCheckBox,
                        MaxCheckBox,          FocusCheckBox};
    for (int i = 0; i < 11; ++i)
        checks->addWidget(all[i], i / 2, i % 2);
    auto* clear = new QHBoxLayout;
    clear->addWidget(ClearHostButton);
    clear->addWidget(ClearBufferButton);
    auto* l = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    top->addLayout(form);
    top->addWidget(CRLFRadioGroup);
    l->addLayout(top);
    l->addLayout(checks);
    l->addLayout(clear);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("設定"));

    connect(RemoveCheckBox, &QCheckBox::toggled, this, [this](bool on) {
        if (on) ReConnectCheckBox->setChecked(false);
    });
    connect(ReConnectCheckBox, &QCheckBox::toggled, this, [this](bool on) {
        if (on) RemoveCheckBox->setChecked(false);
    });
    connect(BrowserSpeedBtn, &QToolButton::clicked, this, [this] {
        if (!ChooseFile) return;
        const std::string f =
            ChooseFile(kExeFilter, win::QStringToBig5(BrowserFilenameEdit->text()));
        if (!f.empty()) BrowserFilenameEdit->setText(win::Big5ToQString(f));
    });
    connect(ClearHostButton, &QPushButton::clicked, this, [this] {
        if (Confirm && !Confirm(QString::fromUtf8("你確定要清除嗎?"))) return;
        if (ClearHostHistory) ClearHostHistory();
    });
    connect(ClearBufferButton, &QPushButton::clicked, this, [this] {
        if (!HasSessions || !HasSessions()) return;
        if (Confirm && !Confirm(QString::fromUtf8("你確定要清除嗎?"))) return;
        if (ClearAllBuffers) ClearAllBuffers();
    });
}

void TPreferenceDlg::BuildFont() {
    auto* page = new QWidget;
    ApplyFontCheckBox = Check(page, "ApplyFontCheckBox", "字型套用到所有站台");
    FontGroupBox = new QGroupBox(QString::fromUtf8("字型"), page);
    FontGroupBox->setObjectName("FontGroupBox");
    FontHotBitBtn = new QPushButton(QString::fromUtf8("字型(&F)..."), FontGroupBox);
    FontHotBitBtn->setObjectName("FontHotBitBtn");
    FontStaticText = Label(FontGroupBox, "FontStaticText", "");
    FontSizeStaticText = Label(FontGroupBox, "FontSizeStaticText", "");
    SpaceVSpinEdit = Spin(FontGroupBox, "SpaceVSpinEdit", 0, 20);
    auto* g = new QFormLayout(FontGroupBox);
    g->addRow(QString::fromUtf8("字型名稱"), FontStaticText);
    g->addRow(QString::fromUtf8("大小"), FontSizeStaticText);
    g->addRow(QString::fromUtf8("行距"), SpaceVSpinEdit);
    g->addRow(QString(), FontHotBitBtn);
    auto* l = new QVBoxLayout(page);
    l->addWidget(ApplyFontCheckBox);
    l->addWidget(FontGroupBox);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("字型"));
    connect(ApplyFontCheckBox, &QCheckBox::toggled, this, [this] { RunRules(); });
    connect(FontHotBitBtn, &QPushButton::clicked, this, [this] {
        QFont f = FFont;
        if (ChooseFont && ChooseFont(f)) {
            FFont = f;
            ShowFontText();
        }
    });
}

void TPreferenceDlg::ShowFontText() {
    FontStaticText->setText(FFont.family());
    FontSizeStaticText->setText(QString::number(FFont.pointSize()));
}

void TPreferenceDlg::BuildBackground() {
    auto* page = new QWidget;
    ApplyPictureCheckBox = Check(page, "ApplyPictureCheckBox", "背景套用到所有站台");
    PictureGroupBox = new QGroupBox(QString::fromUtf8("背景圖"), page);
    PictureGroupBox->setObjectName("PictureGroupBox");
    PictureCheckBox = Check(PictureGroupBox, "PictureCheckBox", "使用背景圖");
    PictureLabel = Label(PictureGroupBox, "PictureLabel", "樣式");
    PictureStyleComboBox = new QComboBox(PictureGroupBox);
    PictureStyleComboBox->setObjectName("PictureStyleComboBox");
    for (const char* s : {"原圖置中", "原圖排列", "調整置中", "調整排列", "展開"})
        PictureStyleComboBox->addItem(QString::fromUtf8(s));
    PictureFileLabel = Label(PictureGroupBox, "PictureFileLabel", "檔案");
    PictureStaticText = Label(PictureGroupBox, "PictureStaticText", "");
    OpenSpeedButton = Tool(PictureGroupBox, "OpenSpeedButton", "...");
    auto* pg = new QGridLayout(PictureGroupBox);
    pg->addWidget(PictureCheckBox, 0, 0, 1, 3);
    pg->addWidget(PictureLabel, 1, 0);
    pg->addWidget(PictureStyleComboBox, 1, 1, 1, 2);
    pg->addWidget(PictureFileLabel, 2, 0);
    pg->addWidget(PictureStaticText, 2, 1);
    pg->addWidget(OpenSpeedButton, 2, 2);

    TransparentGroupBox = new QGroupBox(QString::fromUtf8("透明"), page);
    TransparentGroupBox->setObjectName("TransparentGroupBox");
    TransparentCheckBox = Check(TransparentGroupBox, "TransparentCheckBox", "透明背景");
    FTransparentBox = new QVBoxLayout(TransparentGroupBox);
    FTransparentBox->addWidget(TransparentCheckBox);

    ColorGroupBox = new QGroupBox(QString::fromUtf8("色調"), page);
    ColorGroupBox->setObjectName("ColorGroupBox");
    ColorStaticText = new TSwatch(ColorGroupBox);
    ColorStaticText->setObjectName("ColorStaticText");
    FColorBox = new QVBoxLayout(ColorGroupBox);
    FColorBox->addWidget(ColorStaticText);

    TransparencyPanel = new QWidget(page);
    TransparencyPanel->setObjectName("TransparencyPanel");
    TransparencyLabel1 = Label(TransparencyPanel, "TransparencyLabel1", "透明度(&R)");
    TransparencyEdit = new QLineEdit(TransparencyPanel);
    TransparencyEdit->setObjectName("TransparencyEdit");
    TransparencyEdit->setMaximumWidth(60);
    TransparencyLabel1->setBuddy(TransparencyEdit);
    TransparencyLabel2 = Label(TransparencyPanel, "TransparencyLabel2", "%");
    auto* tp = new QHBoxLayout(TransparencyPanel);
    tp->setContentsMargins(0, 0, 0, 0);
    tp->addWidget(TransparencyLabel1);
    tp->addWidget(TransparencyEdit);
    tp->addWidget(TransparencyLabel2);
    tp->addStretch();
    FColorBox->addWidget(TransparencyPanel);

    auto* l = new QVBoxLayout(page);
    l->addWidget(ApplyPictureCheckBox);
    l->addWidget(PictureGroupBox);
    auto* row = new QHBoxLayout;
    row->addWidget(TransparentGroupBox);
    row->addWidget(ColorGroupBox);
    l->addLayout(row);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("背景"));

    connect(ApplyPictureCheckBox, &QCheckBox::toggled, this, [this] { RunRules(); });
    connect(PictureCheckBox, &QCheckBox::toggled, this, [this] { RunRules(); });
    connect(TransparentCheckBox, &QCheckBox::toggled, this, [this] { TransparentCheckBoxClick(); });
    connect(OpenSpeedButton, &QToolButton::clicked, this, [this] {
        if (!ChoosePicture) return;
        const std::string f = ChoosePicture(win::QStringToBig5(PictureStaticText->toolTip()));
        if (!f.empty()) SetFileLabel(PictureStaticText, f);
    });
    ColorStaticText->OnClick = [this] {
        TColor c = ColorStaticText->Color();
        if (ChooseColor && ChooseColor(c)) {
            ColorStaticText->SetColor(c);
            TintColor = c;
        }
    };
}

void TPreferenceDlg::TransparentCheckBoxClick() {
    // The percentage panel sits in the group its meaning belongs to.
    QVBoxLayout* to = TransparentCheckBox->isChecked() ? FTransparentBox : FColorBox;
    QWidget* owner = TransparentCheckBox->isChecked() ? static_cast<QWidget*>(TransparentGroupBox)
                                                      : static_cast<QWidget*>(ColorGroupBox);
    if (TransparencyPanel->parentWidget() != owner) {
        TransparencyPanel->setParent(owner);
        to->addWidget(TransparencyPanel);
    }
    RunRules();
}

void TPreferenceDlg::BuildColors() {
    auto* page = new QWidget;
    TextGroupBox = new QGroupBox(QString::fromUtf8("文字顏色"), page);
    TextGroupBox->setObjectName("TextGroupBox");
    auto* grid = new QGridLayout(TextGroupBox);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 16; ++i) {
        auto* r = new QRadioButton(TextGroupBox);
        r->setObjectName(QStringLiteral("PaletteRadio%1").arg(i));
        r->setAutoFillBackground(true);
        r->setProperty("Tag", i);
        auto* label = new QLabel(QString::fromUtf8(prefs::PaletteCaption(i)), TextGroupBox);
        label->setObjectName(QStringLiteral("PaletteLabel%1").arg(i));
        label->setProperty("Tag", i);
        label->setBuddy(r);
        label->installEventFilter(this);
        PaletteRadios[static_cast<std::size_t>(i)] = r;
        PaletteLabels[static_cast<std::size_t>(i)] = label;
        group->addButton(r, i);
        const int col = i < 8 ? 0 : 2, row = i % 8;
        grid->addWidget(r, row, col);
        grid->addWidget(label, row, col + 1);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int i) { ShowEntry(i); });

    TextForegroundSText = new TSwatch(page);
    TextForegroundSText->setObjectName("TextForegroundSText");
    TextBackgroundSText = new TSwatch(page);
    TextBackgroundSText->setObjectName("TextBackgroundSText");
    DefaultNormalSpeedButton = Tool(page, "DefaultNormalSpeedButton", "正常", "設為預設值");
    DefaultHighlightSpeedButton = Tool(page, "DefaultHighlightSpeedButton", "高亮度", "設為預設值");
    HttpHyperlinkSText = new TSwatch(page, QStringLiteral("http"));
    HttpHyperlinkSText->setObjectName("HttpHyperlinkSText");
    FtpHyperlinkSText = new TSwatch(page, QStringLiteral("ftp"));
    FtpHyperlinkSText->setObjectName("FtpHyperlinkSText");
    EmailHyperlinkSText = new TSwatch(page, QStringLiteral("email"));
    EmailHyperlinkSText->setObjectName("EmailHyperlinkSText");

    auto* side = new QFormLayout;
    side->addRow(QString::fromUtf8("前景"), TextForegroundSText);
    side->addRow(QString::fromUtf8("背景"), TextBackgroundSText);
    auto* defaults = new QHBoxLayout;
    defaults->addWidget(DefaultNormalSpeedButton);
    defaults->addWidget(DefaultHighlightSpeedButton);
    side->addRow(QString::fromUtf8("預設"), defaults);
    auto* links = new QGroupBox(QString::fromUtf8("超連結"), page);
    auto* ll = new QHBoxLayout(links);
    ll->addWidget(HttpHyperlinkSText);
    ll->addWidget(FtpHyperlinkSText);
    ll->addWidget(EmailHyperlinkSText);
    auto* top = new QHBoxLayout;
    top->addWidget(TextGroupBox);
    top->addLayout(side);
    auto* l = new QVBoxLayout(page);
    l->addLayout(top);
    l->addWidget(links);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("顏色"));

    TextForegroundSText->OnClick = [this] { TextForegroundComboColorChange(); };
    TextBackgroundSText->OnClick = [this] { TextBackgroundComboColorChange(); };
    connect(DefaultNormalSpeedButton, &QToolButton::clicked, this,
            [this] { DefaultColors(false); });
    connect(DefaultHighlightSpeedButton, &QToolButton::clicked, this,
            [this] { DefaultColors(true); });
    for (TSwatch* s : {HttpHyperlinkSText, FtpHyperlinkSText, EmailHyperlinkSText})
        s->OnClick = [this, s] {
            TColor c = s->Color();
            if (ChooseColor && ChooseColor(c)) s->SetColor(c);
        };
}

void TPreferenceDlg::BuildBig5() {
    auto* page = new QWidget;
    PunctuationCheckBox = Check(page, "PunctuationCheckBox", "全形標點");
    Big5BackSpaceCheckBox = Check(page, "Big5BackSpaceCheckBox", "全形倒退鍵");
    Big5DeleteCheckBox = Check(page, "Big5DeleteCheckBox", "全形刪除鍵");
    Big5ArrowCheckBox = Check(page, "Big5ArrowCheckBox", "全形方向鍵");
    auto* l = new QVBoxLayout(page);
    for (QCheckBox* c :
         {PunctuationCheckBox, Big5BackSpaceCheckBox, Big5DeleteCheckBox, Big5ArrowCheckBox})
        l->addWidget(c);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("全形"));
}

void TPreferenceDlg::BuildSound() {
    auto* page = new QWidget;
    BeepCheckBox = Check(page, "BeepCheckBox", "嗶聲(&B)");
    BeepRadioGroup = new TRadioGroup(
        QString::fromUtf8("音源"),
        {QString::fromUtf8("揚聲器(&P)"), QString::fromUtf8("音效卡(&S)")}, 1, page);
    BeepRadioGroup->setObjectName("BeepRadioGroup");
    SoundLabel = Label(page, "SoundLabel", "音效檔");
    SoundStaticText = Label(page, "SoundStaticText", "");
    SoundSpeedBtn = Tool(page, "SoundSpeedBtn", "...");
    PlaySpeedBtn = Tool(page, "PlaySpeedBtn", "▶", "播放音效");
    ClearSpeedBtn = Tool(page, "ClearSpeedBtn", "×", "使用系統預設音效");
    BeepSpinEdit = Spin(page, "BeepSpinEdit", 0, 3600);
    FlashCheckBox = Check(page, "FlashCheckBox", "閃爍工作列");
    auto* sound = new QHBoxLayout;
    sound->addWidget(SoundLabel);
    sound->addWidget(SoundStaticText, 1);
    sound->addWidget(SoundSpeedBtn);
    sound->addWidget(PlaySpeedBtn);
    sound->addWidget(ClearSpeedBtn);
    auto* interval = new QFormLayout;
    interval->addRow(QString::fromUtf8("清除嗶聲秒數"), BeepSpinEdit);
    auto* l = new QVBoxLayout(page);
    l->addWidget(BeepCheckBox);
    l->addWidget(BeepRadioGroup);
    l->addLayout(sound);
    l->addLayout(interval);
    l->addWidget(FlashCheckBox);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("音效"));

    connect(BeepCheckBox, &QCheckBox::toggled, this, [this] { RunRules(); });
    BeepRadioGroup->OnClick = [this] { RunRules(); };
    connect(SoundSpeedBtn, &QToolButton::clicked, this, [this] {
        if (!ChooseFile) return;
        const std::string f =
            ChooseFile(kSoundFilter, win::QStringToBig5(SoundStaticText->toolTip()));
        if (!f.empty()) SetFileLabel(SoundStaticText, f);
    });
    connect(ClearSpeedBtn, &QToolButton::clicked, this, [this] {
        SoundStaticText->clear();
        SoundStaticText->setToolTip(QString());
    });
    connect(PlaySpeedBtn, &QToolButton::clicked, this, [this] {
        if (PlaySound) PlaySound(win::QStringToBig5(SoundStaticText->toolTip()));
    });
}

void TPreferenceDlg::BuildCaret() {
    auto* page = new QWidget;
    CaretTypeRadioGroup =
        new TRadioGroup(QString::fromUtf8("游標樣式"),
                        {QString::fromUtf8("方塊(&C)"), QString::fromUtf8("圖形(&P)")}, 1, page);
    CaretTypeRadioGroup->setObjectName("CaretTypeRadioGroup");
    CaretHeightLabel = Label(page, "CaretHeightLabel", "高度");
    CaretHeightSpinEdit = Spin(page, "CaretHeightSpinEdit", 1, 100);
    CaretImageLabel = Label(page, "CaretImageLabel", "圖檔");
    CaretImageSText = Label(page, "CaretImageSText", "");
    CaretImageButton = Tool(page, "CaretImageButton", "...");
    auto* g = new QGridLayout;
    g->addWidget(CaretHeightLabel, 0, 0);
    g->addWidget(CaretHeightSpinEdit, 0, 1);
    g->addWidget(CaretImageLabel, 1, 0);
    g->addWidget(CaretImageSText, 1, 1);
    g->addWidget(CaretImageButton, 1, 2);
    auto* l = new QVBoxLayout(page);
    l->addWidget(CaretTypeRadioGroup);
    l->addLayout(g);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("游標"));
    CaretTypeRadioGroup->OnClick = [this] { RunRules(); };
    connect(CaretImageButton, &QToolButton::clicked, this, [this] {
        if (!ChoosePicture) return;
        const std::string f = ChoosePicture(win::QStringToBig5(CaretImageSText->toolTip()));
        if (!f.empty()) SetFileLabel(CaretImageSText, f);
    });
}

void TPreferenceDlg::BuildDownload() {
    auto* page = new QWidget;
    DownloadMethodRadioGroup =
        new TRadioGroup(QString::fromUtf8("下載方式"),
                        {QString::fromUtf8("使用&FTP程式"), QString::fromUtf8("使用瀏覽器(&B)"),
                         QString::fromUtf8("複製&URL")},
                        1, page);
    DownloadMethodRadioGroup->setObjectName("DownloadMethodRadioGroup");
    FTPLabel = Label(page, "FTPLabel", "FTP 程式");
    FtpSText = Label(page, "FtpSText", "");
    OpenBitBtn = Tool(page, "OpenBitBtn", "...");
    DownloadDirLabel = Label(page, "DownloadDirLabel", "下載目錄");
    DownloadDirEdit = new QLineEdit(page);
    DownloadDirEdit->setObjectName("DownloadDirEdit");
    auto* g = new QGridLayout;
    g->addWidget(FTPLabel, 0, 0);
    g->addWidget(FtpSText, 0, 1);
    g->addWidget(OpenBitBtn, 0, 2);
    g->addWidget(DownloadDirLabel, 1, 0);
    g->addWidget(DownloadDirEdit, 1, 1, 1, 2);
    auto* l = new QVBoxLayout(page);
    l->addWidget(DownloadMethodRadioGroup);
    l->addLayout(g);
    l->addStretch();
    PageControl->addTab(page, QString::fromUtf8("下載"));
    DownloadMethodRadioGroup->OnClick = [this] { RunRules(); };
    connect(OpenBitBtn, &QToolButton::clicked, this, [this] {
        if (!ChooseFile) return;
        const std::string f = ChooseFile(kExeFilter, win::QStringToBig5(FtpSText->text()));
        if (!f.empty()) FtpSText->setText(win::Big5ToQString(f));
    });
}

void TPreferenceDlg::SetFileLabel(QLabel* label, const std::string& full) {
    const QString path = win::Big5ToQString(full);
    label->setToolTip(path);
    label->setText(QFileInfo(path).fileName());
}

// ---- The binder --------------------------------------------------------------------

namespace {

template <class T> using TField = T TMainSettings::*;

} // namespace

void TPreferenceDlg::BindAll() {
    auto spin = [this](QSpinBox* w, TField<int> f) {
        FBinder.push_back({[w, f](const TMainSettings& s) { w->setValue(s.*f); },
                           [w, f](TMainSettings& s) { s.*f = w->value(); }});
    };
    auto check = [this](QCheckBox* w, TField<bool> f) {
        FBinder.push_back({[w, f](const TMainSettings& s) { w->setChecked(s.*f); },
                           [w, f](TMainSettings& s) { s.*f = w->isChecked(); }});
    };
    auto radio = [this](TRadioGroup* w, TField<int> f) {
        FBinder.push_back({[w, f](const TMainSettings& s) { w->SetItemIndex(s.*f); },
                           [w, f](TMainSettings& s) {
                               if (w->ItemIndex() >= 0) s.*f = w->ItemIndex();
                           }});
    };
    auto edit = [this](QLineEdit* w, TField<std::string> f) {
        FBinder.push_back({[w, f](const TMainSettings& s) { w->setText(win::Big5ToQString(s.*f)); },
                           [w, f](TMainSettings& s) { s.*f = win::QStringToBig5(w->text()); }});
    };
    auto swatch = [this](TSwatch* w, TField<TColor> f) {
        FBinder.push_back({[w, f](const TMainSettings& s) { w->SetColor(s.*f); },
                           [w, f](TMainSettings& s) { s.*f = w->Color(); }});
    };
    // A file shown by its name, the full name in the hint.
    auto file = [this](QLabel* w, TField<std::string> f) {
        FBinder.push_back({[this, w, f](const TMainSettings& s) { SetFileLabel(w, s.*f); },
                           [w, f](TMainSettings& s) { s.*f = win::QStringToBig5(w->toolTip()); }});
    };

    spin(MaxHostNoSpinEdit, &TMainSettings::MaxHostNumber);
    spin(MaxBufferRowsSpinEdit, &TMainSettings::MaxBufferRows);
    radio(CRLFRadioGroup, &TMainSettings::CRLF);
    spin(DelayIntervalSpinEdit, &TMainSettings::DelayInterval);
    check(ClearCaptionCheckBox, &TMainSettings::Caption);
    check(ShowIDCheckBox, &TMainSettings::ShowID);
    check(CopyMarkCheckBox, &TMainSettings::CopyMark);
    check(RightBtnCopyCheckBox, &TMainSettings::RightBtnCopy);
    check(QPDecodeCheckBox, &TMainSettings::DecodeQP);
    check(DisconnectQueryCheckBox, &TMainSettings::DisconnectQuery);
    check(RemoveCheckBox, &TMainSettings::Remove);
    check(ReConnectCheckBox, &TMainSettings::ReConnect);
    check(MagneticCheckBox, &TMainSettings::Magnetic);
    edit(BrowserFilenameEdit, &TMainSettings::BrowserFilename);

    check(ApplyFontCheckBox, &TMainSettings::FontGlobal);
    spin(SpaceVSpinEdit, &TMainSettings::FontSpaceV);
    FBinder.push_back({[this](const TMainSettings& s) {
                           FFont = QFont(win::Big5ToQString(s.FontName));
                           FFont.setPointSize(std::clamp(s.FontSize, 1, 200));
                           FFont.setBold(s.FontBold);
                           FFont.setItalic(s.FontItalic);
                           ShowFontText();
                       },
                       [this](TMainSettings& s) {
                           s.FontName = win::QStringToBig5(FFont.family());
                           s.FontSize = FFont.pointSize();
                           s.FontBold = FFont.bold();
                           s.FontItalic = FFont.italic();
                       }});

    FBinder.push_back({[this](const TMainSettings& s) {
                           FFg = s.FgColors;
                           FBg = s.BgColors;
                           for (int i = 0; i < 16; ++i)
                               ShowEntry(-1 - i); // paint entry i without selecting it
                       },
                       [this](TMainSettings& s) {
                           s.FgColors = FFg;
                           s.BgColors = FBg;
                       }});
    swatch(HttpHyperlinkSText, &TMainSettings::WwwHyperlinkColor);
    swatch(FtpHyperlinkSText, &TMainSettings::FtpHyperlinkColor);
    swatch(EmailHyperlinkSText, &TMainSettings::EmailHyperlinkColor);

    check(ApplyPictureCheckBox, &TMainSettings::GlobalPicture);
    check(PictureCheckBox, &TMainSettings::Picture);
    file(PictureStaticText, &TMainSettings::PictureFilename);
    FBinder.push_back({[this](const TMainSettings& s) {
                           PictureStyleComboBox->setCurrentIndex(std::clamp(s.PictureStyle, 0, 4));
                       },
                       [this](TMainSettings& s) {
                           s.PictureStyle = std::max(0, PictureStyleComboBox->currentIndex());
                       }});
    check(TransparentCheckBox, &TMainSettings::Transparent);
    FBinder.push_back({[this](const TMainSettings& s) {
                           TransparencyEdit->setText(QString::number(s.Transparency));
                       },
                       [this](TMainSettings& s) {
                           s.Transparency =
                               prefs::ParseTransparency(TransparencyEdit->text().toStdString());
                       }});
    FBinder.push_back({[this](const TMainSettings& s) {
                           TintColor = s.Color;
                           ColorStaticText->SetColor(s.Color);
                       },
                       [this](TMainSettings& s) { s.Color = TintColor; }});

    check(PunctuationCheckBox, &TMainSettings::Punctuation);
    check(Big5BackSpaceCheckBox, &TMainSettings::Big5BackSpace);
    check(Big5DeleteCheckBox, &TMainSettings::Big5Delete);
    check(Big5ArrowCheckBox, &TMainSettings::Big5Arrow);

    FBinder.push_back({[this](const TMainSettings& s) {
                           BeepCheckBox->setChecked(prefs::BeepOn(s.BeepKind));
                           BeepRadioGroup->SetItemIndex(prefs::BeepSource(s.BeepKind));
                       },
                       [this](TMainSettings& s) {
                           s.BeepKind = prefs::BeepKind(BeepCheckBox->isChecked(),
                                                        BeepRadioGroup->ItemIndex(), s.BeepKind);
                       }});
    file(SoundStaticText, &TMainSettings::BeepFilename);
    FBinder.push_back(
        {[this](const TMainSettings& s) { BeepSpinEdit->setValue(s.ClearBeepInterval / 1000); },
         [this](TMainSettings& s) {
             // Stored in seconds: an unchanged value keeps its milliseconds.
             if (BeepSpinEdit->value() != s.ClearBeepInterval / 1000)
                 s.ClearBeepInterval = BeepSpinEdit->value() * 1000;
         }});
    check(FlashCheckBox, &TMainSettings::Flash);

    FBinder.push_back(
        {[this](const TMainSettings& s) { CaretTypeRadioGroup->SetItemIndex(s.CaretType ? 1 : 0); },
         [this](TMainSettings& s) { s.CaretType = CaretTypeRadioGroup->ItemIndex() == 1; }});
    spin(CaretHeightSpinEdit, &TMainSettings::CaretHeight);
    file(CaretImageSText, &TMainSettings::CaretImageFilename);

    radio(DownloadMethodRadioGroup, &TMainSettings::DownloadMethod);
    FBinder.push_back(
        {[this](const TMainSettings& s) { FtpSText->setText(win::Big5ToQString(s.FTPFile)); },
         [this](TMainSettings& s) { s.FTPFile = win::QStringToBig5(FtpSText->text()); }});
    edit(DownloadDirEdit, &TMainSettings::DownloadDir);
}

void TPreferenceDlg::Load(const TMainSettings& s, bool maxWhenConnection, bool focusWhenBeep) {
    for (const TBinding& b : FBinder)
        b.Load(s);
    MaxCheckBox->setChecked(maxWhenConnection);
    FocusCheckBox->setChecked(focusWhenBeep);
    TransparentCheckBoxClick();
    RunRules();
}

void TPreferenceDlg::Store(TMainSettings& s, bool& maxWhenConnection, bool& focusWhenBeep) const {
    for (const TBinding& b : FBinder)
        b.Store(s);
    maxWhenConnection = MaxCheckBox->isChecked();
    focusWhenBeep = FocusCheckBox->isChecked();
}

// ---- Palette ------------------------------------------------------------------------

int TPreferenceDlg::CheckedEntry() const {
    for (int i = 0; i < 16; ++i)
        if (PaletteRadios[static_cast<std::size_t>(i)]->isChecked()) return i;
    return -1;
}

// i >= 0: entry i is selected and the swatches show it; -1 - i: entry i is
// only repainted.
void TPreferenceDlg::ShowEntry(int i) {
    const bool select = i >= 0;
    if (!select) i = -1 - i;
    const auto k = static_cast<std::size_t>(i);
    QPalette rp = PaletteRadios[k]->palette();
    rp.setColor(QPalette::Window, ToQColor(FBg[k]));
    rp.setColor(QPalette::Base, ToQColor(FBg[k]));
    PaletteRadios[k]->setPalette(rp);
    SetTextColor(PaletteLabels[k], FFg[k]);
    if (!select) return;
    TextForegroundSText->SetColor(FFg[k]);
    TextBackgroundSText->SetColor(FBg[k]);
}

void TPreferenceDlg::SelectEntry(int i) {
    if (i < 0 || i > 15) return;
    PaletteRadios[static_cast<std::size_t>(i)]->setChecked(true);
    ShowEntry(i);
}

bool TPreferenceDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress)
        for (int i = 0; i < 16; ++i)
            if (watched == PaletteLabels[static_cast<std::size_t>(i)]) {
                SelectEntry(i);
                return true;
            }
    return QDialog::eventFilter(watched, e);
}

void TPreferenceDlg::TextForegroundComboColorChange() {
    const int i = CheckedEntry();
    TColor c = TextForegroundSText->Color();
    if (!ChooseColor || !ChooseColor(c)) return;
    TextForegroundSText->SetColor(c);
    if (i < 0) return;
    FFg[static_cast<std::size_t>(i)] = c;
    ShowEntry(-1 - i);
}

void TPreferenceDlg::TextBackgroundComboColorChange() {
    const int i = CheckedEntry();
    TColor c = TextBackgroundSText->Color();
    if (!ChooseColor || !ChooseColor(c)) return;
    TextBackgroundSText->SetColor(c);
    if (i < 0) return;
    FBg[static_cast<std::size_t>(i)] = c;
    ShowEntry(-1 - i);
}

void TPreferenceDlg::DefaultColors(bool highlight) {
    prefs::SetDefaultColors(FFg, FBg, highlight);
    const int from = highlight ? 8 : 0;
    for (int i = from; i < from + 8; ++i)
        ShowEntry(-1 - i);
    const int checked = CheckedEntry();
    if (checked >= from && checked < from + 8) ShowEntry(checked);
}

// ---- Rules -------------------------------------------------------------------------

void TPreferenceDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!FActivated) {
        FActivated = true;
        FormActivate();
    }
}

void TPreferenceDlg::FormActivate() {
    SelectEntry(0);
    RunRules();
}

void TPreferenceDlg::RunRules() {
    prefs::TRuleInput in;
    in.Beep = BeepCheckBox->isChecked();
    in.BeepSource = std::max(0, BeepRadioGroup->ItemIndex());
    in.DownloadMethod = std::max(0, DownloadMethodRadioGroup->ItemIndex());
    in.CaretType = std::max(0, CaretTypeRadioGroup->ItemIndex());
    in.Picture = PictureCheckBox->isChecked();
    in.Transparent = TransparentCheckBox->isChecked();
    in.ApplyFont = ApplyFontCheckBox->isChecked();
    in.ApplyPicture = ApplyPictureCheckBox->isChecked();
    const prefs::TRuleOutput o = prefs::ApplyRules(in);

    BeepRadioGroup->setEnabled(o.BeepGroup);
    SetTextColor(BeepRadioGroup, o.BeepGroup ? kBlack : kGrey);
    SetTextColor(SoundLabel, o.SoundBlack ? kBlack : kGrey);
    SetTextColor(SoundStaticText, o.SoundBlack ? kBlack : kGrey);
    SoundSpeedBtn->setEnabled(o.SoundChoose);
    PlaySpeedBtn->setEnabled(o.SoundPlayClear);
    ClearSpeedBtn->setEnabled(o.SoundPlayClear);

    for (QWidget* w : std::initializer_list<QWidget*>{FTPLabel, FtpSText, OpenBitBtn,
                                                      DownloadDirLabel, DownloadDirEdit})
        w->setEnabled(o.FtpControls);

    CaretHeightLabel->setEnabled(o.CaretHeight);
    CaretHeightSpinEdit->setEnabled(o.CaretHeight);
    CaretImageLabel->setEnabled(o.CaretImage);
    CaretImageSText->setEnabled(o.CaretImage);
    CaretImageButton->setEnabled(o.CaretImage);

    FontGroupBox->setEnabled(o.FontGroup);
    SetTextColor(FontGroupBox, o.FontGroup ? kBlack : kGrey);
    FontHotBitBtn->setEnabled(o.FontGroup);
    if (o.FontCaptionRed)
        SetTextColor(ApplyFontCheckBox, kRed);
    else
        SetWindowText(ApplyFontCheckBox);

    PictureGroupBox->setEnabled(o.PictureGroups);
    SetTextColor(PictureGroupBox, o.PictureGroups ? kBlack : kGrey);
    PictureCheckBox->setEnabled(o.PictureGroups);
    TransparentGroupBox->setEnabled(o.PictureGroups);
    SetTextColor(TransparentGroupBox, o.PictureGroups ? kBlack : kGrey);
    TransparentCheckBox->setEnabled(o.PictureGroups);
    ColorGroupBox->setEnabled(o.PictureGroups);
    if (o.PictureCaptionRed)
        SetTextColor(ApplyPictureCheckBox, kRed);
    else
        SetWindowText(ApplyPictureCheckBox);
    for (QWidget* w :
         std::initializer_list<QWidget*>{PictureLabel, PictureStyleComboBox, PictureFileLabel,
                                         PictureStaticText, OpenSpeedButton})
        w->setEnabled(o.PictureControls);

    TransparencyLabel1->setVisible(o.TransparencyVisible);
    TransparencyEdit->setVisible(o.TransparencyVisible);
    TransparencyLabel2->setVisible(o.TransparencyVisible);
    TransparencyLabel1->setText(QString::fromUtf8(o.StrengthCaption ? "強度(&R)" : "透明度(&R)"));
    ColorStaticText->setEnabled(o.TintEnabled);
    ColorStaticText->SetColor(TintColor);
    ColorStaticText->ShowFace(!o.TintEnabled);
    if (o.TintCaptionGrey)
        SetTextColor(ColorGroupBox, kGrey);
    else
        SetWindowText(ColorGroupBox);
}
