// The keyboard-map editor: building the on-screen keyboard, the markers,
// the scratch copy and storing a map.
#include "dialogs/KeyBoardDialog.h"

#include "dialogs/AccessKeyBoardIniDialog.h"
#include "dialogs/PasswdDialog.h"
#include "dialogs/SiteList.h"
#include "platform/CodePage.h"
#include "platform/core/Files.h"
#include "platform/core/WriteError.h"
#include "session/core/KeysFile.h"
#include "session/core/ProfileEdit.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

// One key of the on-screen keyboard: caption, scan code (Tag), extended
// flag (HelpContext), grid row, column and width in half-key units. Tag 250
// marks keys that cannot be mapped.
struct TKeyCap {
    const char* Caption;
    int Tag;
    bool Extended;
    int Row, Col, Span;
};

constexpr int kUnmappable = 250;

// The main block, the navigation keys and the keypad. The marker buttons
// (Shift, Ctrl, Num) are made apart.
const TKeyCap kKeys[] = {
    {"Esc", 1, false, 0, 0, 2},
    {"F1", 59, false, 0, 4, 2},
    {"F2", 60, false, 0, 6, 2},
    {"F3", 61, false, 0, 8, 2},
    {"F4", 62, false, 0, 10, 2},
    {"F5", 63, false, 0, 13, 2},
    {"F6", 64, false, 0, 15, 2},
    {"F7", 65, false, 0, 17, 2},
    {"F8", 66, false, 0, 19, 2},
    {"F9", 67, false, 0, 22, 2},
    {"F10", 68, false, 0, 24, 2},
    {"F11", 87, false, 0, 26, 2},
    {"F12", 88, false, 0, 28, 2},
    {"`", 41, false, 1, 0, 2},
    {"1", 2, false, 1, 2, 2},
    {"2", 3, false, 1, 4, 2},
    {"3", 4, false, 1, 6, 2},
    {"4", 5, false, 1, 8, 2},
    {"5", 6, false, 1, 10, 2},
    {"6", 7, false, 1, 12, 2},
    {"7", 8, false, 1, 14, 2},
    {"8", 9, false, 1, 16, 2},
    {"9", 10, false, 1, 18, 2},
    {"0", 11, false, 1, 20, 2},
    {"-", 12, false, 1, 22, 2},
    {"=", 13, false, 1, 24, 2},
    {"Back", 14, false, 1, 26, 4},
    {"Tab", 15, false, 2, 0, 3},
    {"Q", 16, false, 2, 3, 2},
    {"W", 17, false, 2, 5, 2},
    {"E", 18, false, 2, 7, 2},
    {"R", 19, false, 2, 9, 2},
    {"T", 20, false, 2, 11, 2},
    {"Y", 21, false, 2, 13, 2},
    {"U", 22, false, 2, 15, 2},
    {"I", 23, false, 2, 17, 2},
    {"O", 24, false, 2, 19, 2},
    {"P", 25, false, 2, 21, 2},
    {"[", 26, false, 2, 23, 2},
    {"]", 27, false, 2, 25, 2},
    {"\\", 43, false, 2, 27, 3},
    {"Caps", kUnmappable, false, 3, 0, 4},
    {"A", 30, false, 3, 4, 2},
    {"S", 31, false, 3, 6, 2},
    {"D", 32, false, 3, 8, 2},
    {"F", 33, false, 3, 10, 2},
    {"G", 34, false, 3, 12, 2},
    {"H", 35, false, 3, 14, 2},
    {"J", 36, false, 3, 16, 2},
    {"K", 37, false, 3, 18, 2},
    {"L", 38, false, 3, 20, 2},
    {";", 39, false, 3, 22, 2},
    {"'", 40, false, 3, 24, 2},
    {"Enter", 28, false, 3, 26, 4},
    {"Z", 44, false, 4, 5, 2},
    {"X", 45, false, 4, 7, 2},
    {"C", 46, false, 4, 9, 2},
    {"V", 47, false, 4, 11, 2},
    {"B", 48, false, 4, 13, 2},
    {"N", 49, false, 4, 15, 2},
    {"M", 50, false, 4, 17, 2},
    {",", 51, false, 4, 19, 2},
    {".", 52, false, 4, 21, 2},
    {"/", 53, false, 4, 23, 2},
    {"Alt", kUnmappable, false, 5, 4, 3},
    {"Space", 57, false, 5, 7, 14},
    {"AltGr", kUnmappable, false, 5, 21, 3},
    // navigation block (extended keys)
    {"Insert", 82, true, 1, 31, 2},
    {"Home", 71, true, 1, 33, 2},
    {"PgUp", 73, true, 1, 35, 2},
    {"Delete", 83, true, 2, 31, 2},
    {"End", 79, true, 2, 33, 2},
    {"PgDn", 81, true, 2, 35, 2},
    {"Up", 72, true, 4, 33, 2},
    {"Left", 75, true, 5, 31, 2},
    {"Down", 80, true, 5, 33, 2},
    {"Right", 77, true, 5, 35, 2},
    // keypad
    {"/", 53, true, 1, 40, 2},
    {"*", 55, false, 1, 42, 2},
    {"-", 74, false, 1, 44, 2},
    {"7", 71, false, 2, 38, 2},
    {"8", 72, false, 2, 40, 2},
    {"9", 73, false, 2, 42, 2},
    {"+", 78, false, 2, 44, 2},
    {"4", 75, false, 3, 38, 2},
    {"5", 76, false, 3, 40, 2},
    {"6", 77, false, 3, 42, 2},
    {"1", 79, false, 4, 38, 2},
    {"2", 80, false, 4, 40, 2},
    {"3", 81, false, 4, 42, 2},
    {"Enter", 28, true, 4, 44, 2},
    {"0", 82, false, 5, 38, 4},
    {".", 83, false, 5, 42, 2},
};

const QColor kMarkerOn(0, 255, 0);

std::string ButtonCaption(const QPushButton* b) {
    return win::QStringToBig5(b->text());
}

} // namespace

TKeyBoardDlg::TKeyBoardDlg(TKeyBoardHost& host, std::string keysFile, std::string mapName,
                           const std::string& tempFolder, QWidget* parent)
    : QDialog(parent), FHost(host), FKeysFile(std::move(keysFile)), FMapName(std::move(mapName)) {
    setObjectName("KeyBoardDlg");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    BuildKeyboard();
    SetCaption();
    AccessDlg = new TAccessKeyBoardIniDlg(FKeysFile, this);

    // The scratch file's name is ours alone: a name that exists already is
    // never reused, the next number is tried.
    std::random_device rd;
    unsigned n = rd() % 1000000u;
    for (int attempt = 0; attempt < 1000000 && FTempFile.empty();
         ++attempt, n = (n + 1) % 1000000u) {
        std::string name = tempFolder + "KV" + std::to_string(n) + ".ini";
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            ::close(fd);
            FTempFile = name;
        } else if (errno != EEXIST) {
            break;
        }
    }
    if (FTempFile.empty()) ShowWriteError(tempFolder + "KV.ini");
    CopyMapToTemp(FMapName);
}

TKeyBoardDlg::~TKeyBoardDlg() {
    if (!FTempFile.empty()) ::unlink(FTempFile.c_str());
}

void TKeyBoardDlg::BuildKeyboard() {
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    for (const TKeyCap& k : kKeys) {
        auto* b = new QPushButton(QString::fromUtf8(k.Caption), this);
        b->setProperty("Tag", k.Tag);
        b->setProperty("HelpContext", k.Extended ? 1 : 0);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        // Wide enough for its caption ("Insert", "Delete").
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 8);
        grid->addWidget(b, k.Row, k.Col, 1, k.Span);
        if (k.Tag != kUnmappable) {
            b->installEventFilter(this);
            connect(b, &QPushButton::clicked, this, [this, b] { KeyClick(b); });
            FKeys.push_back(b);
        }
    }
    auto marker = [&](const char* caption, const char* name, int row, int col, int span) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setProperty("Tag", kUnmappable);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(b, row, col, 1, span);
        return b;
    };
    ShiftBtn1 = marker("Shift", "ShiftBtn1", 4, 0, 5);
    ShiftBtn2 = marker("Shift", "ShiftBtn2", 4, 25, 5);
    CrtlBtn1 = marker("Ctrl", "CrtlBtn1", 5, 0, 4);
    CrtlBtn2 = marker("Ctrl", "CrtlBtn2", 5, 24, 4);
    NumBtn = marker("Num", "NumBtn", 1, 38, 2);
    connect(NumBtn, &QPushButton::clicked, this, &TKeyBoardDlg::NumClick);
    connect(ShiftBtn1, &QPushButton::clicked, this, &TKeyBoardDlg::ShiftClick);
    connect(ShiftBtn2, &QPushButton::clicked, this, &TKeyBoardDlg::ShiftClick);
    connect(CrtlBtn1, &QPushButton::clicked, this, &TKeyBoardDlg::CtrlClick);
    connect(CrtlBtn2, &QPushButton::clicked, this, &TKeyBoardDlg::CtrlClick);

    auto label = [&](const char* caption, const char* name) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignCenter);
        l->setAutoFillBackground(true);
        l->setFrameShape(QFrame::Panel);
        return l;
    };
    NumStaticText = label("Num", "NumStaticText");
    ShiftStaticText = label("Shift", "ShiftStaticText");
    CtrlStaticText = label("Ctrl", "CtrlStaticText");
    auto* markers = new QHBoxLayout;
    markers->addWidget(NumStaticText);
    markers->addWidget(ShiftStaticText);
    markers->addWidget(CtrlStaticText);
    markers->addStretch();

    KeyEdit = new QLineEdit(this);
    KeyEdit->setObjectName("KeyEdit");
    KeyEdit->setEnabled(false);
    KeyEdit->installEventFilter(this);
    ChangeBtn = new QPushButton("變更(&C)", this);
    ChangeBtn->setObjectName("ChangeBtn");
    ChangeBtn->setEnabled(false);
    HintLabel = new QLabel("^[ = Esc; ^ = Ctrl", this);
    HintLabel->setObjectName("HintLabel");
    LoadBtn = new QPushButton("載入(&L)", this);
    LoadBtn->setObjectName("LoadBtn");
    SaveBtn = new QPushButton("儲存(&S)", this);
    SaveBtn->setObjectName("SaveBtn");
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    for (auto* b : {ChangeBtn, LoadBtn, SaveBtn, OKBtn, CancelBtn})
        b->setAutoDefault(false);
    connect(ChangeBtn, &QPushButton::clicked, this, &TKeyBoardDlg::ChangeClick);
    connect(LoadBtn, &QPushButton::clicked, this, &TKeyBoardDlg::LoadClick);
    connect(SaveBtn, &QPushButton::clicked, this, &TKeyBoardDlg::SaveClick);
    connect(OKBtn, &QPushButton::clicked, this, &TKeyBoardDlg::OKClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* edit = new QHBoxLayout;
    edit->addWidget(KeyEdit, 1);
    edit->addWidget(ChangeBtn);
    edit->addWidget(HintLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LoadBtn);
    buttons->addWidget(SaveBtn);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(markers);
    layout->addLayout(grid);
    layout->addLayout(edit);
    layout->addLayout(buttons);
    PaintMarkers();
}

QPushButton* TKeyBoardDlg::KeyButton(int scan, bool extended) const {
    for (auto* b : FKeys)
        if (b->property("Tag").toInt() == scan &&
            (b->property("HelpContext").toInt() == 1) == extended)
            return b;
    return nullptr;
}

std::string TKeyBoardDlg::MakeKeyName(QPushButton* button) const {
    return session::MakeKeyName(button->property("Tag").toInt(),
                                button->property("HelpContext").toInt() == 1, ButtonCaption(button),
                                FNum, FShift, FCtrl);
}

void TKeyBoardDlg::SetCaption() {
    setWindowTitle("鍵盤對映 - " + win::Big5ToQString(FMapName));
}

void TKeyBoardDlg::PaintMarkers() {
    const QColor off = palette().color(QPalette::Button);
    for (auto [label, on] : {std::pair{NumStaticText, FNum}, std::pair{ShiftStaticText, FShift},
                             std::pair{CtrlStaticText, FCtrl}}) {
        QPalette p = label->palette();
        p.setColor(QPalette::Window, on ? kMarkerOn : off);
        label->setPalette(p);
    }
}

void TKeyBoardDlg::ShowWriteError(const std::string& path) {
    ShowErrorBox(this, QString::fromStdString(win::WriteErrorText(path)));
}

std::string TKeyBoardDlg::TempValue(const std::string& keyName) const {
    std::string v;
    session::ReadProfile(FTempFile).Find(session::kTempKeySection, keyName, &v);
    return v;
}

template <class F> bool TKeyBoardDlg::EditTemp(F&& change) {
    try {
        if (FTempFile.empty()) throw win::EFileError("no scratch file");
        win::TIniText text = session::ReadProfileForEdit(FTempFile);
        change(text);
        // In the temp folder a link is replaced, never written through.
        win::WriteTempFileAtomic(FTempFile, text.Text());
        return true;
    } catch (const std::exception&) {
        ShowWriteError(FTempFile.empty() ? "KV.ini" : FTempFile);
        return false;
    }
}

void TKeyBoardDlg::CopyMapToTemp(const std::string& map) {
    auto keys = session::ReadKeyMap(session::ReadProfile(FKeysFile), map);
    EditTemp([&](win::TIniText& t) { session::ReplaceKeyMap(t, session::kTempKeySection, keys); });
}

void TKeyBoardDlg::ApplyKeyMap(const std::string& map) {
    auto keys = session::ReadKeyMap(session::ReadProfile(FTempFile), session::kTempKeySection);
    try {
        win::TIniText text = session::ReadProfileForEdit(FKeysFile);
        session::ReplaceKeyMap(text, map, keys);
        session::WriteProfile(FKeysFile, text);
    } catch (const std::exception&) {
        ShowWriteError(FKeysFile);
    }
    int overflowed = FHost.RebuildKeyTables(map, keys);
    for (int i = 0; i < overflowed; ++i)
        ShowWarningBox(this, "按鍵設定數目超過 64 個!\r系統會忽略第 64 個以後的按鍵設定值!");
}

void TKeyBoardDlg::Deselect() {
    if (FSelected) {
        QFont f = FSelected->font();
        f.setBold(false);
        f.setItalic(false);
        FSelected->setFont(f);
    }
    FSelected = nullptr;
    FKeyName.clear();
    KeyEdit->clear();
    KeyEdit->setEnabled(false);
    ChangeBtn->setEnabled(false);
}

void TKeyBoardDlg::KeyClick(QPushButton* button) {
    Deselect();
    FSelected = button;
    QFont f = button->font();
    f.setBold(true);
    f.setItalic(true);
    button->setFont(f);
    KeyEdit->setEnabled(true);
    ChangeBtn->setEnabled(true);
    FKeyName = MakeKeyName(button);
    KeyEdit->setText(win::Big5ToQString(TempValue(FKeyName)));
    KeyEdit->setFocus();
}

void TKeyBoardDlg::ChangeClick() {
    if (FKeyName.empty()) return;
    std::string value = win::QStringToBig5(KeyEdit->text());
    EditTemp([&](win::TIniText& t) {
        if (value.empty())
            t.DeleteKey(session::kTempKeySection, FKeyName);
        else
            session::SetProfileValue(t, session::kTempKeySection, FKeyName, value);
    });
}

void TKeyBoardDlg::NumClick() {
    Deselect();
    FNum = !FNum;
    FShift = FCtrl = false;
    PaintMarkers();
}

void TKeyBoardDlg::ShiftClick() {
    Deselect();
    FShift = !FShift;
    FNum = false;
    PaintMarkers();
}

void TKeyBoardDlg::CtrlClick() {
    Deselect();
    FCtrl = !FCtrl;
    FNum = false;
    PaintMarkers();
}

void TKeyBoardDlg::LoadClick() {
    AccessDlg->setWindowTitle("載入");
    if (AccessDlg->exec() != QDialog::Accepted) return;
    Deselect();
    FMapName = AccessDlg->MapName();
    SetCaption();
    CopyMapToTemp(FMapName);
}

void TKeyBoardDlg::SaveClick() {
    AccessDlg->setWindowTitle("儲存");
    AccessDlg->SelectMap(FMapName);
    if (AccessDlg->exec() != QDialog::Accepted) return;
    Deselect();
    FMapName = AccessDlg->MapName();
    // An existing map is saved under its own spelling.
    if (int i = FindSiteItem(AccessDlg->ListBox, FMapName); i >= 0)
        FMapName = SiteItemBytes(AccessDlg->ListBox->item(i));
    SetCaption();
    ApplyKeyMap(FMapName);
    if (!AccessDlg->HasMap(FMapName)) {
        AccessDlg->AddMap(FMapName);
        FHost.KeyMapAdded(FMapName);
    }
}

void TKeyBoardDlg::OKClick() {
    ApplyKeyMap(FMapName);
    accept();
}

bool TKeyBoardDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == KeyEdit && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ChangeClick();
            return true;
        }
    }
    if (event->type() == QEvent::Enter) {
        if (auto* b = qobject_cast<QPushButton*>(watched))
            b->setToolTip(win::Big5ToQString(TempValue(MakeKeyName(b))));
    }
    return QDialog::eventFilter(watched, event);
}
