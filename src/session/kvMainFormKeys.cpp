// Keys of the main window: the one key dispatcher (after the focused
// screen's hook, the window's preview with its accelerator button, then the
// host, port, line and session-number boxes), the program-wide shortcuts,
// the speed keys and their dialog, the line input bar and the colour
// composer with its two ANSI menus.
#include "session/kvMainForm.h"

#include "controls/DockTlbr.h"
#include "controls/DockWin.h"
#include "controls/HotBitBtn.h"
#include "controls/LblEffct.h"
#include "dialogs/AnsiColorDialog.h"
#include "dialogs/SpeedKeyDialog.h"
#include "platform/CodePage.h"
#include "platform/core/Beep.h"
#include "platform/core/Files.h"
#include "screen/KeyEvents.h"
#include "session/Connection.h"
#include "session/core/ActivationOrder.h"
#include "session/core/LineInput.h"
#include "session/core/MruList.h"
#include "session/core/ShortcutKeys.h"
#include "session/core/SpeedKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QToolButton>

namespace {

// Everything the rules read of a guard control: a button, a box or the
// action a button shows.
bool ControlEnabled(const TkvMainForm& form, const std::string& name) {
    const QString n = QString::fromStdString(name);
    if (auto* w = form.findChild<QWidget*>(n)) return w->isEnabled();
    if (QAction* a = form.Action(n)) return a->isEnabled();
    return false;
}

std::vector<std::string> Items(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i)
        items.push_back(win::QStringToBig5(box->itemText(i)));
    return items;
}

void SetItems(QComboBox* box, const std::vector<std::string>& items) {
    const QSignalBlocker block(box);
    const QString text = box->currentText();
    box->clear();
    for (const std::string& s : items)
        box->addItem(win::Big5ToQString(s));
    box->setEditText(text);
}

} // namespace

// ---- The dispatcher ----------------------------------------------------------------

void TkvMainForm::WireKeys() {
    SendLnHotBitBtn->setProperty("Tag", 2);
    SendHotBitBtn->setEnabled(false);
    ShortcutEdit->setReadOnly(true); // it shows a number; typing picks one
    HostNameComboBox->setToolTip(QString::fromUtf8("位址"));
    HostLabelEffect->OnClick = [this](TLabelEffect*) { HostLabelEffectClick(); };
    PortEdit->setToolTip(QString::fromUtf8("連接埠"));
    connect(LineComboBox, &QComboBox::editTextChanged, this, [this] { LineComboBoxChange(); });
    if (QLineEdit* e = HostNameComboBox->lineEdit())
        connect(e, &QLineEdit::textEdited, this, [this] { HostNameComboBoxChange(); });
    connect(HostNameComboBox, &QComboBox::activated, this, [this] { HostNameComboBoxChange(); });
}

QAbstractButton* TkvMainForm::AcceleratorOf(QWidget* w) {
    for (QWidget* p = w; p && p != this; p = p->parentWidget())
        if (auto* f = qobject_cast<TDetachedForm*>(p)) return f->ShortcutBtn;
    return ShortcutBtn;
}

bool TkvMainForm::KeyPreview(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride && type != QEvent::FocusIn &&
        type != QEvent::MouseButtonRelease)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    switch (type) {
    case QEvent::FocusIn:
        if (w == HostNameComboBox) HostNameComboBoxEnter();
        if (w == PortEdit) PortEditEnter();
        if (w == LineComboBox) LineComboBoxEnter();
        return false;
    case QEvent::MouseButtonRelease:
        if (w == PortEdit) PortEditClick();
        if (w == ShortcutEdit) ShortcutEditMouseDown();
        return false;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        break;
    default:
        return false;
    }
    // Only the first delivery, to the focused control of this window (its
    // session windows included): a key a control ignores travels on to its
    // parents, and those deliveries are not previewed again. Dialogs and
    // tool windows are windows of their own and keep their keys.
    QWidget* focus = QApplication::focusWidget();
    if (!(w == focus || (!focus && w == this))) return false;
    auto* ke = static_cast<QKeyEvent*>(e);
    // The toolbar boxes' own keys (Enter connects from the host box, and so on).
    auto boxKey = [&] {
        if (w == LineComboBox) return LineComboBoxKey(ke);
        if (w == HostNameComboBox) return HostNameComboBoxKey(ke);
        if (w == PortEdit) return PortEditKey(ke);
        if (w == ShortcutEdit) return ShortcutEditKeyDown(ke) || ShortcutEditKeyPress(ke);
        return false;
    };
    // On a floating toolbar the boxes keep those keys; the window's
    // shortcuts stay with the window.
    if (w->window() != this) {
        auto* floating = qobject_cast<TFloatingWindowParent*>(w->window());
        return floating && floating->ParentForm() == this && e->type() == QEvent::KeyPress &&
               boxKey();
    }
    const bool alt = ke->modifiers() & Qt::AltModifier;
    if (e->type() == QEvent::ShortcutOverride) {
        // An Alt key with a command of its own is the shortcut handler's: no
        // menu mnemonic or accelerator may take it first. Alt alone and the
        // letters without a command go on to the menu bar (its mnemonics,
        // and Alt pressed and released opens it); what no menu takes comes
        // back as a key-down and is consumed below.
        if (!alt) return false;
        const Qt::KeyboardModifiers m = ke->modifiers();
        const int vk =
            ke->key() == Qt::Key_Alt ? session::vk::Menu : screen::KeyDownFromEvent(*ke, false).VK;
        if (session::AltKeyReachesMenus(vk, m & Qt::ShiftModifier, true, m & Qt::ControlModifier))
            return false;
        ke->accept();
        return true;
    }
    int key = screen::KeyDownFromEvent(*ke, TCustomVtEmul::ScrollLockOn).VK;
    // A key the PC keyboard lacks still counts by its letter or digit, the
    // only keys whose Qt codes are their virtual keys.
    if (key == 0) {
        const int k = ke->key();
        if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) key = k;
    }
    if (key != 0) {
        FShortcutSent = false;
        HandleShortcutKey(key, ke->modifiers(), AcceleratorOf(w));
        if (key == 0) {
            // A consumed key-down keeps its typed character (Shift+1 still
            // types "!"), but not with Alt and not the punctuation sent here.
            if (!alt && !FShortcutSent && !ke->text().isEmpty()) return false;
            return true;
        }
    }
    return boxKey();
}

bool TkvMainForm::TerminalFocused() const {
    if (CurrentSession < 0 || CurrentSession >= static_cast<int>(Sessions.size())) return false;
    QWidget* focus = QApplication::focusWidget();
    return focus && focus == Sessions[CurrentSession];
}

bool TkvMainForm::CurrentConnected() const {
    return CurrentSession >= 0 && CurrentSession < static_cast<int>(Sessions.size()) &&
           Sessions[CurrentSession]->IsConnected();
}

void TkvMainForm::HandleShortcutKey(int& key, Qt::KeyboardModifiers shift,
                                    QAbstractButton* button) {
    session::TShortcutState s;
    s.CurrentSession = CurrentSession < static_cast<int>(Sessions.size()) ? CurrentSession : -1;
    for (const TConnection* c : Sessions)
        s.Numbers.push_back(c->Tag);
    s.NumberUsed = NumberUsed;
    s.ActivationCount = static_cast<int>(ActivationOrder.size());
    s.TerminalFocused = TerminalFocused();
    s.LineBoxFocused = LineComboBox->hasFocus();
    s.CurrentConnected = CurrentConnected();
    s.Punctuation = Settings.Punctuation;
    s.ConnectionBarVisible = ConnectionBar->isVisible();
    s.ShortcutBarVisible = ShortcutBar->isVisible();
    s.Enabled = [this](const std::string& name) { return ControlEnabled(*this, name); };
    const session::TShortcutResult r = session::DecideShortcut(
        key, shift & Qt::ShiftModifier, shift & Qt::AltModifier, shift & Qt::ControlModifier, s);
    if (r.Consumed) key = 0;
    if (r.SetCaption && button) button->setText(QString::fromLatin1(r.Caption.c_str()));
    using A = session::TShortcutAction;
    switch (r.Action) {
    case A::None:
        break;
    case A::ClickSpeedButton:
        SpeedBtnClick(SpeedButtons[r.Arg]);
        break;
    case A::SelectGroup:
        SelectSpeedKeyGroup(r.Arg);
        break;
    case A::SpinUp:
        SpinUpClick(nullptr);
        break;
    case A::SpinDown:
        SpinDownClick(nullptr);
        break;
    case A::ActivateSession:
        ActivateSession(CurrentSession, r.Arg, true);
        MoveCurrentToFront();
        break;
    case A::Beep:
        win::MessageBeep(0);
        break;
    case A::LineEditorLeave: {
        const bool locked = LineLockCheckBox->isChecked();
        SetLineLock(false);
        DefaultFocus(false);
        SetLineLock(locked);
        SetLineLock(false);
        break;
    }
    case A::LineEditorEnter:
        Action(QStringLiteral("LineToolBar"))->setChecked(true);
        LineBar->setVisible(true);
        LineComboBox->setFocus(Qt::ShortcutFocusReason);
        if (QLineEdit* e = LineComboBox->lineEdit()) e->end(false);
        SetLineLock(true);
        break;
    case A::ClickControl: {
        const QString name = QString::fromStdString(r.Control);
        if (auto* b = findChild<QAbstractButton*>(name))
            b->click();
        else if (QAction* a = Action(name))
            a->trigger();
        break;
    }
    case A::FocusControl:
        if (auto* w = findChild<QWidget*>(QString::fromStdString(r.Control)))
            w->setFocus(Qt::ShortcutFocusReason);
        break;
    case A::StepSession: {
        const int t = r.Arg;
        ActivateSession(CurrentSession, t, true);
        session::MoveToFront(ActivationOrder, t);
        break;
    }
    case A::CloseMain:
        close();
        break;
    case A::SendText:
        Sessions[CurrentSession]->SendStr(r.Text);
        FShortcutSent = true;
        break;
    }
}

// ---- Speed keys --------------------------------------------------------------------

void TkvMainForm::ShowSpeedGroup(const session::TSpeedGroup& g) {
    for (int i = 0; i < session::SpeedKeyCount; ++i) {
        SpeedButtons[i]->setText(win::Big5ToQString(g.Labels[i]));
        SpeedKeys[i] = g.Keys[i];
        SpeedButtons[i]->setToolTip(win::Big5ToQString(session::SpeedKeyHint(i, SpeedKeys[i])));
    }
}

void TkvMainForm::LoadSpeedButtonGroup() {
    std::string bytes;
    try {
        win::ReadWholeFile(SettingsFileName, bytes);
    } catch (const std::exception&) {
        bytes.clear();
    }
    ShowSpeedGroup(session::ReadSpeedGroup(win::TIniText(bytes), KeyGroup));
}

void TkvMainForm::ShowKeyGroupDigit() {
    QAction* a = Action(QStringLiteral("EditSpeedBtn"));
    QString caption = a->text();
    if (!caption.isEmpty()) caption.chop(1);
    a->setText(caption + QString::number(KeyGroup));
}

void TkvMainForm::SelectSpeedKeyGroup(int group) {
    if (group == KeyGroup) return;
    KeyGroup = session::ValidSpeedGroup(group);
    ShowKeyGroupDigit();
    LoadSpeedButtonGroup();
}

void TkvMainForm::SpinUpClick(QObject*) {
    KeyGroup = session::NextSpeedGroup(session::ValidSpeedGroup(KeyGroup));
    ShowKeyGroupDigit();
    LoadSpeedButtonGroup();
}

void TkvMainForm::SpinDownClick(QObject*) {
    KeyGroup = session::PreviousSpeedGroup(session::ValidSpeedGroup(KeyGroup));
    ShowKeyGroupDigit();
    LoadSpeedButtonGroup();
}

void TkvMainForm::SpeedBtnClick(QObject* sender) {
    const int i = sender ? sender->property("Tag").toInt() : 0;
    if (i < 0 || i >= session::SpeedKeyCount) return;
    if (SpeedKeys[i].empty()) {
        EditSpeedBtnRow(i);
        return;
    }
    if (!CurrentConnected()) return;
    TConnection* s = Sessions[CurrentSession];
    const std::string bytes = session::DecodeSpeedKey(SpeedKeys[i]);
    if (!bytes.empty()) s->SendStr(bytes);
    s->setFocus(Qt::OtherFocusReason);
}

void TkvMainForm::EditSpeedBtnClick(QObject*) {
    EditSpeedBtnRow(session::SpeedKeyCount + 1);
}

void TkvMainForm::EditSpeedBtnRow(int row) {
    auto* dlg = new TSpeedKeyDlg(SettingsFileName, KeyGroup, this);
    if (row >= 0 && row < 13) dlg->FocusRowOnShow = row < session::SpeedKeyCount ? row : -1;
    QPointer<TSpeedKeyDlg> alive(dlg);
    const int result = dlg->exec();
    if (!alive) return;
    if (result == QDialog::Accepted)
        ShowSpeedGroup(dlg->Table()[session::ValidSpeedGroup(KeyGroup) - 1]);
    delete dlg;
    DefaultFocus(LineLocked());
}

// ---- Line input ----------------------------------------------------------------------

void TkvMainForm::SetLineLock(bool on) {
    if (LineLockCheckBox->isChecked() == on) return;
    LineLockCheckBox->setChecked(on);
    LineLockCheckBoxClick(LineLockCheckBox);
}

void TkvMainForm::LineLockCheckBoxClick(QObject*) {
    if (!FirstShowDone || !isVisible()) return;
    DefaultFocus(LineLockCheckBox->isChecked());
}

void TkvMainForm::SendHotBitBtnClick(QObject* sender) {
    if (!CurrentConnected()) return;
    const std::string text = win::QStringToBig5(LineComboBox->currentText());
    const bool lineEnd = sender && sender->property("Tag").toInt() == 2;
    Sessions[CurrentSession]->SendStr(session::LineToSend(text, lineEnd));
    if (session::KeptInLineHistory(text)) {
        std::vector<std::string> items = Items(LineComboBox);
        session::MruAdd(items, text);
        SetItems(LineComboBox, items);
    }
    LineComboBox->setEditText(QString());
    SendHotBitBtn->setEnabled(false);
    DefaultFocus(LineLocked());
}

void TkvMainForm::LineComboBoxChange() {
    SendHotBitBtn->setEnabled(!LineComboBox->currentText().isEmpty());
}

void TkvMainForm::LineComboBoxEnter() {
    LineEditorEntered = true;
}

// One Qt event is both the key-down and its typed character: a key the
// key-down part swallows types nothing, and only that key.
bool TkvMainForm::LineComboBoxKey(QKeyEvent* e) {
    const Qt::KeyboardModifiers m = e->modifiers();
    const bool ctrl = m & Qt::ControlModifier, alt = m & Qt::AltModifier;
    const int vk = screen::KeyDownFromEvent(*e, false).VK;
    if (ctrl && e->key() == Qt::Key_Delete) {
        std::vector<std::string> items = Items(LineComboBox);
        const session::TMruRemoval r =
            session::MruRemove(items, win::QStringToBig5(LineComboBox->currentText()));
        if (r.Removed) {
            SetItems(LineComboBox, items);
            if (r.Selected >= 0) {
                LineComboBox->setCurrentIndex(r.Selected);
                LineComboBox->setEditText(LineComboBox->itemText(r.Selected));
            } else {
                LineComboBox->setEditText(QString());
            }
        }
        return true;
    }
    if (ctrl && e->key() != Qt::Key_Control && !Sessions.empty() && CurrentSession >= 0) {
        const int byte = session::LineCtrlByte(vk);
        if (byte < 0) return false; // the editor keeps its editing key
        char c = static_cast<char>(byte);
        Sessions[CurrentSession]->KeyPress(c);
        return true;
    }
    if (alt && !ctrl) {
        int key = vk;
        HandleShortcutKey(key, m, ShortcutBtn);
        if (vk != 'G') LineComboBox->setFocus(Qt::OtherFocusReason);
        return key == 0;
    }
    // The key-press part.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        SendHotBitBtnClick(SendLnHotBitBtn);
        return true;
    }
    if (e->key() == Qt::Key_Escape) {
        SetLineLock(false);
        if (CurrentSession >= 0 && CurrentSession < static_cast<int>(Sessions.size()))
            Sessions[CurrentSession]->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

// ---- The colour composer and the ANSI menus ---------------------------------------------

int TkvMainForm::AnsiMode() const {
    if (Action(QStringLiteral("AnsiEsc"))->isChecked()) return 0;
    if (Action(QStringLiteral("AnsiCtrl"))->isChecked()) return 1;
    return 2;
}

void TkvMainForm::SetAnsiMode(int mode) {
    static const char* const items[3] = {"AnsiEsc", "AnsiCtrl", "AnsiNone"};
    if (mode < 0 || mode > 2) return;
    Action(QString::fromLatin1(items[mode]))->setChecked(true);
    if (AnsiColorDlg) AnsiColorDlg->HeadKeyRadioGroup->SetItemIndex(mode);
}

void TkvMainForm::AnsiEscClick(QObject*) {
    SetAnsiMode(0);
}
void TkvMainForm::AnsiCtrlClick(QObject*) {
    SetAnsiMode(1);
}
void TkvMainForm::AnsiNoneClick(QObject*) {
    SetAnsiMode(2);
}

void TkvMainForm::AnsiColorClick(QObject* sender) {
    QAction* item = Action(QStringLiteral("AnsiColor"));
    if (sender != item) item->setChecked(!item->isChecked());
    if (!item->isChecked()) {
        FreeAnsiColorDlg();
        return;
    }
    if (AnsiColorDlg) return; // one at most
    const QString caption = Action(QStringLiteral("AnsiCtrl"))->text();
    const QString letter = caption.size() > 8 ? caption.mid(8, 1) : QStringLiteral("U");
    auto* dlg = new TAnsiColorDlg(AnsiMode(), letter, this);
    AnsiColorDlg = dlg;
    dlg->OnSendCode = [this](const std::string& code) { SendAnsiCode(code); };
    dlg->OnHeadChange = [this](int head) { SetAnsiMode(head); };
    dlg->OnLetterChange = [this](char l) {
        Action(QStringLiteral("AnsiCtrl"))->setText(QStringLiteral("&Ctrl + ") + QLatin1Char(l));
    };
    dlg->OnFormClose = [this] {
        Action(QStringLiteral("AnsiColor"))->setChecked(false);
        FreeAnsiColorDlg();
        if (CurrentSession >= 0 && CurrentSession < static_cast<int>(Sessions.size()))
            Sessions[CurrentSession]->setFocus(Qt::OtherFocusReason);
    };
    dlg->show();
}

void TkvMainForm::FreeAnsiColorDlg() {
    TAnsiColorDlg* dlg = AnsiColorDlg;
    AnsiColorDlg = nullptr;
    if (!dlg) return;
    dlg->OnFormClose = nullptr;
    dlg->hide();
    dlg->deleteLater();
}

void TkvMainForm::SendAnsiCode(const std::string& code) {
    if (!CurrentConnected()) return;
    QPointer<TConnection> s = Sessions[CurrentSession];
    for (char c : code) {
        if (!s) return;
        char k = c;
        s->KeyPress(k);
    }
    if (s) s->update();
}
