// Moving between sessions and the small commands around them: previous /
// next in activation order, the talk-screen search, closing every session,
// the host history, the keys of the host, port and session-number boxes,
// the connect and about dialogs.
#include "session/kvMainForm.h"

#include "dialogs/AboutDialog.h"
#include "dialogs/ConnectDialog.h"
#include "dialogs/PasswdDialog.h"
#include "platform/CodePage.h"
#include "platform/core/Files.h"
#include "platform/core/WriteError.h"
#include "screen/KeyEvents.h"
#include "session/Connection.h"
#include "session/core/MruList.h"
#include "session/core/Navigation.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

namespace {

// Disables the named commands while a command runs, on every way out.
class TCommandsBusy {
public:
    TCommandsBusy(TkvMainForm& form, std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (QAction* a = form.Action(QString::fromLatin1(n))) {
                FActions.push_back(a);
                a->setEnabled(false);
            }
    }
    ~TCommandsBusy() {
        for (QAction* a : FActions)
            if (a) a->setEnabled(true);
    }

private:
    std::vector<QPointer<QAction>> FActions;
};

} // namespace

// ---- Previous / next -----------------------------------------------------------------

void TkvMainForm::PreviousClick(QObject*) {
    if (ActivationOrder.size() < 2) return;
    TCommandsBusy busy(*this, {"Previous", "Next"});
    const int target = ActivationOrder[1];
    ActivateSession(CurrentSession, target, true);
    if (ActivationOrder.size() >= 2 && ActivationOrder[1] == target)
        session::StepPrevious(ActivationOrder);
    UpdateCommands();
}

void TkvMainForm::NextClick(QObject*) {
    if (ActivationOrder.size() < 2) return;
    TCommandsBusy busy(*this, {"Previous", "Next"});
    const int target = ActivationOrder.back();
    ActivateSession(CurrentSession, target, true);
    if (ActivationOrder.size() >= 2 && ActivationOrder.back() == target)
        session::StepNext(ActivationOrder);
    UpdateCommands();
}

// ---- Talk screens --------------------------------------------------------------------

void TkvMainForm::PreviousTalkClick(QObject*) {
    {
        TCommandsBusy busy(*this, {"PreviousTalk", "NextTalk"});
        FindTalkSession(-1);
    }
    MoveCurrentToFront();
    UpdateCommands();
}

void TkvMainForm::NextTalkClick(QObject*) {
    {
        TCommandsBusy busy(*this, {"PreviousTalk", "NextTalk"});
        FindTalkSession(+1);
    }
    MoveCurrentToFront();
    UpdateCommands();
}

void TkvMainForm::FindTalkSession(int d) {
    const int n = static_cast<int>(Sessions.size());
    const int found = session::FindTalkSession(n, CurrentSession, d, [this](int i) {
        TConnection* s = Sessions[i];
        return s->IsConnected() && session::IsTalkScreen(s->Screen());
    });
    if (found < 0) return;
    {
        const QSignalBlocker block(TabControl); // the list's handler activates it, once
        TabControl->setCurrentIndex(found);
    }
    ShowSessionNumber(found);
    BmpListBox->setCurrentRow(found);
    BmpListBoxClick();
}

// ---- Closing every session -----------------------------------------------------------

void TkvMainForm::DisconnectAllClick(QObject*) {
    if (!ConfirmBox(this, QString::fromUtf8("你確定要中斷所有的連線嗎?"))) return;
    CloseAllSessions();
}

void TkvMainForm::CloseAllSessions() {
    // Whatever a close runs (it can re-enter the event loop), the timer, the
    // question and the focus come back.
    struct TRestore {
        TkvMainForm& F;
        bool Query;
        ~TRestore() {
            F.Settings.DisconnectQuery = Query;
            F.DefaultFocus(F.LineLocked());
            F.FlashTimer->start();
        }
    } restore{*this, Settings.DisconnectQuery};
    FlashTimer->stop();
    Settings.DisconnectQuery = false;
    for (std::size_t k = Sessions.size(); k > 0 && !Sessions.empty(); --k)
        CloseSessionWindow(0, false);
    ConnectCount = 0;
    SetStatusText(1, QString::fromUtf8("連線數目: 0"));
    UpdateCommands();
}

// ---- Host history --------------------------------------------------------------------

namespace {

std::vector<std::string> BoxItems(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i)
        items.push_back(win::QStringToBig5(box->itemText(i)));
    return items;
}

// Removes the shown text from the box's list; returns it when it was there.
bool RemoveShown(QComboBox* box, std::string* removed) {
    std::vector<std::string> items = BoxItems(box);
    const std::string shown = win::QStringToBig5(box->currentText());
    const session::TMruRemoval r = session::MruRemove(items, shown);
    if (!r.Removed) return false;
    *removed = shown;
    const QSignalBlocker block(box);
    box->removeItem(box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (r.Selected >= 0) {
        box->setCurrentIndex(r.Selected);
        box->setEditText(box->itemText(r.Selected));
    } else {
        box->setEditText(QString());
    }
    return true;
}

// Changes the main settings file in one atomic write; a failure shows the
// write message once.
template <class F> void EditSettingsFile(const std::string& fileName, F change) {
    try {
        std::string bytes;
        win::ReadWholeFile(fileName, bytes);
        win::TIniText ini(bytes);
        if (!change(ini)) return;
        win::WriteFileAtomic(fileName, ini.Text());
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(fileName);
    }
}

} // namespace

void TkvMainForm::HostLabelEffectClick() {
    // Either way the box shows something else than the current session.
    SiteNameOverride.clear();
    std::string removed;
    if (!RemoveShown(HostNameComboBox, &removed)) {
        HostNameComboBox->setEditText(QString());
        return;
    }
    const int count = Settings.MaxHostNumber;
    EditSettingsFile(SettingsFileName, [&](win::TIniText& ini) {
        for (int i = 0; i < count; ++i) {
            std::string key = "h";
            key.append(std::to_string(i));
            std::string v;
            if (ini.Find("Hosts", key, &v) && v == removed) return ini.DeleteKey("Hosts", key);
        }
        return false;
    });
}

void TkvMainForm::ClearHostHistory() {
    HostNameComboBox->clear();
    HostNameComboBox->setToolTip(QString::fromUtf8("位址"));
    Settings.Hosts.clear();
    EditSettingsFile(SettingsFileName,
                     [](win::TIniText& ini) { return ini.EraseSection("Hosts"); });
}

void TkvMainForm::ClearAllBuffers() {
    // A selection names rows by index; once the history is gone they would
    // be other rows, so it goes first.
    for (TConnection* s : Sessions) {
        s->ClearSelection();
        s->ClearHistory();
    }
}

// ---- Host box ------------------------------------------------------------------------

void TkvMainForm::HostNameComboBoxChange() {
    HostNameComboBox->setToolTip(QString::fromUtf8("位址"));
    SiteNameOverride.clear();
}

void TkvMainForm::HostNameComboBoxEnter() {
    LastHost = win::QStringToBig5(HostNameComboBox->currentText());
}

// Enter in the host or port box connects when a host is given; the key is
// taken either way.
bool TkvMainForm::ConnectOnEnter(QKeyEvent* e) {
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
    if (!HostNameComboBox->currentText().isEmpty()) Action(QStringLiteral("Connect"))->trigger();
    return true;
}

bool TkvMainForm::HostNameComboBoxKey(QKeyEvent* e) {
    if ((e->modifiers() & Qt::ControlModifier) && e->key() == Qt::Key_Delete) {
        std::string removed;
        if (RemoveShown(HostNameComboBox, &removed)) {
            // The box now shows another entry: the current session's name
            // no longer names what Enter would open.
            SiteNameOverride.clear();
            if (QLineEdit* line = HostNameComboBox->lineEdit()) line->selectAll();
        }
        return true;
    }
    int key = screen::KeyDownFromEvent(*e, false).VK;
    if (key != 0) {
        HandleShortcutKey(key, e->modifiers(), ShortcutBtn);
        if (key == 0) return true;
    }
    if (e->key() == Qt::Key_Escape) {
        const QString last = win::Big5ToQString(LastHost);
        if (HostNameComboBox->currentText() != last) {
            HostNameComboBox->setEditText(last);
            if (QLineEdit* line = HostNameComboBox->lineEdit()) line->selectAll();
        } else {
            DefaultFocus(false);
        }
        return true;
    }
    return ConnectOnEnter(e);
}

// ---- Port box ------------------------------------------------------------------------

void TkvMainForm::PortEditEnter() {
    PortSelectArmed = 1;
}

void TkvMainForm::PortEditClick() {
    if (!PortSelectArmed) return;
    PortSelectArmed = 0;
    PortEdit->selectAll();
}

bool TkvMainForm::PortEditKey(QKeyEvent* e) {
    int key = screen::KeyDownFromEvent(*e, false).VK;
    if (key != 0) {
        HandleShortcutKey(key, e->modifiers(), ShortcutBtn);
        if (key == 0) return true;
    }
    if (e->key() == Qt::Key_Escape) {
        if (ConnectCount != 0)
            DefaultFocus(false);
        else
            PortEdit->selectAll();
        return true;
    }
    return ConnectOnEnter(e);
}

// ---- Session-number box --------------------------------------------------------------

void TkvMainForm::ShortcutEditMouseDown() {
    ShortcutEdit->selectAll();
}

// The key-down part: Esc gives the focus back, a key that is no digit is
// refused with a word why (and types nothing).
bool TkvMainForm::ShortcutEditKeyDown(QKeyEvent* e) {
    switch (session::NumberBoxKeyDown(screen::KeyDownFromEvent(*e, false).VK)) {
    case session::TNumberBoxKey::GiveBackFocus:
        DefaultFocus(false);
        return true;
    case session::TNumberBoxKey::Refuse:
        ShowInfoBox(this, QString::fromUtf8("輸入的值必須介於0到9!"));
        return true;
    case session::TNumberBoxKey::Digit:
    case session::TNumberBoxKey::LeaveAlone:
        break;
    }
    return false;
}

bool TkvMainForm::ShortcutEditKeyPress(QKeyEvent* e) {
    const QString text = e->text();
    if (text.isEmpty()) return false; // caret keys move in the read-only box
    if (text.size() != 1 || Sessions.empty() || CurrentSession < 0 ||
        CurrentSession >= static_cast<int>(Sessions.size()))
        return true;
    const char digit = text[0].toLatin1();
    std::vector<int> numbers;
    for (const TConnection* s : Sessions)
        numbers.push_back(s->Tag);
    TConnection* current = Sessions[CurrentSession];
    const session::TNumberKey k =
        session::DecideNumberKey(digit, current->Tag, numbers, NumberUsed);
    if (k.Act) {
        bool go = true;
        if (k.Holder >= 0) {
            const QString question = QString::fromUtf8("按鍵 ") + QLatin1Char(digit) +
                                     QString::fromUtf8(" 已經被指定給第 ") +
                                     QString::number(k.Holder + 1) +
                                     QString::fromUtf8(" 個連線，") + QLatin1Char('\r') +
                                     QString::fromUtf8("你確定要指定此按鍵給目前的連線嗎?");
            go = ConfirmBox(this, question);
            if (go) Sessions[k.Holder]->Tag = 0;
        }
        if (go && CurrentSession >= 0 && CurrentSession < static_cast<int>(Sessions.size()) &&
            Sessions[CurrentSession] == current) {
            if (current->Tag >= 1 && current->Tag <= 10) NumberUsed[current->Tag] = false;
            NumberUsed[k.Number] = true;
            current->Tag = k.Number;
            ShortcutEdit->setText(QString::fromStdString(session::NumberText(k.Number)));
        }
    }
    if (digit >= '0' && digit <= '9') ShortcutEdit->selectAll();
    return true;
}

// ---- Small commands ------------------------------------------------------------------

void TkvMainForm::AboutClick(QObject*) {
    {
        TAboutDlg dlg(QString::fromUtf8(MainCaption), this);
        dlg.exec();
    }
    DefaultFocus(false);
}

void TkvMainForm::SingleConnectClick(QObject*) {
    bool ok = false;
    {
        TConnectDlg dlg(this);
        for (int i = 0; i < HostNameComboBox->count(); ++i)
            dlg.HostNameComboBox->addItem(HostNameComboBox->itemText(i));
        dlg.HostNameComboBox->setEditText(HostNameComboBox->currentText());
        dlg.PortEdit->setText(PortEdit->text());
        dlg.ApplyDefaultCheckBox->setChecked(
            Action(QStringLiteral("ApplyDefaultSettingMenuItem"))->isChecked());
        dlg.DontLoginCheckBox->setChecked(Action(QStringLiteral("DontLogin"))->isChecked());
        if (dlg.exec() == QDialog::Accepted) {
            ok = true;
            // The dialog's host names the new session, not the session
            // that was current when the dialog opened.
            SiteNameOverride.clear();
            HostNameComboBox->setEditText(dlg.HostNameComboBox->currentText());
            PortEdit->setText(dlg.PortEdit->text());
            Action(QStringLiteral("ApplyDefaultSettingMenuItem"))
                ->setChecked(dlg.ApplyDefaultCheckBox->isChecked());
            Action(QStringLiteral("DontLogin"))->setChecked(dlg.DontLoginCheckBox->isChecked());
        }
    }
    if (ok) Action(QStringLiteral("Connect"))->trigger();
    DefaultFocus(LineLocked());
}
