// TDirectoryDlg: building the controls, creation and destruction, showing
// and storing a site, and the enabling rules of the groups.
#include "dialogs/DirectoryDialog.h"

#include "controls/HotBitBtn.h"
#include "dialogs/PasswdDialog.h"
#include "dialogs/SiteList.h"
#include "platform/CodePage.h"
#include "platform/core/WriteError.h"
#include "session/core/KeysFile.h"
#include "session/core/ProfileEdit.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using session::TSite;

namespace {

const char* const kPictureStyles[] = {"原圖置中", "原圖排列", "調整置中", "調整排列", "展開"};

std::string Big5(const QString& s) {
    return win::QStringToBig5(s);
}

QString Text(const std::string& s) {
    return win::Big5ToQString(s);
}

// Colours are stored as 0x00BBGGRR.
QColor FromStored(int c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace

// The directory password lives in the book's settings section.
class TDirectoryDlg::TStore : public session::TPasswordStore {
public:
    explicit TStore(const session::TDirectoryFile& file) : FFile(file) {}
    std::string Read() override { return session::ReadDirectoryPassword(FFile.Read()); }
    bool Write(const std::string& plain) override {
        try {
            FFile.Edit([&](win::TIniText& t) { session::WriteDirectoryPassword(t, plain); });
            return true;
        } catch (const std::exception&) {
            win::ShowWriteErrorOnce(FFile.Path());
            return false;
        }
    }

private:
    const session::TDirectoryFile& FFile;
};

TDirectoryDlg::TDirectoryDlg(TDirectoryHost& host, int screenWidth,
                             std::vector<std::string> defaultHosts, QWidget* parent)
    : QDialog(parent), FHost(host), FFile(host.SettingsDir() + "Directory.ini"),
      FKeysFile(host.SettingsDir() + "Keys.ini"), FDefaultHosts(std::move(defaultHosts)) {
    setObjectName("DirectoryDlg");
    setWindowTitle("位址簿");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);
    // 1. Paths, the default font size.
    FDefaultFontSize = session::DefaultFontSizeForWidth(screenWidth);
    BuildControls();

    // 2. The key maps, with the "Default" map completed.
    win::TIniText keys = session::ReadProfile(FKeysFile);
    // Sorted first, so each sorted insert appends: a file of many maps or
    // sites fills its list in n log n.
    for (const auto& name : SortedForDisplay(
             keys.Sections(), [](const std::string& n) { return win::Big5ToQString(n); }))
        InsertSortedComboItem(KeyTypeComboBox, name);
    try {
        win::TIniText edit = session::ReadProfileForEdit(FKeysFile);
        if (session::EnsureDefaultKeyMap(edit)) session::WriteProfile(FKeysFile, edit);
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(FKeysFile);
    }
    if (FindComboItem(KeyTypeComboBox, std::string(session::kDefaultKeyMap)) < 0)
        InsertSortedComboItem(KeyTypeComboBox, std::string(session::kDefaultKeyMap));

    // 3. The sites, and the default site when the book has none.
    win::TIniText book = FFile.Read();
    for (const auto& alias : SortedForDisplay(session::SiteAliases(book), [](const std::string& a) {
             return Text(session::SiteDisplayName(a));
         }))
        AddAlias(alias, session::ReadSite(book, alias, FDefaultFontSize).Check);
    if (IndexOfSite(session::DefaultSiteName()) < 0) {
        std::mt19937 random(std::random_device{}());
        EditBook([&](win::TIniText& t) { session::EnsureDefaultSite(t, FDefaultHosts, random); });
        AddAlias(session::DefaultSiteName(), false);
    }
    // 4. The default site's settings.
    ReloadDefaultSite();
    AutoSendKeyEdit->setText(Text(FDefaultSite.AutoSendKey));

    // 5. The selection of the last run.
    std::string selected;
    FFile.Read().Find(session::kSettingSection, "ItemIndex", &selected);
    int row = IndexOfSite(selected);
    SelectRow(row >= 0 ? row : (Count() > 0 ? 0 : -1));

    // 6. The list's columns and the apply box.
    win::TIniFile settings(FHost.SettingsFileName());
    SetColumns(std::clamp(settings.ReadInteger("DirectoryDialog", "Field", 2), 0, 5));
    ApplyCheckBox->setChecked(settings.ReadBool("DirectoryDialog", "ApplyCheckBox", true));

    // 7. The list's colours; the selected site, whose login rule waits for
    // the first show (no question before any window is up).
    SetListColors(FHost.ListColor(), FHost.ListFontColor());
    if (ItemIndex() >= 0) {
        ShowSite(session::ReadSite(FFile.Read(), ItemAlias(ItemIndex()), FDefaultFontSize));
        AliasEdit->setText(CheckListBox->currentItem()->text());
    }
    EnableSiteButtons(Count() > 0);
}

TDirectoryDlg::~TDirectoryDlg() {
    std::string selected = ItemIndex() >= 0 ? ItemAlias(ItemIndex()) : std::string();
    std::vector<std::pair<std::string, bool>> marks;
    for (int i = 0; i < Count(); ++i)
        marks.emplace_back(ItemAlias(i), ItemChecked(i));
    EditBook([&](win::TIniText& t) {
        session::SetProfileValue(t, session::kSettingSection, "ItemIndex", selected);
        for (const auto& [alias, checked] : marks)
            t.Set(alias, "Check", checked ? "1" : "0");
    });
}

bool TDirectoryDlg::EditBook(const std::function<void(win::TIniText&)>& change) {
    try {
        FFile.Edit(change);
        return true;
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(FFile.Path());
        return false;
    }
}

void TDirectoryDlg::WriteDialogSetting(const char* key, int value) {
    try {
        win::TIniFile(FHost.SettingsFileName()).WriteInteger("DirectoryDialog", key, value);
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(FHost.SettingsFileName());
    }
}

// ---- building ----------------------------------------------------------------

void TDirectoryDlg::BuildControls() {
    auto named = [](auto* w, const char* name) {
        w->setObjectName(name);
        return w;
    };
    auto button = [&](const char* caption, const char* name) {
        auto* b = named(new THotBitBtn(this), name);
        b->setText(QString::fromUtf8(caption));
        b->setAutoDefault(false);
        return b;
    };
    CheckListBox = named(new QListWidget(this), "CheckListBox");
    CheckListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    CheckListBox->setMinimumWidth(260);
    AliasEdit = named(new QLineEdit(this), "AliasEdit");
    HostEdit = named(new QLineEdit(this), "HostEdit");
    PortEdit = named(new QLineEdit(this), "PortEdit");
    PortEdit->setMaxLength(5);

    FontGroupBox = named(new QGroupBox("字型", this), "FontGroupBox");
    FontHotBitBtn = button("字型(&F)", "FontHotBitBtn");
    FontStaticText = named(new QLabel(this), "FontStaticText");
    FontSizeLabel = named(new QLabel("大小:", this), "FontSizeLabel");
    FontSizeStaticText = named(new QLabel(this), "FontSizeStaticText");
    SpaceVLabel = named(new QLabel("行距:", this), "SpaceVLabel");
    SpaceVSpinEdit = named(new QSpinBox(this), "SpaceVSpinEdit");
    SpaceVSpinEdit->setRange(0, 50);
    RowEdit = named(new QLineEdit(this), "RowEdit");
    ColumnEdit = named(new QLineEdit(this), "ColumnEdit");
    auto* fontGrid = new QGridLayout(FontGroupBox);
    fontGrid->addWidget(FontHotBitBtn, 0, 0);
    fontGrid->addWidget(FontStaticText, 0, 1, 1, 3);
    fontGrid->addWidget(FontSizeLabel, 1, 0);
    fontGrid->addWidget(FontSizeStaticText, 1, 1);
    fontGrid->addWidget(SpaceVLabel, 1, 2);
    fontGrid->addWidget(SpaceVSpinEdit, 1, 3);
    fontGrid->addWidget(new QLabel("列數:", this), 2, 0);
    fontGrid->addWidget(RowEdit, 2, 1);
    fontGrid->addWidget(new QLabel("行數:", this), 2, 2);
    fontGrid->addWidget(ColumnEdit, 2, 3);

    OptionGroupBox = named(new QGroupBox("選項", this), "OptionGroupBox");
    LocalEchoCheckBox = named(new QCheckBox("本地回應(&E)", this), "LocalEchoCheckBox");
    MonoChromeCheckBox = named(new QCheckBox("單色(&M)", this), "MonoChromeCheckBox");
    HyperlinkCheckBox = named(new QCheckBox("超連結(&H)", this), "HyperlinkCheckBox");
    AutoWrapCheckBox = named(new QCheckBox("自動換行(&W)", this), "AutoWrapCheckBox");
    KeyTypeComboBox = named(new QComboBox(this), "KeyTypeComboBox");
    auto* optGrid = new QGridLayout(OptionGroupBox);
    optGrid->addWidget(LocalEchoCheckBox, 0, 0);
    optGrid->addWidget(MonoChromeCheckBox, 0, 1);
    optGrid->addWidget(HyperlinkCheckBox, 1, 0);
    optGrid->addWidget(AutoWrapCheckBox, 1, 1);
    optGrid->addWidget(new QLabel("鍵盤對映:", this), 2, 0);
    optGrid->addWidget(KeyTypeComboBox, 2, 1);

    LoginGroupBox = named(new QGroupBox("自動簽入", this), "LoginGroupBox");
    LoginCheckBox = named(new QCheckBox("自動簽入(&L)", this), "LoginCheckBox");
    TriggerStrLabel = named(new QLabel("觸發字串:", this), "TriggerStrLabel");
    TriggerStrEdit = named(new QLineEdit(this), "TriggerStrEdit");
    LoginStrHotBitBtn = button("字串(&T)", "LoginStrHotBitBtn");
    auto* loginGrid = new QGridLayout(LoginGroupBox);
    loginGrid->addWidget(LoginCheckBox, 0, 0);
    loginGrid->addWidget(LoginStrHotBitBtn, 0, 1);
    loginGrid->addWidget(TriggerStrLabel, 1, 0);
    loginGrid->addWidget(TriggerStrEdit, 1, 1);

    AutoSendGroupBox = named(new QGroupBox("防閒置", this), "AutoSendGroupBox");
    ForeAutoSendKeyCheckBox = named(new QCheckBox("前景(&G)", this), "ForeAutoSendKeyCheckBox");
    BackAutoSendKeyCheckBox = named(new QCheckBox("背景(&B)", this), "BackAutoSendKeyCheckBox");
    AutoSendKeyLabel = named(new QLabel("字串:", this), "AutoSendKeyLabel");
    AutoSendKeyEdit = named(new QLineEdit(this), "AutoSendKeyEdit");
    AutoSendKeyIntervalLabel = named(new QLabel("間隔(秒):", this), "AutoSendKeyIntervalLabel");
    AutoSendKeyIntervalSpinEdit = named(new QSpinBox(this), "AutoSendKeyIntervalSpinEdit");
    AutoSendKeyIntervalSpinEdit->setRange(1, 3600);
    auto* sendGrid = new QGridLayout(AutoSendGroupBox);
    sendGrid->addWidget(ForeAutoSendKeyCheckBox, 0, 0);
    sendGrid->addWidget(BackAutoSendKeyCheckBox, 0, 1);
    sendGrid->addWidget(AutoSendKeyLabel, 1, 0);
    sendGrid->addWidget(AutoSendKeyEdit, 1, 1);
    sendGrid->addWidget(AutoSendKeyIntervalLabel, 2, 0);
    sendGrid->addWidget(AutoSendKeyIntervalSpinEdit, 2, 1);

    PictureGroupBox = named(new QGroupBox("背景", this), "PictureGroupBox");
    PictureCheckBox = named(new QCheckBox("背景圖片(&P)", this), "PictureCheckBox");
    PictureStaticText = named(new QLabel(this), "PictureStaticText");
    OpenSpeedButton = button("...", "OpenSpeedButton");
    PictureStyleComboBox = named(new QComboBox(this), "PictureStyleComboBox");
    for (const char* s : kPictureStyles)
        PictureStyleComboBox->addItem(s);
    ColorLabel = named(new QLabel("顏色:", this), "ColorLabel");
    ColorStaticText = named(new QLabel(this), "ColorStaticText");
    ColorStaticText->setAutoFillBackground(true);
    ColorStaticText->setFrameShape(QFrame::Panel);
    ColorStaticText->setMinimumSize(40, 18);
    ColorStaticText->installEventFilter(this);
    TransparentCheckBox = named(new QCheckBox("透明(&R)", this), "TransparentCheckBox");
    TransparencyEdit = named(new QLineEdit(this), "TransparencyEdit");
    auto* picGrid = new QGridLayout(PictureGroupBox);
    picGrid->addWidget(PictureCheckBox, 0, 0);
    picGrid->addWidget(PictureStaticText, 0, 1);
    picGrid->addWidget(OpenSpeedButton, 0, 2);
    picGrid->addWidget(PictureStyleComboBox, 1, 0, 1, 3);
    picGrid->addWidget(ColorLabel, 2, 0);
    picGrid->addWidget(ColorStaticText, 2, 1);
    picGrid->addWidget(TransparentCheckBox, 3, 0);
    picGrid->addWidget(TransparencyEdit, 3, 1);

    JumpHotBitBtn = button("跳至(&J)", "JumpHotBitBtn");
    JumpHotBitBtn->setEnabled(false);
    NewHotBitBtn = button("新增(&N)", "NewHotBitBtn");
    DeleteHotBitBtn = button("刪除(&D)", "DeleteHotBitBtn");
    UpdateHotBitBtn = button("更新(&U)", "UpdateHotBitBtn");
    ConnectHotBitBtn = named(new THotBitBtn(this), "ConnectHotBitBtn");
    ConnectHotBitBtn->setText(QString::fromUtf8("連線(&C)"));
    ConnectHotBitBtn->setDefault(true);
    MakeScriptHotBitBtn = button("製作腳本(&M)", "MakeScriptHotBitBtn");
    SelectAllHotBitBtn = button("全選(&Q)", "SelectAllHotBitBtn");
    SelectNoneHotBitBtn = button("全不選(&Z)", "SelectNoneHotBitBtn");
    SelectReverseHotBitBtn = button("反向(&X)", "SelectReverseHotBitBtn");
    ApplyCheckBox = named(new QCheckBox("勾選(&V)", this), "ApplyCheckBox");

    auto* host = new QFormLayout;
    host->addRow("別名:", AliasEdit);
    host->addRow("位址:", HostEdit);
    host->addRow("連接埠:", PortEdit);
    auto* groups = new QGridLayout;
    groups->addLayout(host, 0, 0);
    groups->addWidget(FontGroupBox, 0, 1);
    groups->addWidget(OptionGroupBox, 1, 0);
    groups->addWidget(LoginGroupBox, 1, 1);
    groups->addWidget(AutoSendGroupBox, 2, 0);
    groups->addWidget(PictureGroupBox, 2, 1);
    auto* functions = new QHBoxLayout;
    for (auto* b :
         {JumpHotBitBtn, NewHotBitBtn, DeleteHotBitBtn, UpdateHotBitBtn, ConnectHotBitBtn,
          MakeScriptHotBitBtn, SelectAllHotBitBtn, SelectNoneHotBitBtn, SelectReverseHotBitBtn})
        functions->addWidget(b);
    functions->addWidget(ApplyCheckBox);
    auto* right = new QVBoxLayout;
    right->addLayout(groups);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(CheckListBox, 1);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(functions);

    // The list's menu: column count and the list colours.
    ListMenu = new QMenu(this);
    QMenu* fields = ListMenu->addMenu("欄位數(&F)");
    auto* fieldGroup = new QActionGroup(this);
    for (int i = 1; i <= 5; ++i) {
        QAction* a = fields->addAction(QString("&%1").arg(i));
        a->setCheckable(true);
        fieldGroup->addAction(a);
        FieldItems.push_back(a);
        connect(a, &QAction::triggered, this, [this, i] {
            int field = i == 1 ? 0 : i;
            SetColumns(field);
            WriteDialogSetting("Field", field);
        });
    }
    connect(ListMenu->addAction("清單背景顏色(&B)"), &QAction::triggered, this,
            [this] { FHost.ListBackgroundColorClick(); });
    connect(ListMenu->addAction("清單字型顏色(&C)"), &QAction::triggered, this,
            [this] { FHost.ListFontColorClick(); });
    connect(CheckListBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { ListMenu->popup(CheckListBox->viewport()->mapToGlobal(p)); });

    GroupMenu(FontGroupBox, session::sgFont, "字型(&S)");
    GroupMenu(OptionGroupBox, session::sgOptions, "選項(&S)");
    GroupMenu(LoginGroupBox, session::sgLogin, "自動簽入(&S)");
    GroupMenu(AutoSendGroupBox, session::sgAutoSend, "防閒置(&S)");
    GroupMenu(PictureGroupBox, session::sgPicture, "背景(&S)");

    connect(CheckListBox, &QListWidget::itemClicked, this, &TDirectoryDlg::ListClick);
    connect(CheckListBox, &QListWidget::itemDoubleClicked, this, [this] { ConnectClick(); });
    connect(NewHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::NewClick);
    connect(UpdateHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::UpdateClick);
    connect(DeleteHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::DeleteClick);
    connect(ConnectHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::ConnectClick);
    connect(JumpHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::JumpClick);
    connect(MakeScriptHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::MakeScriptClick);
    connect(SelectAllHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::SelectAllClick);
    connect(SelectNoneHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::SelectNoneClick);
    connect(SelectReverseHotBitBtn, &QPushButton::clicked, this,
            &TDirectoryDlg::SelectReverseClick);
    connect(ApplyCheckBox, &QCheckBox::clicked, this,
            [this](bool on) { WriteDialogSetting("ApplyCheckBox", on ? 1 : 0); });
    connect(LoginCheckBox, &QCheckBox::clicked, this, &TDirectoryDlg::LoginCheckBoxClick);
    connect(LoginStrHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::LoginStrClick);
    connect(FontHotBitBtn, &QPushButton::clicked, this, &TDirectoryDlg::FontClick);
    connect(OpenSpeedButton, &QPushButton::clicked, this, &TDirectoryDlg::OpenPictureClick);
    connect(ForeAutoSendKeyCheckBox, &QCheckBox::toggled, this, [this] { AutoSendRule(); });
    connect(BackAutoSendKeyCheckBox, &QCheckBox::toggled, this, [this] { AutoSendRule(); });
    connect(PictureCheckBox, &QCheckBox::toggled, this, [this] { PictureRule(); });
    connect(TransparentCheckBox, &QCheckBox::toggled, this, [this] { PictureRule(); });
    resize(900, 560);
}

QMenu* TDirectoryDlg::GroupMenu(QGroupBox* box, unsigned group, const char* name) {
    auto* menu = new QMenu(box);
    QMenu* own = menu->addMenu(name);
    QMenu* all = menu->addMenu("所有參數(&A)");
    QAction* ownChecked = own->addAction("複製到勾選項目(&V)");
    own->addAction("複製到所有項目(&A)", this, [this, group] { CopyGroup(group, false); });
    QAction* allChecked = all->addAction("複製到勾選項目(&V)");
    all->addAction("複製到所有項目(&A)", this, [this] { CopyAllGroups(false); });
    connect(ownChecked, &QAction::triggered, this, [this, group] { CopyGroup(group, true); });
    connect(allChecked, &QAction::triggered, this, [this] { CopyAllGroups(true); });
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& p) {
        bool any = CheckedCount() > 0;
        ownChecked->setEnabled(any);
        allChecked->setEnabled(any);
        menu->popup(box->mapToGlobal(p));
    });
    return menu;
}

// ---- the list ------------------------------------------------------------------

int TDirectoryDlg::AddAlias(const std::string& alias, bool checked) {
    int row = InsertSortedSiteItem(CheckListBox, alias, Text(session::SiteDisplayName(alias)));
    QListWidgetItem* item = CheckListBox->item(row);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return row;
}

int TDirectoryDlg::IndexOfSite(const std::string& alias) const {
    return FindSiteItem(CheckListBox, alias);
}

int TDirectoryDlg::ItemIndex() const {
    return CheckListBox->currentRow();
}

std::string TDirectoryDlg::ItemAlias(int row) const {
    return SiteItemBytes(CheckListBox->item(row));
}

bool TDirectoryDlg::ItemChecked(int row) const {
    QListWidgetItem* item = CheckListBox->item(row);
    return item && item->checkState() == Qt::Checked;
}

int TDirectoryDlg::Count() const {
    return CheckListBox->count();
}

int TDirectoryDlg::CheckedCount() const {
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        n += ItemChecked(i) ? 1 : 0;
    return n;
}

std::vector<int> TDirectoryDlg::TargetRows() const {
    std::vector<int> rows;
    if (ApplyCheckBox->isChecked())
        for (int i = 0; i < Count(); ++i)
            if (ItemChecked(i)) rows.push_back(i);
    if (rows.empty() && ItemIndex() >= 0) rows.push_back(ItemIndex());
    return rows;
}

void TDirectoryDlg::SelectRow(int row) {
    CheckListBox->setCurrentRow(row);
}

void TDirectoryDlg::ListClick(QListWidgetItem* item) {
    if (!item) return;
    CheckListBox->setCurrentItem(item);
    LoadSite(SiteItemBytes(item));
}

void TDirectoryDlg::SetColumns(int field) {
    FColumns = std::clamp(field, 0, 5);
    int item = std::max(FColumns, 1) - 1;
    if (item < static_cast<int>(FieldItems.size()))
        FieldItems[static_cast<std::size_t>(item)]->setChecked(true);
    LayoutColumns();
}

void TDirectoryDlg::LayoutColumns() {
    if (FColumns <= 1) {
        CheckListBox->setFlow(QListView::TopToBottom);
        CheckListBox->setWrapping(false);
        CheckListBox->setGridSize(QSize());
        return;
    }
    CheckListBox->setFlow(QListView::TopToBottom);
    CheckListBox->setWrapping(true);
    CheckListBox->setResizeMode(QListView::Adjust);
    int width = std::max(1, (CheckListBox->viewport()->width() - 4) / FColumns);
    CheckListBox->setGridSize(QSize(width, CheckListBox->fontMetrics().height() + 6));
}

void TDirectoryDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayoutColumns();
}

bool TDirectoryDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ColorStaticText && event->type() == QEvent::MouseButtonPress &&
        ColorStaticText->isEnabled()) {
        ColorClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TDirectoryDlg::SetListColors(const QColor& background, const QColor& font) {
    QPalette p = CheckListBox->palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, font);
    CheckListBox->setPalette(p);
}

void TDirectoryDlg::EnableSiteButtons(bool on) {
    for (auto* b : {UpdateHotBitBtn, DeleteHotBitBtn, ConnectHotBitBtn, MakeScriptHotBitBtn,
                    SelectAllHotBitBtn, SelectNoneHotBitBtn, SelectReverseHotBitBtn})
        b->setEnabled(on);
}

void TDirectoryDlg::AddKeyType(const std::string& map) {
    if (FindComboItem(KeyTypeComboBox, map) < 0) InsertSortedComboItem(KeyTypeComboBox, map);
}

std::string TDirectoryDlg::KeyMapOf(const std::string& siteName) const {
    win::TIniText book = FFile.Read();
    std::string section =
        IndexOfSite(siteName) >= 0 ? ItemAlias(IndexOfSite(siteName)) : session::DefaultSiteName();
    return session::ReadSite(book, section, FDefaultFontSize).KeyType;
}

// ---- showing and storing a site -----------------------------------------------

void TDirectoryDlg::ShowFont() {
    FontStaticText->setText(Text(FFontName));
    FontStaticText->setToolTip(Text(FFontName));
    FontSizeStaticText->setText(QString::number(FFontSize));
}

void TDirectoryDlg::ShowPicturePath(const std::string& path) {
    QString full = Text(path);
    PictureStaticText->setToolTip(full);
    PictureStaticText->setProperty("Hint", full);
    PictureStaticText->setText(QFileInfo(full).fileName());
}

void TDirectoryDlg::SetLoginText(const std::string& text) {
    // The plain text is a value of the button, never a tooltip: it would
    // show a stored password to anyone pointing at the button.
    FLoginText = text;
    LoginStrHotBitBtn->setProperty("Hint", QByteArray::fromStdString(text));
}

void TDirectoryDlg::ShowSite(const TSite& s) {
    HostEdit->setText(Text(s.Hostname));
    PortEdit->setText(Text(s.Port));
    FFontName = s.FontName;
    FFontSize = s.FontSize;
    FFontBold = s.FontBold;
    FFontItalic = s.FontItalic;
    ShowFont();
    SpaceVSpinEdit->setValue(s.SpaceV);
    RowEdit->setText(Text(s.Row));
    ColumnEdit->setText(Text(s.Column));
    LocalEchoCheckBox->setChecked(s.LocalEcho);
    MonoChromeCheckBox->setChecked(s.Monochrome);
    HyperlinkCheckBox->setChecked(s.Hyperlink);
    AutoWrapCheckBox->setChecked(s.AutoWrap);
    int map = FindComboItem(KeyTypeComboBox, s.KeyType);
    if (map < 0) map = InsertSortedComboItem(KeyTypeComboBox, s.KeyType);
    KeyTypeComboBox->setCurrentIndex(map);
    LoginCheckBox->setChecked(s.Login);
    FLoginStored = s.Login;
    FLoginTouched = false;
    TriggerStrEdit->setText(Text(s.TriggerStr));
    SetLoginText(s.LoginText);
    ForeAutoSendKeyCheckBox->setChecked(s.ForeAutoSendKey);
    BackAutoSendKeyCheckBox->setChecked(s.BackAutoSendKey);
    AutoSendKeyIntervalSpinEdit->setValue(s.SendKeyInterval);
    AutoSendKeyEdit->setText(Text(s.AutoSendKey));
    PictureCheckBox->setChecked(s.Picture);
    ShowPicturePath(s.PictureFilename);
    PictureStyleComboBox->setCurrentIndex(
        s.PictureStyle >= 0 && s.PictureStyle <= 4 ? s.PictureStyle : 4);
    FTintColor = s.Color;
    TransparentCheckBox->setChecked(s.Transparent);
    TransparencyEdit->setText(QString::number(s.Transparency));
    PictureRule();
    AutoSendRule();
    LoginEnableRule();
}

void TDirectoryDlg::LoadSite(const std::string& alias) {
    ShowSite(session::ReadSite(FFile.Read(), alias, FDefaultFontSize));
    int row = IndexOfSite(alias);
    AliasEdit->setText(row >= 0 ? CheckListBox->item(row)->text()
                                : Text(session::SiteDisplayName(alias)));
    LoginRule();
}

std::string TDirectoryDlg::AliasBytes() const {
    const QString shown = AliasEdit->text();
    for (int i = 0; i < Count(); ++i)
        if (CheckListBox->item(i)->text() == shown) return ItemAlias(i);
    return Big5(shown);
}

bool TDirectoryDlg::LoginToSave() const {
    return FLoginTouched ? LoginCheckBox->isChecked() : FLoginStored;
}

TSite TDirectoryDlg::ShownSite() const {
    TSite s;
    s.Hostname = Big5(HostEdit->text());
    s.Port = Big5(PortEdit->text());
    s.FontName = FFontName;
    s.FontSize = FFontSize;
    s.FontBold = FFontBold;
    s.FontItalic = FFontItalic;
    s.Row = Big5(RowEdit->text());
    s.Column = Big5(ColumnEdit->text());
    s.SpaceV = SpaceVSpinEdit->value();
    s.LocalEcho = LocalEchoCheckBox->isChecked();
    s.Monochrome = MonoChromeCheckBox->isChecked();
    s.AutoWrap = AutoWrapCheckBox->isChecked();
    s.Hyperlink = HyperlinkCheckBox->isChecked();
    int map = KeyTypeComboBox->currentIndex();
    s.KeyType = map >= 0 && KeyTypeComboBox->currentText() == KeyTypeComboBox->itemText(map)
                    ? ComboItemBytes(KeyTypeComboBox, map)
                    : Big5(KeyTypeComboBox->currentText());
    s.Login = LoginCheckBox->isChecked();
    s.TriggerStr = Big5(TriggerStrEdit->text());
    s.LoginText = FLoginText;
    s.ForeAutoSendKey = ForeAutoSendKeyCheckBox->isChecked();
    s.BackAutoSendKey = BackAutoSendKeyCheckBox->isChecked();
    s.SendKeyInterval = AutoSendKeyIntervalSpinEdit->value();
    s.AutoSendKey = Big5(AutoSendKeyEdit->text());
    s.Picture = PictureCheckBox->isChecked();
    s.PictureFilename = Big5(PictureStaticText->property("Hint").toString());
    s.PictureStyle = PictureStyleComboBox->currentIndex();
    s.Color = FTintColor;
    s.Transparent = TransparentCheckBox->isChecked();
    // Text that is no number stores the default instead of failing.
    s.Transparency = session::NumberRule(Big5(TransparencyEdit->text()), 20);
    return s;
}

QFont TDirectoryDlg::ShownFont() const {
    QFont f(Text(FFontName));
    f.setPointSize(std::max(1, FFontSize));
    f.setBold(FFontBold);
    f.setItalic(FFontItalic);
    return f;
}

QFont TDirectoryDlg::DefaultSiteFont() const {
    QFont f(Text(FDefaultSite.FontName));
    f.setPointSize(std::max(1, FDefaultSite.FontSize));
    f.setBold(FDefaultSite.FontBold);
    f.setItalic(FDefaultSite.FontItalic);
    return f;
}

void TDirectoryDlg::ReloadDefaultSite() {
    FDefaultSite = session::ReadSite(FFile.Read(), session::DefaultSiteName(), FDefaultFontSize);
}

bool TDirectoryDlg::SaveSite() {
    std::string alias = AliasBytes();
    if (alias.empty()) return false;
    TSite s = ShownSite();
    s.Login = LoginToSave();
    bool ok = EditBook([&](win::TIniText& t) { session::WriteSite(t, alias, s, session::sgSite); });
    if (session::IsDefaultSiteName(alias)) ReloadDefaultSite();
    return ok;
}

void TDirectoryDlg::UpdateFontSize(const std::string& alias, int size) {
    if (!win::SameProfileName(alias, AliasBytes())) return;
    FFontSize = size;
    ShowFont();
}

// ---- rules -------------------------------------------------------------------

void TDirectoryDlg::PictureRule() {
    bool on = PictureCheckBox->isChecked();
    PictureStaticText->setEnabled(on);
    OpenSpeedButton->setEnabled(on);
    PictureStyleComboBox->setEnabled(on);
    bool tintOff = on && TransparentCheckBox->isChecked();
    ColorStaticText->setEnabled(!tintOff);
    ColorLabel->setEnabled(!tintOff);
    QPalette p = ColorStaticText->palette();
    p.setColor(QPalette::Window,
               tintOff ? palette().color(QPalette::Button) : FromStored(FTintColor));
    ColorStaticText->setPalette(p);
}

void TDirectoryDlg::AutoSendRule() {
    bool on = ForeAutoSendKeyCheckBox->isChecked() || BackAutoSendKeyCheckBox->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{AutoSendKeyEdit, AutoSendKeyLabel,
                                         AutoSendKeyIntervalSpinEdit, AutoSendKeyIntervalLabel})
        w->setEnabled(on);
}

void TDirectoryDlg::LoginEnableRule() {
    bool on = LoginCheckBox->isChecked();
    TriggerStrEdit->setEnabled(on);
    TriggerStrLabel->setEnabled(on);
    LoginStrHotBitBtn->setEnabled(on);
}

void TDirectoryDlg::LoginRule() {
    if (LoginCheckBox->isChecked() && !FLoginText.empty() && !CheckPassword(false)) {
        QSignalBlocker block(LoginCheckBox);
        LoginCheckBox->setChecked(false);
    }
    LoginEnableRule();
}

void TDirectoryDlg::LoginCheckBoxClick() {
    bool wanted = LoginCheckBox->isChecked();
    LoginRule();
    // A refused password puts the box back; that is no change by the user.
    if (LoginCheckBox->isChecked() == wanted) FLoginTouched = true;
}

void TDirectoryDlg::ReAskPassword() {
    FPassword.Lock();
    // With a password stored, the shown site's automatic login waits for it
    // again; the stored value stays as it is unless the user changes the box.
    std::string stored = session::ReadDirectoryPassword(FFile.Read());
    if (!stored.empty() && stored != session::kNoPassword) {
        QSignalBlocker block(LoginCheckBox);
        LoginCheckBox->setChecked(false);
        LoginEnableRule();
    }
}

bool TDirectoryDlg::CheckPassword(bool changePassword) {
    TPasswdDlgPrompt prompt(isVisible() ? static_cast<QWidget*>(this) : parentWidget());
    TStore store(FFile);
    return FPassword.CheckPassword(changePassword, prompt, store);
}

void TDirectoryDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Red captions while the preferences override the site's font or picture.
    const QColor red(Qt::red), normal = QApplication::palette().color(QPalette::WindowText);
    for (QWidget* w :
         std::initializer_list<QWidget*>{SpaceVLabel, SpaceVSpinEdit, FontHotBitBtn, FontStaticText,
                                         FontSizeLabel, FontSizeStaticText}) {
        QPalette p = w->palette();
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            p.setColor(role, FHost.GlobalFont() ? red : normal);
        w->setPalette(p);
    }
    PictureGroupBox->setStyleSheet(FHost.GlobalPicture() ? "QGroupBox::title { color: red; }" : "");
    std::string current;
    JumpHotBitBtn->setEnabled(FHost.CurrentSiteName(current));
    LayoutColumns();
    if (!FShownOnce) {
        // Creation loads the site without its password question.
        FShownOnce = true;
        LoginRule();
    }
}
