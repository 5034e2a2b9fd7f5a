// The main window's docks and its five toolbars: building them, docking
// them in their saved order at start-up, their close and dock events, and
// what their places write back to Brannoc.ini.
#include "session/kvMainForm.h"

#include "controls/AddOnDock.h"
#include "controls/DockTlbr.h"
#include "controls/DockWin.h"
#include "controls/HotBitBtn.h"
#include "controls/LblEffct.h"
#include "platform/Artwork.h"
#include "session/core/DockOrder.h"
#include "session/core/WindowLayout.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QToolButton>

#include <utility>
#include <vector>

namespace {

// The View items of the toolbars, in ToolbarPrefixes order.
const char* const BarItems[tbCount] = {"ConnectionToolBar", "FunctionToolBar", "ShortcutToolBar",
                                       "SpeedBtnToolBar", "LineToolBar"};

// A control joins a toolbar at the end of its order.
template <class W> W* AddTo(TToolbar* bar, W* control) {
    control->setParent(bar);
    control->show();
    return control;
}

void AddSeparator(TToolbar* bar) {
    AddTo(bar, new TToolbarSep(bar));
}

TToolbar* MakeToolbar(TDock* dock, const char* name, const char* caption, int row, int pos) {
    auto* bar = new TToolbar(dock);
    bar->setObjectName(QString::fromLatin1(name));
    bar->SetCaption(QString::fromLatin1(caption));
    bar->SetDefaultDock(dock);
    bar->SetDockRow(row);
    bar->SetDockPos(pos);
    return bar;
}

} // namespace

namespace {

// The Alt letter of each toolbar command button: the letter of the Alt key
// that runs the same command from anywhere in the window.
const std::pair<const char*, char> ButtonLetters[] = {
    {"ConnectSpeedBtn", 'C'},       {"DisconnectSpeedBtn", 'D'},
    {"SingleConnectSpeedBtn", 'G'}, {"OtherConnectionSpeedBtn", 'N'},
    {"ScriptSpeedBtn", 'R'},        {"CopySpeedBtn", 'Y'},
    {"PasteSpeedBtn", 'U'},         {"ShowSpeedBtn", 'S'},
    {"PreferenceSpeedBtn", 'O'},    {"TalkPvsSpeedBtn", 'J'},
    {"TalkNxtSpeedBtn", 'K'},       {"PreviousSpeedBtn", 'Z'},
    {"NextSpeedBtn", 'X'},          {"EditSpeedBtn", 'B'},
};

// A command's text without its menu accelerator: "連線(&C)" and "連線...(&A)"
// give "連線" and "連線...".
QString CommandName(QString text) {
    static const QRegularExpression accel(QStringLiteral("\\(&.\\)$"));
    text.remove(accel);
    return text.remove(QLatin1Char('&'));
}

// A command button shows its command's picture and, beside it, its
// caption: the Alt letter (the speed-key button adds its group's digit);
// its hint is the command's name followed by what hiding the caption moved
// there. With the caption hidden the face is the picture alone.
void ShowButtonText(QToolButton* b) {
    const QAction* a = b->property("Command").value<QAction*>();
    const QString name = a ? CommandName(a->text()) : QString();
    QString caption = b->property("Caption").toString();
    if (b->property("GroupDigit").toBool() && !name.isEmpty()) caption += name.back();
    b->setText(caption);
    b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                            : Qt::ToolButtonTextBesideIcon);
    b->setToolTip(name + b->property("Hint").toString());
}

} // namespace

// The toolbar command buttons (Tag -1) follow their action's enabled and
// checked state and run it when clicked, but carry their own caption and
// hint for the caption setting to move between face and hint.
QToolButton* TkvMainForm::CommandButton(const char* name, const QString& objectName) {
    auto* b = new QToolButton;
    b->setObjectName(objectName);
    b->setAutoRaise(true);
    b->setIconSize(QSize(16, 16));
    b->setProperty("Tag", -1);
    b->setProperty("GroupDigit", objectName == QLatin1String("EditSpeedBtn"));
    for (auto [button, letter] : ButtonLetters)
        if (objectName == QLatin1String(button)) b->setProperty("Caption", QString(QChar(letter)));
    b->setProperty("Hint", QString());
    if (QAction* a = Action(QString::fromLatin1(name))) {
        b->setProperty("Command", QVariant::fromValue(a));
        b->setCheckable(a->isCheckable());
        b->setIcon(a->icon());
        auto follow = [b, a] {
            b->setEnabled(a->isEnabled());
            if (a->isCheckable()) b->setChecked(a->isChecked());
            ShowButtonText(b);
        };
        follow();
        connect(a, &QAction::changed, b, follow);
        connect(b, &QToolButton::clicked, a, [a] { a->trigger(); });
    }
    ShowButtonText(b);
    return b;
}

std::vector<QToolButton*> TkvMainForm::CaptionButtons() const {
    std::vector<QToolButton*> out;
    for (QToolButton* b : findChildren<QToolButton*>())
        if (b->property("Tag") == QVariant(-1)) out.push_back(b);
    return out;
}

void TkvMainForm::MoveButtonCaptions(bool hide) {
    for (QToolButton* b : CaptionButtons()) {
        const session::TButtonText now{b->property("Caption").toString().toStdString(),
                                       b->property("Hint").toString().toStdString()};
        const session::TButtonText t =
            hide ? session::HideButtonCaption(now) : session::ShowButtonCaption(now);
        b->setProperty("Caption", QString::fromStdString(t.Caption));
        b->setProperty("Hint", QString::fromStdString(t.Hint));
        ShowButtonText(b);
    }
}

void TkvMainForm::HideButtonCaptions() {
    MoveButtonCaptions(true);
}

void TkvMainForm::ShowButtonCaptions() {
    MoveButtonCaptions(false);
}

void TkvMainForm::BuildDocks(QWidget* central) {
    TopDock = new TDock(central, dpTop);
    TopDock->setObjectName(QStringLiteral("TopDock"));
    BottomDock = new TDock(central, dpBottom);
    BottomDock->setObjectName(QStringLiteral("BottomDock"));
    TopDock->OnResize = [this](QObject* sender) { TopDockResize(sender); };
}

void TkvMainForm::BuildToolbars() {
    const auto& at = DesignedToolbars;
    ConnectionBar = MakeToolbar(TopDock, "ConnectionBar", "Connection", at[tbConnection].DockRow,
                                at[tbConnection].DockPos);
    HostLabelEffect = AddTo(ConnectionBar, new TLabelEffect);
    HostLabelEffect->setObjectName(QStringLiteral("HostLabelEffect"));
    HostLabelEffect->SetCaption(QString::fromUtf8("主機(&H)"));
    HostLabelEffect->SetFontFace(font().family(), 9);
    HostLabelEffect->SetEffectStyle(controls::esNone);
    HostLabelEffect->SetFontColor(palette().color(QPalette::WindowText));
    HostNameComboBox = AddTo(ConnectionBar, new QComboBox);
    HostNameComboBox->setObjectName(QStringLiteral("HostNameComboBox"));
    HostNameComboBox->setEditable(true);
    HostNameComboBox->setInsertPolicy(QComboBox::NoInsert);
    HostNameComboBox->setMinimumWidth(160);
    HostLabelEffect->SetFocusControl(HostNameComboBox);
    HostLabelEffect->resize(
        HostLabelEffect->fontMetrics().horizontalAdvance(QStringLiteral("主機(H)")) + 8, 22);
    auto* portLabel = AddTo(ConnectionBar, new QLabel(QString::fromUtf8("埠(&P)")));
    PortEdit = AddTo(ConnectionBar, new QLineEdit);
    PortEdit->setObjectName(QStringLiteral("PortEdit"));
    PortEdit->setMaxLength(5);
    PortEdit->setFixedWidth(48);
    portLabel->setBuddy(PortEdit);
    AddTo(ConnectionBar, CommandButton("Connect", QStringLiteral("ConnectSpeedBtn")));
    AddTo(ConnectionBar, CommandButton("Disconnect", QStringLiteral("DisconnectSpeedBtn")));

    FunctionBar = MakeToolbar(TopDock, "FunctionBar", "Function", at[tbFunction].DockRow,
                              at[tbFunction].DockPos);
    const std::pair<const char*, const char*> functions[] = {
        {"SingleConnect", "SingleConnectSpeedBtn"},
        {"Directory", "OtherConnectionSpeedBtn"},
        {"RunScript", "ScriptSpeedBtn"},
        {nullptr, nullptr},
        {"Copy", "CopySpeedBtn"},
        {"Paste", "PasteSpeedBtn"},
        {nullptr, nullptr},
        {"Previous", "PreviousSpeedBtn"},
        {"Next", "NextSpeedBtn"},
        {"PreviousTalk", "TalkPvsSpeedBtn"},
        {"NextTalk", "TalkNxtSpeedBtn"},
        {nullptr, nullptr},
        {"ConnectionForm2", "ShowSpeedBtn"},
        {"SetPreference", "PreferenceSpeedBtn"},
    };
    for (auto [command, button] : functions) {
        if (!command)
            AddSeparator(FunctionBar);
        else
            AddTo(FunctionBar, CommandButton(command, QString::fromLatin1(button)));
    }

    SpeedBtnBar = MakeToolbar(TopDock, "SpeedBtnBar", "SpeedBtn", at[tbSpeedBtn].DockRow,
                              at[tbSpeedBtn].DockPos);
    EditSpeedBtn =
        AddTo(SpeedBtnBar, CommandButton("EditSpeedBtn", QStringLiteral("EditSpeedBtn")));
    Spin = AddTo(SpeedBtnBar, new TSpin);
    Spin->setObjectName(QStringLiteral("Spin"));
    Spin->resize(16, 22);
    Spin->OnUpClick = [this](TSpin* s) { SpinUpClick(s); };
    Spin->OnDownClick = [this](TSpin* s) { SpinDownClick(s); };
    for (int i = 0; i < 12; ++i) {
        auto* b = AddTo(SpeedBtnBar, new QToolButton);
        b->setObjectName(QStringLiteral("SpeedBtn%1").arg(i));
        b->setAutoRaise(true);
        b->setProperty("Tag", i);
        connect(b, &QToolButton::clicked, this, [this, b] { SpeedBtnClick(b); });
        SpeedButtons[i] = b;
    }

    ShortcutBar = MakeToolbar(TopDock, "ShortcutBar", "Shortcut", at[tbShortcut].DockRow,
                              at[tbShortcut].DockPos);
    auto* shortcutLabel = AddTo(ShortcutBar, new QLabel(QString::fromUtf8("快速鍵(&L)")));
    ShortcutEdit = AddTo(ShortcutBar, new QLineEdit);
    ShortcutEdit->setObjectName(QStringLiteral("ShortcutEdit"));
    ShortcutEdit->setFixedWidth(60);
    shortcutLabel->setBuddy(ShortcutEdit);

    LineBar = MakeToolbar(BottomDock, "LineBar", "Line", at[tbLine].DockRow, at[tbLine].DockPos);
    LineBar->DockMode = dmCannotFloat;
    LineComboBox = AddTo(LineBar, new QComboBox);
    LineComboBox->setObjectName(QStringLiteral("LineComboBox"));
    LineComboBox->setEditable(true);
    LineComboBox->setInsertPolicy(QComboBox::NoInsert);
    LineComboBox->setMinimumWidth(320);
    LineLockCheckBox = AddTo(LineBar, new QCheckBox(QString::fromUtf8("鎖定")));
    LineLockCheckBox->setObjectName(QStringLiteral("LineLockCheckBox"));
    connect(LineLockCheckBox, &QCheckBox::clicked, this,
            [this] { LineLockCheckBoxClick(LineLockCheckBox); });
    SendHotBitBtn = AddTo(LineBar, new THotBitBtn);
    SendHotBitBtn->setObjectName(QStringLiteral("SendHotBitBtn"));
    SendHotBitBtn->SetCaption(QString::fromUtf8("送出"));
    SendHotBitBtn->OnClick = [this](THotBitBtn* b) { SendHotBitBtnClick(b); };
    SendLnHotBitBtn = AddTo(LineBar, new THotBitBtn);
    SendLnHotBitBtn->setObjectName(QStringLiteral("SendLnHotBitBtn"));
    SendLnHotBitBtn->SetCaption(QString::fromUtf8("送出並換行"));
    SendLnHotBitBtn->OnClick = [this](THotBitBtn* b) { SendHotBitBtnClick(b); };
    // Their pictures go beside the caption, so each is that much wider.
    for (auto [button, icon] :
         {std::pair{SendHotBitBtn, "mail-send"}, std::pair{SendLnHotBitBtn, "bp-send-line"}}) {
        const QImage glyph = win::ToolbarIcon(QString::fromLatin1(icon)).pixmap(16, 16).toImage();
        button->SetGlyph(glyph);
        const QSize hint = button->sizeHint();
        button->resize(hint.width() + glyph.width() + 4, hint.height());
    }

    Toolbars = {ConnectionBar, FunctionBar, ShortcutBar, SpeedBtnBar, LineBar};
    ConnectionBar->OnClose = [this](TCustomToolWindow* s) { ConnectionBarClose(s); };
    FunctionBar->OnClose = [this](TCustomToolWindow* s) { FunctionBarClose(s); };
    SpeedBtnBar->OnClose = [this](TCustomToolWindow* s) { SpeedBtnBarClose(s); };
    ShortcutBar->OnClose = [this](TCustomToolWindow* s) { ShortcutBarClose(s); };
    LineBar->OnClose = [this](TCustomToolWindow* s) { LineBarClose(s); };
    ConnectionBar->OnDockChanged = [this](TCustomToolWindow* s) { ConnectionBarDockChanged(s); };
    for (TToolbar* bar : Toolbars)
        bar->ArrangeControls();
}

// Start-up: every toolbar undocked first, then docked one at a time in the
// order of (DockRow, DockPos), so each dock rebuilds the saved rows.
void TkvMainForm::DockToolbars() {
    for (TToolbar* bar : Toolbars)
        bar->SetDockedTo(nullptr);
    for (int t : DockOrder(Settings.Toolbars)) {
        const TToolbarSettings& s = Settings.Toolbars[t];
        TToolbar* bar = Toolbars[t];
        bar->SetDockRow(s.DockRow);
        bar->SetDockPos(s.DockPos);
        bar->SetFloatingPosition(QPoint(s.Left, s.Top));
        bar->SetFloatingRightX(std::max(0, s.FloatingWidth));
        bar->setVisible(s.Visible);
        int dock = s.Dock;
        // A bar that cannot float goes to its designed dock when the file
        // says it floats, else it would float anyway or never show.
        if (bar->DockMode != dmCanFloat && dock != 1 && dock != 2) dock = DesignedToolbars[t].Dock;
        if (dock == 1)
            bar->SetDockedTo(TopDock);
        else if (dock == 2)
            bar->SetDockedTo(BottomDock);
    }
    // A bar restored wholly off every screen is brought back within reach.
    for (TToolbar* bar : Toolbars)
        if (!bar->Docked()) bar->MoveOnScreen(true);
}

// Left and Top are the floating window's screen position: where a floating
// bar floats, or where a docked one last floated.
void TkvMainForm::CollectToolbarSettings() {
    for (int t = 0; t < tbCount; ++t) {
        TToolbar* bar = Toolbars[t];
        TToolbarSettings& b = Settings.Toolbars[t];
        b.Visible = Action(QString::fromLatin1(BarItems[t]))->isChecked();
        b.Dock = bar->DockedTo() == TopDock ? 1 : bar->DockedTo() == BottomDock ? 2 : 0;
        const QPoint at = bar->FloatingPosition();
        b.Left = at.x();
        b.Top = at.y();
        b.DockRow = bar->DockRow();
        b.DockPos = bar->DockPos();
        b.FloatingWidth = bar->FloatingRightX();
    }
}

void TkvMainForm::ConnectionBarClose(QObject*) {
    Action(QStringLiteral("ConnectionToolBar"))->setChecked(false);
}
void TkvMainForm::FunctionBarClose(QObject*) {
    Action(QStringLiteral("FunctionToolBar"))->setChecked(false);
}
void TkvMainForm::SpeedBtnBarClose(QObject*) {
    Action(QStringLiteral("SpeedBtnToolBar"))->setChecked(false);
}
void TkvMainForm::ShortcutBarClose(QObject*) {
    Action(QStringLiteral("ShortcutToolBar"))->setChecked(false);
}
void TkvMainForm::LineBarClose(QObject*) {
    Action(QStringLiteral("LineToolBar"))->setChecked(false);
}

// A move between docks or out to float can take the focus away.
void TkvMainForm::ConnectionBarDockChanged(QObject*) {
    if (FirstShowDone) DefaultFocus(LineLockCheckBox->isChecked());
}

void TkvMainForm::TopDockResize(QObject*) {
    if (TopDock->height() == LastDockHeight) return;
    LastDockHeight = TopDock->height();
    LayoutMoveWatch.Invalidate();
    // Posted, as a move of the window would come: the full pass processes
    // messages, which must not happen inside the dock's own layout.
    QMetaObject::invokeMethod(
        this, [this] { MainWindowMoved(); }, Qt::QueuedConnection);
}
