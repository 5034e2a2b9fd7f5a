// The main window's connect road: the connect command (host history, reuse
// of an idle current session or a new session window, the look-up worker),
// disconnecting, the session window's close request, reconnect-all, the
// one-second housekeeping timer (clock, beep flash, closing or restarting
// dropped sessions).
#include "session/kvMainForm.h"

#include "dialogs/DirectoryDialog.h"
#include "platform/CodePage.h"
#include "session/DetachedForm.h"
#include "session/DirectoryHost.h"
#include "session/core/ActivationOrder.h"
#include "session/core/ConnectRules.h"
#include "session/core/HostHistory.h"
#include "session/core/NetworkUp.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTime>

namespace {

QString Q(const std::string& big5) {
    return win::Big5ToQString(big5);
}

// The bytes of a host-box text: those of the history entry that shows it
// (kept byte for byte, pairs without a character included), else the text
// converted.
std::string HostBytes(const QComboBox* box, const QString& text) {
    const int i = box->findText(text, Qt::MatchExactly);
    return win::KeptBig5(text, i >= 0 ? box->itemData(i).toByteArray().toStdString() : "");
}

} // namespace

// ---- Connect -------------------------------------------------------------------

bool TkvMainForm::SiteChanged(TConnection* s) const {
    session::TSiteQuery q;
    q.InDirectory =
        InAddressBook && InAddressBook(win::QStringToBig5(HostNameComboBox->currentText()));
    q.HostText = win::QStringToBig5(HostNameComboBox->currentText());
    q.HostHint = win::QStringToBig5(HostNameComboBox->toolTip());
    q.PendingHost = PendingHost;
    q.PortText = win::QStringToBig5(PortEdit->text());
    q.SessionHost = s->HostName();
    q.SessionPort = s->Port();
    return session::SiteChanged(q);
}

void TkvMainForm::ConnectClick(QObject*) {
    // 1.
    const QString hostText = HostNameComboBox->currentText();
    if (hostText.isEmpty()) return;
    // 2. Disabled for the length of the command, enabled again on every way out.
    QAction* connectAction = Action(QStringLiteral("Connect"));
    if (connectAction) connectAction->setEnabled(false);
    // A port the command line gave is this connect's only.
    struct TReenable {
        QAction* A;
        bool& PortGiven;
        ~TReenable() {
            if (A) A->setEnabled(true);
            PortGiven = false;
        }
    } reenable{connectAction, PortGiven};
    // 3. and 4.
    LastHost = HostBytes(HostNameComboBox, hostText);
    if (session::IsWebPort(win::QStringToBig5(PortEdit->text()))) {
        // Only a web address goes to the browser ("http://" before a text
        // without a scheme); anything else is not handed over.
        if (const std::optional<std::string> url = session::BrowserUrl(LastHost)) OpenUrl(*url);
        return;
    }
    // 5.
    CaptionSuffix = " - " + GetSiteName();
    ShowCaption();
    // 6.
    std::vector<std::string> history;
    for (int i = 0; i < HostNameComboBox->count(); ++i)
        history.push_back(HostBytes(HostNameComboBox, HostNameComboBox->itemText(i)));
    session::AddToHistory(history, LastHost, Settings.MaxHostNumber);
    {
        const QSignalBlocker b(HostNameComboBox);
        const QString hint = HostNameComboBox->toolTip();
        HostNameComboBox->clear();
        for (const std::string& h : history)
            HostNameComboBox->addItem(Q(h), QByteArray::fromStdString(h));
        HostNameComboBox->setCurrentText(history.empty() ? hostText : Q(history.front()));
        HostNameComboBox->setToolTip(hint);
    }
    const QString shownHost = HostNameComboBox->currentText();

    const bool dontLogin =
        Action(QStringLiteral("DontLogin")) && Action(QStringLiteral("DontLogin"))->isChecked();
    TConnection* cur = CurrentSession >= 0 && CurrentSession < static_cast<int>(Sessions.size())
                           ? Sessions[CurrentSession]
                           : nullptr;
    if (cur && !cur->Busy && !cur->IsConnected()) {
        // 7. The idle current session is used again.
        cur->Busy = 1;
        SetRowText(CurrentSession, shownHost);
        TabControl->setTabText(CurrentSession, shownHost);
        if (TDetachedForm* f = FormOf(cur)) f->setWindowTitle(Q(GetSiteName()));
        SetRowState(CurrentSession, 1);
        cur->SetHeadString("");
        cur->ClearScreen();
        cur->ConnectTime = QDateTime();
        cur->ScriptDone = 0;
        cur->ScriptPos = 1;
        if (SiteChanged(cur)) {
            cur->SetLazyRefresh(true);
            // Its picture follows the session window rule: the global file
            // only with GlobalPicture, else the site's, once the site's
            // settings are in.
            ApplySiteSettings(cur);
            LoadKeyMap(cur);
            const std::string picture =
                Settings.GlobalPicture ? Settings.PictureFilename : cur->PictureFileName;
            cur->SetGlyph(AssignGlyph(cur, picture, cur->GlyphVisible()));
            cur->SetLazyRefresh(false);
            cur->SavedKeyWord = cur->KeyWord();
        } else {
            cur->SetKeyWord(cur->SavedKeyWord);
        }
        cur->SetTriggerCnt(dontLogin ? 0 : cur->SavedTriggerCnt);
        ScriptBlockToReusedSession(cur);
    } else {
        // 8. A new session window.
        BmpListBox->addItem(new QListWidgetItem(shownHost));
        SetRowState(BmpListBox->count() - 1, 1);
        {
            const QSignalBlocker b(TabControl);
            TabControl->addTab(shownHost);
        }
        cur = OpenSessionWindow();
        if (Sessions.size() == 1) {
            ShortcutEdit->setEnabled(true);
            if (::DirectoryDlg && ::DirectoryDlg->JumpHotBitBtn)
                ::DirectoryDlg->JumpHotBitBtn->setEnabled(true);
        }
        CurrentSession = static_cast<int>(Sessions.size()) - 1;
        // Once, even when its window's activation put it in front already.
        session::MoveToFront(ActivationOrder, CurrentSession);
        ShowSessionNumber(CurrentSession);
    }
    // 9.
    FromDirectory = 0;
    cur->StartConnect();
    UpdateCommands();
    DefaultFocus(LineLocked());
}

// ---- Disconnect and close ------------------------------------------------------------

void TkvMainForm::DisconnectClick(QObject*) {
    // 1.
    if (Sessions.empty() || CurrentSession < 0) return;
    TConnection* s = Sessions[CurrentSession];
    // 2.
    if (Settings.DisconnectQuery && s->IsConnected() &&
        QMessageBox::question(this, QString::fromUtf8(ApplicationTitle),
                              QString::fromUtf8("你確定要中斷此連線嗎?"),
                              QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    // 3.
    const QStringList commands = {QStringLiteral("Disconnect"), QStringLiteral("DisconnectAll")};
    for (const QString& c : commands)
        if (QAction* a = Action(c)) a->setEnabled(false);
    // 4. The user asked: the drop arms neither remove nor reconnect.
    s->UserClosed = true;
    if (Settings.Remove || (!s->IsConnecting() && !s->Resolving() && !s->IsConnected())) {
        try {
            s->Disconnect();
        } catch (const std::exception&) {
        }
        CloseSessionWindow(CurrentSession, true);
    } else {
        try {
            s->Disconnect();
        } catch (const std::exception&) {
        }
    }
    // 5.
    DefaultFocus(LineLocked());
    UpdateCommands();
}

void TkvMainForm::WMCloseSession(win::WPARAM wParam, win::LPARAM) {
    // The request names its window; that session becomes current first.
    for (std::size_t i = 0; i < Sessions.size(); ++i) {
        TDetachedForm* f = FormOf(Sessions[i]);
        if (!f || f->Id() != wParam) continue;
        const int index = static_cast<int>(i);
        if (index != CurrentSession) {
            ActivateSession(CurrentSession, index, false);
            MoveCurrentToFront();
        }
        DisconnectClick(this);
        return;
    }
}

void TkvMainForm::ReconnectAllClick(QObject*) {
    if (ConnectCount != static_cast<int>(Sessions.size())) Handshake.ReconnectAllRequested = true;
}

// ---- Housekeeping ----------------------------------------------------------------------

namespace {

// The clock panel keeps one size, wide enough for any time of day, so a new
// time repaints the panel alone instead of laying the status bar out again.
void ShowTimeOfDay(QLabel* panel, const QString& text) {
    if (!panel) return;
    if (panel->minimumSize() != panel->maximumSize()) {
        const QFontMetrics fm(panel->font());
        const int m = panel->margin() * 2 + panel->contentsMargins().left() +
                      panel->contentsMargins().right() + 2 * panel->frameWidth();
        int widest = 0;
        for (const char* t : {"00:00:00", "22:22:22", "88:88:88"})
            widest = std::max(widest, fm.horizontalAdvance(QString::fromUtf8("現在時間: ") +
                                                           QString::fromLatin1(t)));
        panel->setFixedSize(std::max(panel->minimumWidth(), widest + m + fm.averageCharWidth()),
                            panel->sizeHint().height());
    }
    panel->setText(text);
}

} // namespace

void TkvMainForm::FlashTimerTimer() {
    if (InTimer || QCoreApplication::closingDown()) return;
    InTimer = true;
    struct TLeave {
        bool& F;
        ~TLeave() { F = false; }
    } leave{InTimer};

    // 1. Not while the window is minimized or hidden: nobody reads it, and
    // the next tick after it is back sets it again.
    if (isVisible() && !isMinimized())
        ShowTimeOfDay(StatusPanels[3],
                      QString::fromUtf8("現在時間: ") + QTime::currentTime().toString("HH:mm:ss"));
    // 2.
    if (session::BeepFlashStep(FlashCounter, Settings.ClearBeepInterval) && OnBeepFlashEnd)
        OnBeepFlashEnd();
    // 3. and 4.
    bool all = false;
    const auto pass =
        session::HousekeepingStep(Handshake, {Settings.Remove, Settings.ReConnect},
                                  !Sessions.empty(), win::GetTickCount(), session::NetworkUp, all);
    if (pass == session::THousekeepingPass::RemoveIdle)
        RemoveIdleSessions();
    else if (pass == session::THousekeepingPass::ReconnectIdle)
        ReconnectIdleSessions(all);
    // Sessions nobody sees (covered, minimized, hidden) give their window-
    // sized pictures back; the next paint of one builds them again.
    for (TConnection* s : Sessions)
        s->ReleasePicturesIfUnseen();
}

void TkvMainForm::RemoveIdleSessions() {
    QAction* connectAction = Action(QStringLiteral("Connect"));
    if (connectAction) connectAction->setEnabled(false);
    // Every idle session goes: they are collected first, so closing one
    // never makes the walk skip the next.
    TConnection* former = CurrentSession >= 0 ? Sessions[CurrentSession] : nullptr;
    std::vector<TConnection*> idle;
    for (TConnection* s : Sessions)
        if (session::RemovePassTakes({s->Busy != 0, s->IsConnected(), s->UserClosed}))
            idle.push_back(s);
    bool formerClosed = false;
    for (TConnection* s : idle) {
        const int i = SessionIndex(s);
        if (i < 0) continue;
        formerClosed |= s == former;
        CloseSessionWindow(i, false);
        if (!ActivationOrder.empty()) CurrentSession = ActivationOrder.front();
    }
    if (!Sessions.empty()) {
        if (formerClosed) ActivateSession(CurrentSession, CurrentSession, true);
        DefaultFocus(LineLocked());
    } else {
        DefaultFocus(false);
    }
    if (connectAction) connectAction->setEnabled(true);
}

void TkvMainForm::ReconnectIdleSessions(bool all) {
    QAction* connectAction = Action(QStringLiteral("Connect"));
    if (connectAction) connectAction->setEnabled(false);
    const bool dontLogin =
        Action(QStringLiteral("DontLogin")) && Action(QStringLiteral("DontLogin"))->isChecked();
    bool current = false;
    for (std::size_t i = 0; i < Sessions.size(); ++i) {
        TConnection* s = Sessions[i];
        if (!session::ReconnectPassTakes({s->Busy != 0, s->IsConnected(), s->UserClosed}, all))
            continue;
        const int index = static_cast<int>(i);
        s->Busy = 1;
        SetRowText(index, Q(s->SiteName));
        SetRowState(index, 1);
        s->SetHeadString("");
        s->ClearScreen();
        s->ConnectTime = QDateTime();
        s->ScriptDone = 0;
        s->ScriptPos = 1;
        if (!dontLogin) {
            s->SetTriggerCnt(s->SavedTriggerCnt);
            s->SetKeyWord(s->SavedKeyWord);
        } else {
            s->SetTriggerCnt(0);
        }
        s->StartConnect();
        current |= index == CurrentSession;
    }
    if (current) DefaultFocus(LineLocked());
    if (connectAction) connectAction->setEnabled(true);
}
