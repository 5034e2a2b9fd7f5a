// The command table: every command of the main window once, with caption,
// shortcut, handler and enabled rule. Menus, pop-up menus and toolbar
// buttons are built from it, so a menu item, its pop-up copy (the "2" name)
// and its button share one action and can never disagree.
#include "session/kvMainForm.h"

#include "platform/Artwork.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

using F = TkvMainForm;
using R = TCommandRule;

const std::vector<TkvMainForm::TCommand>& TkvMainForm::Commands() {
    static const std::vector<TCommand> table = {
        // Connecting
        {"Connect", "連線(&C)", "", &F::ConnectClick, R::Always, false, "bp-connect"},
        {"Disconnect", "斷線(&D)", "", &F::DisconnectClick, R::CurrentSession, false,
         "bp-disconnect"},
        {"DisconnectAll", "中斷所有連線(&K)", "", &F::DisconnectAllClick, R::HasSession, false},
        {"ReconnectAll", "重新連線所有站台(&L)", "", &F::ReconnectAllClick, R::HasSession, false},
        {"SingleConnect", "連線...(&A)", "", &F::SingleConnectClick, R::Always, false,
         "bp-connect-dialog"},
        {"Directory", "位址簿...(&N)", "", &F::DirectoryClick, R::Always, false,
         "x-office-address-book"},
        {"AddSite", "將此站台加入位址簿(&G)", "", &F::AddSiteClick, R::CurrentSession, false},
        {"Quillon", "站台列表...(&B)", "", &F::QuillonClick, R::Always, false},
        {"RunScript", "執行腳本...(&R)", "", &F::RunScriptClick, R::Always, false, "system-run"},
        {"MakeScript", "製作腳本...(&M)", "", &F::MakeScriptClick, R::HasSession, false},
        {"LoadTrace", "讀入追蹤畫面...(&E)", "", &F::LoadTraceClick, R::Always, false},
        {"Upload", "上傳文字檔...(&U)", "", &F::UploadClick, R::CurrentSession, false},
        {"SaveScreen", "儲存畫面...(&S)", "", &F::SaveScreenClick, R::CurrentSession, false},
        {"SaveBuffer", "儲存緩衝區...(&V)", "", &F::SaveBufferClick, R::CurrentSession, false},
        {"PrintScreen", "列印畫面(&P)", "", &F::PrintScreenClick, R::CurrentSession, false},
        {"PrintBuffer", "列印緩衝區(&I)", "", &F::PrintBufferClick, R::CurrentSession, false},
        {"SetupPrinter", "印表機設定...(&T)", "", &F::SetupPrinterClick, R::Always, false},
        {"ExitProgram", "結束(&X)", "", &F::ExitProgramClick, R::Always, false},
        // Editing
        {"Copy", "複製(&C)", "Ctrl+Ins", &F::CopyClick, R::CopyCommand, false, "edit-copy"},
        {"CopyAnsi", "彩色複製(&A)", "", &F::CopyAnsiClick, R::CopyCommand, false},
        {"Paste", "貼上(&P)", "Shift+Ins", &F::PasteClick, R::CurrentSession, false, "edit-paste"},
        {"PasteAnsi", "彩色貼上(&N)", "", &F::PasteAnsiClick, R::CurrentSession, false},
        {"CopyPaste", "複製並貼上(&Y)", "", &F::CopyPasteClick, R::CopyCommand, false},
        {"CopyScreen", "複製畫面(&S)", "", &F::CopyScreenClick, R::CurrentSession, false},
        {"CopyBuffer", "複製緩衝區(&B)", "", &F::CopyBufferClick, R::CurrentSession, false},
        {"CopyHyperlink", "複製超連結(&H)", "", &F::CopyHyperlinkClick, R::CurrentSession, false},
        {"GotoHyperlink", "開啟超連結(&G)", "", &F::GotoHyperlinkClick, R::CurrentSession, false},
        {"ClearScreen", "清除畫面(&L)", "", &F::ClearScreenClick, R::CurrentSession, false},
        {"ClearBuffer", "清除緩衝區(&R)", "", &F::ClearBufferClick, R::CurrentSession, false},
        {"Find", "尋找...(&F)", "", &F::FindClick, R::CurrentSession, false},
        {"FindNext", "找下一個(&X)", "", &F::FindNextClick, R::CurrentSession, false},
        {"AnsiEsc", "&Esc", "", &F::AnsiEscClick, R::Always, true},
        {"AnsiCtrl", "&Ctrl + U", "", &F::AnsiCtrlClick, R::Always, true},
        {"AnsiNone", "無(&N)", "", &F::AnsiNoneClick, R::Always, true},
        {"AnsiColor", "ANSI 色彩...(&O)", "", &F::AnsiColorClick, R::Always, true},
        // View
        {"ConnectionToolBar", "連線工具列(&C)", "", &F::ConnectionToolBarClick, R::Always, true},
        {"FunctionToolBar", "功能工具列(&F)", "", &F::FunctionToolBarClick, R::Always, true},
        {"SpeedBtnToolBar", "快速鍵工具列(&S)", "", &F::SpeedBtnToolBarClick, R::Always, true},
        {"ShortcutToolBar", "捷徑工具列(&H)", "", &F::ShortcutToolBarClick, R::Always, true},
        {"LineToolBar", "整行輸入列(&L)", "", &F::LineToolBarClick, R::Always, true},
        {"StatusBarMenuItem", "狀態列(&B)", "", &F::StatusBarMenuItemClick, R::Always, true},
        {"ConnectionForm1", "橫式連線列表(&W)", "", &F::ConnectionForm1Click, R::Always, true},
        {"ConnectionForm2", "直式連線列表(Alt-&S)", "", &F::ConnectionForm2Click, R::Always, true,
         "view-list"},
        {"ScrollBarVisible", "捲軸(&R)", "", &F::ScrollBarVisibleClick, R::Always, true},
        {"TransparentMenuItem", "透明(&T)", "", &F::TransparentMenuItemClick, R::Always, true},
        {"PictureMenuItem", "顯示圖片(&P)", "", &F::PictureMenuItemClick, R::Always, true},
        {"CenterMenuItem", "置中(&C)", "", &F::CenterMenuItemClick, R::Always, true},
        {"TileMenuItem", "排列(&T)", "", &F::CenterMenuItemClick, R::Always, true},
        {"StretchMenuItem", "展開(&S)", "", &F::CenterMenuItemClick, R::Always, true},
        {"LoadPictureMenuItem", "載入圖片...(&L)", "", &F::LoadPictureMenuItemClick, R::Always,
         false},
        {"Rearrange", "重新整理(&R)", "", &F::RearrangeClick, R::Always, false},
        // Session windows
        {"MaxConnection", "最大化目前連線(&W)", "", &F::MaxConnectionClick, R::HasSession, false},
        {"MaxAllConnection", "最大化所有連線(&Q)", "", &F::MaxAllConnectionClick, R::HasSession,
         false},
        {"MinAllConnection", "最小化所有連線(&N)", "", &F::MinAllConnectionClick, R::HasSession,
         false},
        {"RestoreAllConnection", "還原所有連線(&E)", "", &F::RestoreAllConnectionClick,
         R::HasSession, false},
        {"TileH", "水平排列(&H)", "", &F::TileHClick, R::HasSession, false},
        {"TileV", "垂直排列(&V)", "", &F::TileVClick, R::HasSession, false},
        {"TileO", "併排顯示(&C)", "", &F::TileOClick, R::HasSession, false},
        {"MoveToLeftTop", "所有連線移至左上角(&M)", "", &F::MoveToLeftTopClick, R::HasSession,
         false},
        {"MoveTo", "所有連線移至...(&T)", "", &F::MoveToClick, R::HasSession, false},
        {"Screen640x480", "&640*480", "", &F::Screen640x480Click, R::Always, false},
        {"Screen800x600", "&800*600", "", &F::Screen800x600Click, R::Always, false},
        {"Screen1024x768", "&1024*768", "", &F::Screen1024x768Click, R::Always, false},
        {"Screen1280x1024", "1&280*1024", "", &F::Screen1280x1024Click, R::Always, false},
        {"Previous", "上一個連線(&Z)", "", &F::PreviousClick, R::TwoSessions, false, "go-previous"},
        {"Next", "下一個連線(&X)", "", &F::NextClick, R::TwoSessions, false, "go-next"},
        {"PreviousTalk", "上一個對話(&J)", "", &F::PreviousTalkClick, R::TwoSessions, false,
         "bp-talk-previous"},
        {"NextTalk", "下一個對話(&K)", "", &F::NextTalkClick, R::TwoSessions, false,
         "bp-talk-next"},
        // Options
        {"SetPreference", "偏好設定...(&O)", "", &F::SetPreferenceClick, R::Always, false,
         "preferences-system"},
        {"KeyboardMapping", "鍵盤對應...(&K)", "", &F::KeyboardMappingClick, R::Always, false},
        {"EditSpeedBtn", "快速鍵 ", "", &F::EditSpeedBtnClick, R::Always, false, "input-keyboard"},
        {"ApplyDefaultSettingMenuItem", "連線時套用預設值(&D)", "", &F::ToggleClick, R::Always,
         true},
        {"MaxWhenConnection", "連線時最大化(&X)", "", &F::ToggleClick, R::Always, true},
        {"MoveToLeftTopWhenConnection", "連線時移至左上角(&M)", "", &F::ToggleClick, R::Always,
         true},
        {"DontLogin", "不使用自動簽入(&L)", "", &F::ToggleClick, R::Always, true},
        {"FocusWhenBeep", "嗶聲時切換到該連線(&F)", "", &F::ToggleClick, R::Always, true},
        {"ForeDontAutoSendKey", "前景不自動送出按鍵(&G)", "", &F::ToggleClick, R::Always, true},
        {"BackDontAutoSendKey", "背景不自動送出按鍵(&B)", "", &F::ToggleClick, R::Always, true},
        {"AutoSaveFontSize", "自動儲存字型大小(&S)", "", &F::ToggleClick, R::Always, true},
        {"ResetPassword", "重設密碼(&P)", "", &F::ResetPasswordClick, R::Always, false},
        {"ReAskPassword", "重新詢問密碼(&A)", "", &F::ReAskPasswordClick, R::Always, false},
        {"DefaultTelnet", "設為預設的 Telnet 程式(&T)", "", &F::DefaultTelnetClick, R::Always,
         false},
        {"DesktopItemIndex", "在桌面建立捷徑(&D)", "", &F::DesktopItemIndexClick, R::Always, false},
        {"ProgramMenuItem", "在程式集建立捷徑(&M)", "", &F::ProgramMenuItemClick, R::Always, false},
        // Help
        {"GotoBrowser", "使用瀏覽器(&B)", "", &F::GotoBrowserClick, R::Always, false},
        {"ShowLocalIP", "本機 IP 位址(&I)", "", &F::ShowLocalIPClick, R::Always, false},
        {"Brannoconline1", "Brannoc 的首頁(&H)", "", &F::Brannoconline1Click, R::Always, false},
        {"About", "關於此程式...(&A)", "", &F::AboutClick, R::Always, false},
        // Session list pop-up
        {"CLFormBackColor", "底色...(&B)", "", &F::CLFormBackColorClick, R::Always, false},
        {"CLFormFontColor", "字型顏色...(&F)", "", &F::CLFormFontColorClick, R::Always, false},
    };
    return table;
}

namespace {

// The menus: ">caption" opens a sub-menu, "<" closes it, "-" is a
// separator, anything else names a command.
const char* const MainMenu[] = {
    ">檔案(&F)",
    "Connect",
    "Disconnect",
    "DisconnectAll",
    "ReconnectAll",
    "-",
    "SingleConnect",
    "Directory",
    "AddSite",
    "Quillon",
    "-",
    "RunScript",
    "MakeScript",
    "LoadTrace",
    "Upload",
    "-",
    "SaveScreen",
    "SaveBuffer",
    "PrintScreen",
    "PrintBuffer",
    "SetupPrinter",
    "-",
    "ExitProgram",
    "<",
    ">編輯(&E)",
    "Copy",
    "CopyAnsi",
    "Paste",
    "PasteAnsi",
    "CopyPaste",
    "CopyScreen",
    "CopyBuffer",
    "-",
    "ClearScreen",
    "ClearBuffer",
    "-",
    "Find",
    "FindNext",
    "-",
    ">ANSI(&A)",
    "AnsiEsc",
    "AnsiCtrl",
    "AnsiNone",
    "<",
    "AnsiColor",
    "<",
    ">檢視(&V)",
    "ConnectionToolBar",
    "FunctionToolBar",
    "SpeedBtnToolBar",
    "ShortcutToolBar",
    "LineToolBar",
    "StatusBarMenuItem",
    "-",
    "ConnectionForm1",
    "ConnectionForm2",
    "ScrollBarVisible",
    "-",
    ">背景(&G)",
    "TransparentMenuItem",
    "PictureMenuItem",
    ">圖片樣式(&Y)",
    "CenterMenuItem",
    "TileMenuItem",
    "StretchMenuItem",
    "<",
    "LoadPictureMenuItem",
    "<",
    "Rearrange",
    "<",
    ">視窗(&W)",
    "MaxConnection",
    "MaxAllConnection",
    "MinAllConnection",
    "RestoreAllConnection",
    "-",
    "TileH",
    "TileV",
    "TileO",
    "-",
    "MoveToLeftTop",
    "MoveTo",
    "-",
    ">視窗大小(&Z)",
    "Screen640x480",
    "Screen800x600",
    "Screen1024x768",
    "Screen1280x1024",
    "<",
    "-",
    "Previous",
    "Next",
    "PreviousTalk",
    "NextTalk",
    "<",
    ">選項(&O)",
    "SetPreference",
    "KeyboardMapping",
    "EditSpeedBtn",
    "-",
    "ApplyDefaultSettingMenuItem",
    "MaxWhenConnection",
    "MoveToLeftTopWhenConnection",
    "DontLogin",
    "FocusWhenBeep",
    "ForeDontAutoSendKey",
    "BackDontAutoSendKey",
    "AutoSaveFontSize",
    "-",
    "ResetPassword",
    "ReAskPassword",
    "-",
    "DefaultTelnet",
    "DesktopItemIndex",
    "ProgramMenuItem",
    "<",
    ">說明(&H)",
    "GotoBrowser",
    "ShowLocalIP",
    "Brannoconline1",
    "-",
    "About",
    "<",
};

// The document area's pop-up: the copies ("2") of the background items.
const char* const DocumentMenu[] = {
    "TransparentMenuItem2",
    "PictureMenuItem2",
    ">圖片樣式(&Y)",
    "CenterMenuItem2",
    "TileMenuItem2",
    "StretchMenuItem2",
    "<",
    "LoadPictureMenuItem2",
    "-",
    "Rearrange",
    "-",
    "TileH",
    "TileV",
    "TileO",
    "MaxAllConnection",
    "MinAllConnection",
    "RestoreAllConnection",
};

const char* const SessionMenu[] = {
    "Copy",    "CopyAnsi",      "Paste",         "PasteAnsi", "CopyPaste",
    "-",       "CopyHyperlink", "GotoHyperlink", "-",         ">ANSI(&A)",
    "AnsiEsc", "AnsiCtrlU2",    "AnsiNone",      "<",         "-",
    "AddSite", "MaxConnection", "Disconnect",
};

const char* const ListMenu[] = {"CLFormBackColor", "CLFormFontColor"};

// Fills a menu bar (bar set, top nullptr) or a pop-up menu (top set).
template <std::size_t N>
void FillMenu(QMenuBar* bar, QMenu* top, const char* const (&items)[N], const TkvMainForm& form) {
    std::vector<QMenu*> stack{top};
    for (const char* item : items) {
        QString text = QString::fromUtf8(item);
        QMenu* at = stack.back();
        if (text.startsWith('>')) {
            QMenu* sub = at ? at->addMenu(text.mid(1)) : bar ? bar->addMenu(text.mid(1)) : nullptr;
            if (!sub) continue;
            stack.push_back(sub);
        } else if (text == "<") {
            if (stack.size() > 1) stack.pop_back();
        } else if (!at) {
            continue; // only menus sit on the bar itself
        } else if (text == "-") {
            at->addSeparator();
        } else if (QAction* a = form.Action(text)) {
            at->addAction(a);
        }
    }
}

} // namespace

void TkvMainForm::BuildCommands() {
    FAnsiGroup = new QActionGroup(this);
    FPictureStyleGroup = new QActionGroup(this);
    for (const TCommand& c : Commands()) {
        auto* a = new QAction(QString::fromUtf8(c.Caption), this);
        a->setObjectName(QString::fromLatin1(c.Name));
        if (*c.Shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(c.Shortcut)));
        a->setCheckable(c.Checkable);
        if (*c.Icon) a->setIcon(win::ToolbarIcon(QString::fromLatin1(c.Icon)));
        THandler h = c.Handler;
        connect(a, &QAction::triggered, this, [this, h, a] { (this->*h)(a); });
        FActions[a->objectName()] = a;
    }
    for (const char* n : {"AnsiEsc", "AnsiCtrl", "AnsiNone"})
        FAnsiGroup->addAction(Action(n));
    int tag = 1;
    for (const char* n : {"CenterMenuItem", "TileMenuItem", "StretchMenuItem"}) {
        Action(n)->setProperty("Tag", tag++);
        FPictureStyleGroup->addAction(Action(n));
    }
}

void TkvMainForm::BuildMenus() {
    FillMenu(menuBar(), nullptr, MainMenu, *this);
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    FillMenu(nullptr, PopupMenu, DocumentMenu, *this);
    DetachedFormPopupMenu = new QMenu(this);
    DetachedFormPopupMenu->setObjectName(QStringLiteral("DetachedFormPopupMenu"));
    FillMenu(nullptr, DetachedFormPopupMenu, SessionMenu, *this);
    WirePopupLink();
    ListPopupMenu = new QMenu(this);
    ListPopupMenu->setObjectName(QStringLiteral("ListPopupMenu"));
    FillMenu(nullptr, ListPopupMenu, ListMenu, *this);
}

QAction* TkvMainForm::Action(const QString& name) const {
    auto it = FActions.find(name);
    if (it != FActions.end()) return it->second;
    // Pop-up copies carry the suffix 2 and share the main item's action.
    static const std::map<QString, QString> aliases = {
        {QStringLiteral("AnsiCtrlU2"), QStringLiteral("AnsiCtrl")},
        {QStringLiteral("B3"), QStringLiteral("EditSpeedBtn")},
    };
    auto alias = aliases.find(name);
    if (alias != aliases.end()) return Action(alias->second);
    if (name.endsWith('2')) {
        it = FActions.find(name.chopped(1));
        if (it != FActions.end()) return it->second;
    }
    return nullptr;
}

TCommandState TkvMainForm::CommandState() const {
    TCommandState s;
    s.SessionCount = static_cast<int>(Sessions.size());
    s.HasCurrent = CurrentSession >= 0 && CurrentSession < s.SessionCount;
    s.ConnectCount = ConnectCount;
    s.CopyMark = Settings.CopyMark;
    return s;
}

void TkvMainForm::UpdateCommands() {
    TCommandState s = CommandState();
    for (const TCommand& c : Commands())
        if (QAction* a = Action(QString::fromLatin1(c.Name)))
            a->setEnabled(CommandEnabled(c.Enabled, s));
    if (FCommandsLocked) EnableCommands(false); // a long pass still runs
}

void TkvMainForm::ToggleClick(QObject*) {
    // The action's check mark flips by itself; the setting is read from it
    // when the settings are saved.
}
