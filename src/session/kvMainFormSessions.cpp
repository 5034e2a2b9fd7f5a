// The main window's sessions: opening and closing session windows, the
// current session and the activation order, the tab bar and the session
// list (switching, row state, drag reorder with auto-scroll), the focus
// rule, the picture cache, and the session events the connect road hears.
#include "session/kvMainForm.h"

#include "platform/CodePage.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/IniFile.h"
#include "platform/core/WriteError.h"
#include "session/DetachedForm.h"
#include "session/DirectoryHost.h"
#include "session/core/ActivationOrder.h"
#include "session/core/DirectoryFile.h"
#include "session/core/SessionNumbers.h"

#include "controls/Bmplbox.h"
#include "controls/DockTlbr.h"
#include "dialogs/DirectoryDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace {

QString Q(const std::string& big5) {
    return win::Big5ToQString(big5);
}

// Mouse on the session list's viewport as drag-over and drop: a row dragged
// with the left button, reported to the form while the button is held. The
// filter belongs to the viewport and recognises it by its own pointer: while
// the form is destroyed the viewport still gets events, and the form's
// members must not be read then.
class TListDragFilter : public QObject {
public:
    TListDragFilter(TkvMainForm* form, QAbstractScrollArea* list)
        : QObject(list->viewport()), FForm(form), FList(list), FViewport(list->viewport()) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != FViewport) return false;
        QAbstractScrollArea* list = FList;
        // The right button opens the list's pop-up and leaves the selection
        // on the current session: a row it selected would name another
        // session than the tab strip and the shown window.
        if ((e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick ||
             e->type() == QEvent::MouseButtonRelease) &&
            static_cast<QMouseEvent*>(e)->button() == Qt::RightButton)
            return true;
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton) {
                FForm->BmpListBoxMouseDown();
                FPress = me->position().toPoint();
                FArmed = true;
                FDragging = false;
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (!FArmed || !(me->buttons() & Qt::LeftButton)) return false;
            const QPoint p = me->position().toPoint();
            if (!FDragging && (p - FPress).manhattanLength() < QApplication::startDragDistance())
                return false;
            FDragging = true;
            FForm->BmpListBoxDragOver(p.y(), list->viewport()->rect().contains(p));
            return true;
        }
        case QEvent::MouseButtonRelease: {
            FArmed = false;
            if (!FDragging) return false;
            FDragging = false;
            auto* me = static_cast<QMouseEvent*>(e);
            if (list->viewport()->rect().contains(me->position().toPoint()))
                FForm->BmpListBoxDragDrop();
            else
                FForm->ListAutoScrollTimer->stop();
            return true;
        }
        default:
            return false;
        }
    }

private:
    TkvMainForm* FForm;
    QAbstractScrollArea* FList;
    QObject* FViewport;
    QPoint FPress;
    bool FArmed = false, FDragging = false;
};

// Resizes of the tab strip, reported to the form while it listens. Like the
// list filter it knows the strip by its own pointer, so nothing of the form
// is read while the form is being destroyed.
class TTabResizeFilter : public QObject {
public:
    TTabResizeFilter(TkvMainForm* form, QWidget* strip)
        : QObject(strip), FForm(form), FStrip(strip) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == FStrip && e->type() == QEvent::Resize) FForm->TabControlResize();
        return false;
    }

private:
    TkvMainForm* FForm;
    QObject* FStrip;
};

} // namespace

// ---- Owner services of the sessions ------------------------------------------

const TSessionDefaults& TkvMainForm::SessionDefaults() const {
    TSessionDefaults& d = FSessionDefaults;
    const TMainSettings& s = Settings;
    d.DelayInterval = static_cast<unsigned>(std::max(0, s.DelayInterval));
    d.Big5BackSpace = s.Big5BackSpace;
    d.Big5Delete = s.Big5Delete;
    d.Big5Arrow = s.Big5Arrow;
    d.ClearBeepInterval = s.ClearBeepInterval;
    d.DecodeQP = s.DecodeQP;
    d.CaretHeight = s.CaretHeight;
    d.CaretType = s.CaretType;
    d.CaretImageFilename = win::Big5ToQString(s.CaretImageFilename).toStdString();
    d.CRLF = s.CRLF;
    d.wwwHyperlinkColor = s.WwwHyperlinkColor;
    d.ftpHyperlinkColor = s.FtpHyperlinkColor;
    d.emailHyperlinkColor = s.EmailHyperlinkColor;
    d.MaxBufferRows = s.MaxBufferRows;
    return FSessionDefaults;
}

std::string TkvMainForm::TakePendingScript() {
    return std::exchange(PendingScript, std::string());
}

int TkvMainForm::TakeSessionNumber() {
    return session::TakeSessionNumber(NumberUsed);
}

int TkvMainForm::SessionIndex(const TConnection* s) const {
    for (std::size_t i = 0; i < Sessions.size(); ++i)
        if (Sessions[i] == s) return static_cast<int>(i);
    return -1;
}

TDetachedForm* TkvMainForm::FormOf(const TConnection* s) const {
    for (QWidget* w = s ? s->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto* f = qobject_cast<TDetachedForm*>(w)) return f;
    return nullptr;
}

// The row state is the high word of the row's value (its picture number).
void TkvMainForm::SetRowState(int index, int state) {
    if (index < 0 || index >= BmpListBox->count()) return;
    TBmpListBox::SetItemValue(BmpListBox->item(index), static_cast<std::uint32_t>(state) << 16);
    BmpListBox->viewport()->update();
}

int TkvMainForm::RowState(int index) const {
    if (index < 0 || index >= BmpListBox->count()) return -1;
    return static_cast<int>(TBmpListBox::ItemValue(BmpListBox->item(index)) >> 16);
}

void TkvMainForm::SetRowText(int index, const QString& text) {
    if (index < 0 || index >= BmpListBox->count()) return;
    BmpListBox->item(index)->setText(text);
}

std::string TkvMainForm::GetSiteName() const {
    if (!SiteNameOverride.empty()) return SiteNameOverride;
    return win::QStringToBig5(HostNameComboBox->currentText());
}

void TkvMainForm::ShowCaption() {
    setWindowTitle(QString::fromUtf8(MainCaption) + Q(CaptionSuffix));
}

bool TkvMainForm::ConnectionBarShown() const {
    return ConnectionBar && ConnectionBar->isVisible();
}

void TkvMainForm::WireTabStrip() {
    TabControl->installEventFilter(new TTabResizeFilter(this, TabControl));
    FTabResizeAttached = true;
}

void TkvMainForm::TabControlResize() {
    // Switching the mode can change the strip's size again; that resize is
    // not handled while this one runs.
    if (!FTabResizeAttached) return;
    FTabResizeAttached = false;
    const bool multi = TabControl->height() > TabBarBaseHeight;
    if (multi != TabMultiLine) {
        TabMultiLine = multi;
        TabControl->setMultiLine(multi);
    }
    FTabResizeAttached = true;
}

void TkvMainForm::WireSessionLists() {
    if (FListsWired) return;
    FListsWired = true;
    connect(TabControl, &TTabStrip::tabBarClicked, this, [this](int i) {
        if (i >= 0) TabControlChange(i);
    });
    connect(TabControl, &TTabStrip::mouseDown, this, [this] { TabControlMouseDown(); });
    connect(BmpListBox, &QListWidget::itemClicked, this, [this] { BmpListBoxClick(); });
    BmpListBox->viewport()->installEventFilter(new TListDragFilter(this, BmpListBox));
    connect(BmpListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (ListPopupMenu) ListPopupMenu->popup(BmpListBox->viewport()->mapToGlobal(at));
    });
    // What the session events need of the list and the current session.
    SessionRowState = [this](TConnection* s) { return RowState(SessionIndex(s)); };
    SetSessionRowState = [this](TConnection* s, int state) { SetRowState(SessionIndex(s), state); };
    ShowSessionHeadString = [this](TConnection* s, const std::string& head) {
        const int i = SessionIndex(s);
        if (i >= 0) SetRowText(i, BmpListBox->item(i)->text() + " " + Q(head));
    };
    BringSessionForward = [this](TConnection* s) {
        const int i = SessionIndex(s);
        if (i < 0) return;
        ActivateSession(CurrentSession, i, true);
        MoveCurrentToFront();
    };
}

// ---- Opening and closing ---------------------------------------------------------

TConnection* TkvMainForm::OpenSessionWindow() {
    WireSessionLists();
    // 1.
    auto* window = new TDetachedForm();
    auto* s = new TConnection(*this, window->Client());
    s->SetLazyRefresh(true);
    Sessions.push_back(s);
    SetStatusText(0, QString::fromUtf8("總連線數: ") + QString::number(Sessions.size()));

    // 2.
    TDetachedFormSetup setup;
    setup.Caption = Q(GetSiteName());
    setup.ScrollBarVisible = Settings.ScrollBarVisible;
    setup.MaxWhenConnection = Settings.Max;
    setup.MoveToLeftTopWhenConnection = Settings.MoveToLeftTopWhenConnection;
    setup.Background = QColor(Settings.BgColors[0] & 0xFF, (Settings.BgColors[0] >> 8) & 0xFF,
                              (Settings.BgColors[0] >> 16) & 0xFF);
    setup.MainWindow = FHandle;
    setup.ScriptPositionPending = ScriptBlockConnecting;
    setup.ScriptLeft = ScriptLeft;
    setup.ScriptTop = ScriptTop;
    MdiArea->addSubWindow(window);
    window->Initialize(setup);
    window->Session = s;
    window->OnActivate = [this](TDetachedForm* f) { DetachedFormActivate(f); };
    window->OnResized = [this](TDetachedForm* f) {
        if (Settings.AutoSaveFontSize && f->Session)
            SaveSiteFontSize(f->Session->SiteName, f->Session->Font().pointSize());
    };
    // The window's keys reach the shortcuts through the main window's key
    // dispatcher (kvMainFormKeys.cpp), once, with this window's button.
    if (DetachedFormPopupMenu) {
        window->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(window, &QWidget::customContextMenuRequested, this,
                [this, window](const QPoint& p) { DetachedFormContextPopup(window, p); });
    }
    ApplySiteSettings(s);
    LoadKeyMap(s);
    if (Action(QStringLiteral("DontLogin")) && Action(QStringLiteral("DontLogin"))->isChecked())
        s->SetTriggerCnt(0);

    // 3.
    s->SetScreenShoot(ScreenShoot);
    s->SetMirror(window->MirrorBitmap);
    s->SetScreenBack(window->BackBitmap);
    const std::string picture =
        Settings.GlobalPicture ? Settings.PictureFilename : s->PictureFileName;
    s->SetGlyph(AcquireGlyph(s, picture, s->GlyphVisible()));

    // 4.
    s->SetScrollBar(window->ScrollBar);
    window->ResizeArmed = 0;

    // 5. Sized once shown: only a shown window lays its client out, so the
    // frame around the client is known and a resize reaches the client.
    window->show();
    const int barWidth = Settings.ScrollBarVisible ? window->ScrollBar->sizeHint().width() : 0;
    if (!Settings.Max) {
        s->CalcCellMetrics();
        const int w = s->Columns() * s->CellWidth(), h = s->Rows() * s->CellHeight();
        s->setGeometry(0, 0, w, h);
        window->LayOutClient();
        const QMargins frame(window->width() - window->Client()->width(),
                             window->height() - window->Client()->height(), 0, 0);
        window->resize(w + barWidth + frame.left(), h + frame.top());
        s->Maximized = 0;
    } else {
        const QSize area = MdiArea->viewport()->size();
        window->resize(std::max(100, area.width() - 4), std::max(100, area.height() - 4));
        window->LayOutClient();
        const QSize client = window->Client()->size();
        s->setGeometry(0, 0, std::max(1, client.width() - barWidth), client.height());
        s->FitFontToClient();
        s->Maximized = 1;
    }

    // 6.
    window->SavedWidth = window->width();
    window->SavedHeight = window->height();
    window->ResizeArmed = 1;
    window->ScrollBar->setGeometry(s->width(), 0, window->ScrollBar->sizeHint().width(),
                                   s->height());
    s->SetCursorVisible(false);
    s->ConnectTime = QDateTime();
    s->SetColorTables(Settings.FgColors.data(), Settings.BgColors.data());
    s->SetLazyChangeFont(false);
    s->Loaded();
    if (!s->NeedRefreshLater()) s->UpdateBackground();
    s->SetLazyRefresh(false);
    s->show();
    return s;
}

void TkvMainForm::CloseSessionWindow(int index, bool activate) {
    if (index < 0 || index >= static_cast<int>(Sessions.size())) return;
    // 1. The close is the user's or the timer's: it arms no reconnect.
    TConnection* s = Sessions[index];
    s->Busy = 0;
    s->UserClosed = true;
    s->ScriptTimer->stop();
    s->StopRefresh();
    s->OnTimer1 = s->OnTimer2 = s->OnTimer3 = nullptr;
    s->hide();
    s->SetLazyRefresh(true);
    s->SetLazyChangeFont(true);
    try {
        s->Disconnect();
    } catch (const std::exception&) {
    }
    // 2.
    session::FreeSessionNumber(NumberUsed, s->Tag);
    // 3. and 4.: the screen lets go of its picture before the picture goes.
    TDetachedForm* window = FormOf(s);
    if (window) window->ResizeArmed = 0;
    s->SetGlyph(nullptr);
    ReleaseGlyph(s);
    Sessions.erase(Sessions.begin() + index);
    if (window) {
        MdiArea->removeSubWindow(window);
        delete window; // frees the session with it
    } else {
        delete s;
    }
    SetStatusText(0, QString::fromUtf8("總連線數: ") + QString::number(Sessions.size()));
    delete BmpListBox->takeItem(index);
    TabControl->removeTab(index);
    // 5.
    session::RemoveFromOrder(ActivationOrder, index);
    // 6.
    if (!Sessions.empty()) {
        CurrentSession = ActivationOrder.empty() ? 0 : ActivationOrder.front();
        if (activate) ActivateSession(-1, CurrentSession, true);
    } else {
        CurrentSession = -1;
        CaptionSuffix.clear();
        ShowCaption();
        SetStatusText(2, QString::fromUtf8("連線時間: "));
        ShortcutEdit->clear();
        ShortcutEdit->setEnabled(false);
        if (::DirectoryDlg && ::DirectoryDlg->JumpHotBitBtn)
            ::DirectoryDlg->JumpHotBitBtn->setEnabled(false);
    }
    UpdateCommands();
}

// ---- Current session ------------------------------------------------------------

void TkvMainForm::ActivateSession(int, int newIndex, bool focus) {
    if (newIndex < 0 || newIndex >= static_cast<int>(Sessions.size())) return;
    CurrentSession = newIndex;
    ShowSessionNumber(newIndex);
    TConnection* s = Sessions[newIndex];
    if (TDetachedForm* f = FormOf(s)) {
        f->raise();
        if (MdiArea->activeSubWindow() != f) MdiArea->setActiveSubWindow(f);
    }
    HostNameComboBox->setCurrentText(Q(s->SiteName));
    HostNameComboBox->setToolTip(Q(s->HostName()));
    SiteNameOverride = LastHost = win::QStringToBig5(HostNameComboBox->currentText());
    QString port = Q(s->Port());
    PortEdit->setText(port.toLower() == QStringLiteral("telnet") ? QStringLiteral("23") : port);
    if (focus) DefaultFocus(LineLocked());
    SetStatusText(2, s->ConnectTime.isNull()
                         ? QString::fromUtf8("連線時間:")
                         : QString::fromUtf8("連線時間: ") + s->ConnectTime.toString("HH:mm:ss"));
    CaptionSuffix = " - " + s->SiteName;
    ShowCaption();
    UpdateCommands();
}

void TkvMainForm::ShowSessionNumber(int index) {
    SelectSessionInLists(index);
    if (index < 0 || index >= static_cast<int>(Sessions.size())) return;
    const int tag = Sessions[index]->Tag;
    ShortcutEdit->setText(tag >= 1 && tag <= 10 ? QString::number(tag % 10) : QString());
}

void TkvMainForm::SelectSessionInLists(int index) {
    const QSignalBlocker a(BmpListBox), b(TabControl);
    BmpListBox->setCurrentRow(index);
    TabControl->setCurrentIndex(index);
}

void TkvMainForm::MoveCurrentToFront() {
    if (CurrentSession >= 0) session::MoveToFront(ActivationOrder, CurrentSession);
}

bool TkvMainForm::LineLocked() const {
    return LineLockCheckBox && LineLockCheckBox->isChecked();
}

void TkvMainForm::DefaultFocus(bool lineLock) {
    if (!isActiveWindow()) return;
    if (!Sessions.empty()) {
        if (CurrentSession < 0) {
            // Sessions without a current one: a broken invariant, reported
            // on the debug output rather than in a box the timer would stack.
            win::OutputDebugString("Error in DefaultFocus!!!");
            return;
        }
        if (TDetachedForm* f = FormOf(Sessions[CurrentSession]); f && f->isMinimized())
            f->showNormal();
    }
    if (lineLock && LineBar && LineBar->isVisible() && LineComboBox) {
        if (!LineComboBox->hasFocus()) LineComboBox->setFocus();
        if (QLineEdit* e = LineComboBox->lineEdit()) e->end(false);
        return;
    }
    if (CurrentSession >= 0 && Sessions[CurrentSession]->IsConnected()) {
        Sessions[CurrentSession]->setFocus(Qt::OtherFocusReason);
    } else if (ConnectionBarShown()) {
        if (!HostNameComboBox->hasFocus()) HostNameComboBox->setFocus();
        if (QLineEdit* e = HostNameComboBox->lineEdit()) e->selectAll();
    } else if (!hasFocus()) {
        setFocus();
    }
}

void TkvMainForm::SwitchTo(int index) {
    if (index < 0 || index >= static_cast<int>(Sessions.size())) return;
    if (index != CurrentSession) {
        ActivateSession(CurrentSession, index, true);
        MoveCurrentToFront();
    } else {
        DefaultFocus(false);
    }
}

void TkvMainForm::BmpListBoxClick() {
    const int i = BmpListBox->currentRow();
    {
        const QSignalBlocker b(TabControl);
        TabControl->setCurrentIndex(i);
    }
    SwitchTo(i);
}

void TkvMainForm::TabControlChange(int index) {
    ShowSessionNumber(index);
    SwitchTo(index);
}

void TkvMainForm::TabControlMouseDown() {
    if (ConnectCount != 0 && CurrentSession >= 0 && CurrentSession < int(Sessions.size()))
        Sessions[static_cast<std::size_t>(CurrentSession)]->setFocus(Qt::MouseFocusReason);
}

void TkvMainForm::SessionSetFocus(TConnection* s) {
    const int i = SessionIndex(s);
    if (i < 0 || i == CurrentSession) return;
    // The document area hands the focus to a window as it is minimised; that
    // is no choice of the user's, and taking it so would restore the window.
    if (TDetachedForm* f = FormOf(s); f && f->isMinimized()) return;
    ActivateSession(CurrentSession, i, false);
    MoveCurrentToFront();
    DefaultFocus(LineLocked());
}

void TkvMainForm::DetachedFormActivate(TDetachedForm* f) {
    const int i = SessionIndex(f->Session);
    if (i < 0) return;
    if (i != CurrentSession) {
        ActivateSession(CurrentSession, i, false);
        MoveCurrentToFront();
    }
    DefaultFocus(LineLocked());
}

// ---- Pop-up menus ------------------------------------------------------------

void TkvMainForm::DetachedFormContextPopup(TDetachedForm* f, const QPoint& at) {
    if (!DetachedFormPopupMenu || !f) return;
    // The window asking may not be the current one yet (a keyboard request,
    // or a click the window did not take as an activation).
    RecordPopupLink(f->Session);
    PopupSession = f->Session;
    DetachedFormPopupMenu->popup(f->mapToGlobal(at));
}

bool TkvMainForm::FormContextPopup(const QPoint& at, const QPoint& globalAt) {
    // The document area as laid out now: what the docks, the two session
    // lists, their splitters and the status bar leave of the client.
    QWidget* area = MdiArea ? MdiArea->viewport() : nullptr;
    if (!PopupMenu || !area || !area->isVisible()) return false;
    if (!QRect(area->mapTo(this, QPoint(0, 0)), area->size()).contains(at)) return false;
    PopupMenu->popup(globalAt);
    return true;
}

void TkvMainForm::contextMenuEvent(QContextMenuEvent* e) {
    // Handled either way: outside the document area no menu opens.
    FormContextPopup(e->pos(), e->globalPos());
    e->accept();
}

// ---- Drag reorder of list rows ---------------------------------------------------

void TkvMainForm::BmpListBoxMouseDown() {
    DragHoverIndex = -1;
}

void TkvMainForm::BmpListBoxDragOver(int y, bool inside) {
    if (BmpListBox->count() < 2) return;
    if (!inside) {
        ListAutoScrollTimer->stop();
        return;
    }
    QScrollBar* bar = BmpListBox->verticalScrollBar();
    const int height = BmpListBox->viewport()->height();
    if (y < 5) {
        if (bar->value() > bar->minimum()) {
            DragScrollDown = 0;
            ListAutoScrollTimer->start();
        }
    } else if (y > height - 5) {
        if (bar->value() < bar->maximum()) {
            DragScrollDown = 1;
            ListAutoScrollTimer->start();
        }
    } else {
        ListAutoScrollTimer->stop();
        const int rowHeight = std::max(1, BmpListBox->sizeHintForRow(0));
        const int hover = y / rowHeight;
        if (hover + TopRow() < BmpListBox->count()) DragHoverIndex = hover;
    }
}

int TkvMainForm::TopRow() const {
    return BmpListBox->verticalScrollBar()->value();
}

void TkvMainForm::ListAutoScroll() {
    QScrollBar* bar = BmpListBox->verticalScrollBar();
    bar->setValue(bar->value() + (DragScrollDown ? 1 : -1));
}

void TkvMainForm::BmpListBoxDragDrop() {
    ListAutoScrollTimer->stop();
    if (DragHoverIndex < 0) return;
    const int source = BmpListBox->currentRow();
    const int count = static_cast<int>(Sessions.size());
    const int dest = session::DropDestination(source, DragHoverIndex + TopRow(), count);
    if (dest < 0) return;
    MoveSession(source, dest);
}

void TkvMainForm::MoveSession(int from, int to) {
    QListWidgetItem* item = BmpListBox->takeItem(from);
    BmpListBox->insertItem(to, item);
    TConnection* s = Sessions[from];
    Sessions.erase(Sessions.begin() + from);
    Sessions.insert(Sessions.begin() + to, s);
    TabControl->moveTab(from, to);
    session::MoveInOrder(ActivationOrder, from, to);
    CurrentSession = to;
    SelectSessionInLists(to);
}

// ---- Pictures ----------------------------------------------------------------------

TkvMainForm::TGlyphs::TOps TkvMainForm::GlyphOps() {
    return {[] { return std::make_unique<TMyBitmap>(); },
            [](const TMyBitmap& b) { return b.Empty(); },
            [](TMyBitmap& b, const std::string& file) {
                // A picture that cannot be read stays empty, without a message.
                b.LoadFromFile(win::Big5ToQString(file));
            }};
}

TMyBitmap* TkvMainForm::AcquireGlyph(TConnection* s, const std::string& fileName, bool load) {
    return Glyphs.Acquire(s, fileName, load);
}

void TkvMainForm::ReleaseGlyph(TConnection* s) {
    Glyphs.Release(s);
}

TMyBitmap* TkvMainForm::AssignGlyph(TConnection* s, const std::string& fileName, bool load) {
    // The screen must not show a picture the cache may free on the way.
    const auto* before = Glyphs.EntryOf(s);
    if (!before || before->FileName != fileName) s->SetGlyph(nullptr);
    return Glyphs.Assign(s, fileName, load);
}

void TkvMainForm::SaveSiteFontSize(const std::string& siteName, int size) {
    if (siteName.empty()) return;
    const session::TDirectoryFile book(SettingsDir + "Directory.ini");
    const std::string& path = book.Path();
    std::string host;
    if (!book.Read().Find(siteName, "Hostname", &host) || host.empty()) return;
    try {
        book.Edit([&](win::TIniText& t) { t.Set(siteName, "Font.Size", std::to_string(size)); });
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(path); // a read-only book stops nothing else
        return;
    }
    if (::DirectoryDlg) ::DirectoryDlg->UpdateFontSize(siteName, size);
}

// ---- Session events ------------------------------------------------------------------

void TkvMainForm::SessionConnected(TConnection* s) {
    const int i = SessionIndex(s);
    s->Busy = 0;
    s->SetCursorVisible(true);
    const QDateTime now = QDateTime::currentDateTime();
    if (i >= 0) {
        SetRowState(i, 2);
        SetRowText(i, now.toString("HH:mm:ss") + " " + BmpListBox->item(i)->text());
    }
    s->ConnectTime = now;
    if (i == CurrentSession) {
        SetStatusText(2, QString::fromUtf8("連線時間: ") + now.toString("HH:mm:ss"));
        if (isActiveWindow() && !(LineComboBox && LineComboBox->hasFocus()))
            s->setFocus(Qt::OtherFocusReason);
    }
    if (!s->Counted) {
        s->Counted = true;
        ++ConnectCount;
    }
    SetStatusText(1, QString::fromUtf8("連線數目: ") + QString::number(ConnectCount));
    UpdateCommands();
}

void TkvMainForm::SessionDropped(TConnection* s) {
    const int i = SessionIndex(s);
    s->SetCursorVisible(false);
    SetRowState(i, 0);
    if (i >= 0 && i == CurrentSession && ConnectionBarShown()) {
        HostNameComboBox->setFocus();
        if (QLineEdit* e = HostNameComboBox->lineEdit()) e->selectAll();
    }
    session::ArmAfterDrop(Handshake, {Settings.Remove, Settings.ReConnect}, s->UserClosed,
                          win::GetTickCount());
    UpdateCommands();
}

void TkvMainForm::ConnectionSessionClosed(TConnection* s) {
    // Only a session that had connected counts down.
    s->Busy = 0;
    if (s->Counted) {
        s->Counted = false;
        --ConnectCount;
        SetStatusText(1, QString::fromUtf8("連線數目: ") + QString::number(ConnectCount));
    }
    SessionDropped(s);
}

void TkvMainForm::ConnectFailed(TConnection* s) {
    s->Busy = 0;
    SessionDropped(s);
}
