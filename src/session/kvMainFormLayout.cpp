// Window layout commands: filling the document area with a session window,
// tiling, cascading, minimising and restoring all, moving all to a point,
// the scroll-bar toggle, and the document area's background (a picture or
// a copy of the desktop shot under it).
#include "session/kvMainForm.h"

#include "dialogs/MoveToDialog.h"
#include "platform/CodePage.h"
#include "screen/BgCrt.h"
#include "screen/MyBitmap.h"
#include "session/Connection.h"
#include "session/DetachedForm.h"
#include "session/core/WindowLayout.h"
#include "session/uTiler.h"

#include <QAction>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QMdiArea>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QSpinBox>

#include <algorithm>

namespace {

using session::TLayoutRect;
using session::TLayoutSize;

session::TFrameMargins FrameOf(TDetachedForm* w) {
    w->LayOutClient();
    const QRect c = w->Client()->geometry();
    return {c.left(), c.top(), std::max(0, w->width() - c.right() - 1),
            std::max(0, w->height() - c.bottom() - 1)};
}

int BarWidth(TDetachedForm* w) {
    return w->ScrollBar ? w->ScrollBar->sizeHint().width() : 0;
}

// The smallest outer size of a session window: one cell inside its frame.
TLayoutSize MinOuter(TDetachedForm* w, TConnection* s, bool barShown) {
    const session::TFrameMargins f = FrameOf(w);
    return {f.Horizontal() + std::max(1, s->CellWidth()) + (barShown ? BarWidth(w) : 0),
            f.Vertical() + std::max(1, s->CellHeight())};
}

} // namespace

bool TkvMainForm::LayoutChecked(const char* name) const {
    QAction* a = Action(QString::fromLatin1(name));
    return a && a->isChecked();
}

std::vector<TConnection*> TkvMainForm::LayoutSessions() const {
    return Sessions;
}

// Places a session's screen and bar in its window's client and fits the
// font, without the window's own resize handler.
void TkvMainForm::FitSessionScreen(TConnection* s, TDetachedForm* w, QSize screen) {
    const bool bar = LayoutChecked("ScrollBarVisible");
    // Never smaller than one cell, however small the window.
    s->setGeometry(0, 0, std::max({1, s->CellWidth(), screen.width()}),
                   std::max({1, s->CellHeight(), screen.height()}));
    if (w->ScrollBar) {
        w->ScrollBar->setVisible(bar);
        if (bar) w->ScrollBar->setGeometry(s->width(), 0, BarWidth(w), s->height());
    }
    if (!s->FitFontToClient()) s->CalcCellMetrics();
    s->UpdateBackground();
}

void TkvMainForm::MaximizeSession(int index) {
    if (index < 0 || index >= static_cast<int>(Sessions.size())) return;
    TConnection* s = Sessions[static_cast<std::size_t>(index)];
    TDetachedForm* w = FormOf(s);
    if (!w) return;
    w->ResizeArmed = 0;
    const QSize area = MdiArea->viewport()->size();
    const session::TSessionFit fit = session::FitSessionWindow(
        {area.width(), area.height()}, FrameOf(w), BarWidth(w), LayoutChecked("ScrollBarVisible"),
        {s->CellWidth(), s->CellHeight()});
    const QRect target(0, 0, fit.Outer.Width, fit.Outer.Height);
    if (w->geometry() != target) {
        // One move and one resize: the move handler sees the place once.
        w->SavedLeft = 0;
        w->SavedTop = 0;
        w->setGeometry(target);
        w->LayOutClient();
        FitSessionScreen(s, w, QSize(fit.Screen.Width, fit.Screen.Height));
    }
    w->SavedWidth = w->width();
    w->SavedHeight = w->height();
    s->Maximized = 1;
    w->ResizeArmed = 1;
}

void TkvMainForm::MaxConnectionClick(QObject*) {
    if (Sessions.empty()) return;
    MaximizeSession(CurrentSession);
    DefaultFocus(false); // the session, even with the line box locked
}

void TkvMainForm::MaxAllConnectionClick(QObject*) {
    if (Sessions.empty()) return;
    ProgressPass(LayoutSessions(), [this](TConnection* s) { MaximizeSession(SessionIndex(s)); });
    DefaultFocus(false); // the session, even with the line box locked
}

void TkvMainForm::MinAllConnectionClick(QObject*) {
    if (Sessions.empty()) return;
    ProgressPass(LayoutSessions(), [this](TConnection* s) {
        if (TDetachedForm* w = FormOf(s); w && !w->isMinimized()) w->showMinimized();
    });
}

void TkvMainForm::RestoreAllConnectionClick(QObject*) {
    if (Sessions.empty()) return;
    ProgressPass(LayoutSessions(), [this](TConnection* s) {
        if (TDetachedForm* w = FormOf(s); w && (w->isMinimized() || w->isMaximized()))
            w->showNormal();
    });
    DefaultFocus(false); // the session, even with the line box locked
}

void TkvMainForm::ArrangeSessions(int how) {
    // Minimised windows keep their place; the others are laid out in list order.
    std::vector<std::pair<TConnection*, TDetachedForm*>> shown;
    for (TConnection* s : Sessions) {
        s->Maximized = 0;
        TDetachedForm* w = FormOf(s);
        if (w && !w->isMinimized()) shown.emplace_back(s, w);
    }
    if (shown.empty()) return;
    // A window maximised by its own button hides its caption and frame:
    // measured so, it would give no cascade step and a smaller least size.
    // Every window goes back to the normal state before anything is measured.
    for (auto& [s, w] : shown)
        if (w->isMaximized()) {
            w->showNormal();
            w->LayOutClient();
        }
    const QSize a = MdiArea->viewport()->size();
    const bool bar = LayoutChecked("ScrollBarVisible");
    TLayoutSize minOuter;
    for (auto& [s, w] : shown) {
        TLayoutSize m = MinOuter(w, s, bar);
        minOuter.Width = std::max(minOuter.Width, m.Width);
        minOuter.Height = std::max(minOuter.Height, m.Height);
    }
    const int n = static_cast<int>(shown.size());
    std::vector<TLayoutRect> rects;
    if (how == 0)
        rects = session::TileHorizontal({a.width(), a.height()}, n, minOuter);
    else if (how == 1)
        rects = session::TileVertical({a.width(), a.height()}, n, minOuter);
    else
        rects = session::Cascade(
            {a.width(), a.height()}, n,
            session::CascadeStep(FrameOf(shown[0].second),
                                 {shown[0].first->CellWidth(), shown[0].first->CellHeight()}),
            minOuter);
    for (int i = 0; i < n; ++i) {
        auto [s, w] = shown[static_cast<std::size_t>(i)];
        const TLayoutRect& r = rects[static_cast<std::size_t>(i)];
        w->setGeometry(r.Left, r.Top, r.Width, r.Height);
        w->LayOutClient();
    }
    // Cascaded windows overlap: each lies over the one before it, so every
    // caption shows, and the current session's window stays in front.
    if (how == 2) {
        for (auto& [s, w] : shown)
            w->raise();
        if (CurrentSession >= 0 && CurrentSession < int(Sessions.size()))
            if (TDetachedForm* w = FormOf(Sessions[static_cast<std::size_t>(CurrentSession)]);
                w && !w->isMinimized())
                w->raise();
    }
}

void TkvMainForm::TileHClick(QObject*) {
    ArrangeSessions(0);
}

void TkvMainForm::TileVClick(QObject*) {
    ArrangeSessions(1);
}

void TkvMainForm::TileOClick(QObject*) {
    ArrangeSessions(2);
}

void TkvMainForm::MoveAllSessions(int x, int y) {
    ProgressPass(LayoutSessions(), [this, x, y](TConnection* s) {
        TDetachedForm* w = FormOf(s);
        if (!w || w->pos() == QPoint(x, y)) return;
        w->move(x, y);
    });
}

void TkvMainForm::MoveToLeftTopClick(QObject*) {
    MoveAllSessions(0, 0);
}

void TkvMainForm::MoveToClick(QObject*) {
    TMoveToDlg dlg(this);
    dlg.XSpinEdit->setValue(Settings.MoveToX);
    dlg.YSpinEdit->setValue(Settings.MoveToY);
    if (dlg.exec() != QDialog::Accepted) return;
    Settings.MoveToX = dlg.XSpinEdit->value();
    Settings.MoveToY = dlg.YSpinEdit->value();
    MoveAllSessions(Settings.MoveToX, Settings.MoveToY);
}

void TkvMainForm::ScrollBarVisibleClick(QObject* sender) {
    QAction* item = Action(QStringLiteral("ScrollBarVisible"));
    if (sender != item) item->setChecked(!item->isChecked());
    const bool shown = item->isChecked();
    Settings.ScrollBarVisible = shown;
    ProgressPass(LayoutSessions(), [this, shown](TConnection* s) {
        TDetachedForm* w = FormOf(s);
        if (!w) return;
        w->ResizeArmed = 0;
        const int bar = BarWidth(w);
        if (s->Maximized) {
            // The window keeps its size; the screen gives up or takes the bar's room.
            const int cw = w->Client()->width();
            FitSessionScreen(s, w, QSize(shown ? cw - bar : cw, w->Client()->height()));
        } else {
            // The window's client grows or shrinks by the bar; the screen keeps its size.
            const int dw = shown ? bar : -bar;
            if (w->ScrollBar) w->ScrollBar->setVisible(shown);
            w->resize(std::max(1, w->width() + dw), w->height());
            w->LayOutClient();
            if (shown && w->ScrollBar) w->ScrollBar->setGeometry(s->width(), 0, bar, s->height());
        }
        w->SavedWidth = w->width();
        w->SavedHeight = w->height();
        w->ResizeArmed = 1;
    });
}

// ---- Document-area background ---------------------------------------------

session::TBackgroundState TkvMainForm::BackgroundState() const {
    session::TBackgroundState b;
    b.Transparent = LayoutChecked("TransparentMenuItem");
    b.Picture = LayoutChecked("PictureMenuItem");
    b.Style = LayoutChecked("CenterMenuItem")    ? TTileMode::tmCenter
              : LayoutChecked("StretchMenuItem") ? TTileMode::tmStretch
                                                 : TTileMode::tmTile;
    if (QAction* a = Action(QStringLiteral("LoadPictureMenuItem")))
        b.FileName = a->property("Hint").toString().toStdString();
    return b;
}

void TkvMainForm::ApplyBackgroundState(const session::TBackgroundState& b) {
    Action(QStringLiteral("TransparentMenuItem"))->setChecked(b.Transparent);
    Action(QStringLiteral("PictureMenuItem"))->setChecked(b.Picture);
    Settings.MdiTransparent = b.Transparent;
    Settings.MdiPicture = b.Picture;
    Settings.MdiPictureStyle = session::StoredStyle(b.Style);
    if (Tiler) Tiler->SetTileMode(b.Style);
}

// The part of the desktop shot under the document area, found from the
// area's real place on the screen (frames and docks included, whatever
// their sizes); what lies outside the shot stays black.
void TkvMainForm::PaintTransparentBackground() {
    if (!Tiler || !ScreenShoot) return;
    QWidget* area = MdiArea->viewport();
    const QImage shot = ScreenShoot->Image();
    const QPoint at = area->mapToGlobal(QPoint(0, 0));
    const session::TShotCut cut = session::ShotCutUnder(
        {at.x(), at.y(), area->width(), area->height()}, ScreenShoot->Origin.x(),
        ScreenShoot->Origin.y(), 1.0, {shot.width(), shot.height()});
    QImage picture(std::max(1, area->width()), std::max(1, area->height()), QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (cut.Source.Width > 0) {
        QPainter p(&picture);
        p.drawImage(QPoint(cut.TargetX, cut.TargetY), shot,
                    QRect(cut.Source.Left, cut.Source.Top, cut.Source.Width, cut.Source.Height));
    }
    Tiler->SetBitmap(QPixmap::fromImage(picture));
    Tiler->Refresh();
}

void TkvMainForm::ClearBackgroundPicture() {
    if (!Tiler) return;
    Tiler->SetBitmap(QPixmap());
    Tiler->Refresh();
}

// Loads the named picture into the tiler; false (and nothing shown) when the
// file is missing, truncated or not a picture.
bool TkvMainForm::LoadBackgroundPicture(const std::string& fileName) {
    if (!Tiler || fileName.empty()) return false;
    QImageReader reader(QString::fromStdString(fileName));
    // A picture that claims a huge size is refused before it is decoded.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > qint64(64) * 1024 * 1024)
        return false;
    QImage image = reader.read();
    if (image.isNull()) return false;
    Tiler->SetBitmap(QPixmap::fromImage(image));
    Tiler->Refresh();
    return true;
}

void TkvMainForm::TransparentMenuItemClick(QObject* sender) {
    QAction* item = Action(QStringLiteral("TransparentMenuItem"));
    session::TBackgroundState b = BackgroundState();
    // The action already flipped its own mark when it was the sender.
    if (sender == item) b.Transparent = !b.Transparent;
    session::ToggleTransparent(b);
    ApplyBackgroundState(b);
    if (b.Transparent)
        PaintTransparentBackground();
    else
        ClearBackgroundPicture();
}

void TkvMainForm::PictureMenuItemClick(QObject* sender) {
    QAction* item = Action(QStringLiteral("PictureMenuItem"));
    session::TBackgroundState b = BackgroundState();
    if (sender == item) b.Picture = !b.Picture;
    session::TogglePicture(b);
    if (b.Picture) {
        if (!LoadBackgroundPicture(b.FileName)) {
            session::PictureFailed(b);
            ClearBackgroundPicture();
        }
    } else {
        ClearBackgroundPicture();
    }
    ApplyBackgroundState(b);
}

void TkvMainForm::CenterMenuItemClick(QObject* sender) {
    session::TBackgroundState b = BackgroundState();
    const int tag = sender ? sender->property("Tag").toInt() : 0;
    if (!session::SetStyleByTag(b, tag)) return;
    static const char* const Items[] = {"CenterMenuItem", "TileMenuItem", "StretchMenuItem"};
    Action(QString::fromLatin1(Items[tag - 1]))->setChecked(true);
    ApplyBackgroundState(b);
}

void TkvMainForm::LoadPictureMenuItemClick(QObject*) {
    session::TBackgroundState b = BackgroundState();
    const QString start = QString::fromStdString(b.FileName);
    const QString chosen = PictureFileChooser
                               ? PictureFileChooser(start)
                               : QFileDialog::getOpenFileName(
                                     this, QString(), start,
                                     QStringLiteral("Pictures (*.bmp *.png *.jpg *.jpeg *.gif)"));
    if (!chosen.isEmpty()) {
        session::PictureChosen(b, chosen.toStdString());
        Action(QStringLiteral("LoadPictureMenuItem"))->setProperty("Hint", chosen);
        Settings.MdiPictureFilename = win::QStringToBig5(chosen);
        if (!LoadBackgroundPicture(b.FileName)) {
            session::PictureFailed(b);
            ClearBackgroundPicture();
        }
        Action(QStringLiteral("PictureMenuItem"))
            ->setText(QString::fromStdString(session::PictureItemCaption(b.FileName)));
        ApplyBackgroundState(b);
    }
    DefaultFocus(LineLocked());
}

// The shot's run ends with the document area's copy and every transparent
// screen rebuilt from the new picture.
void TkvMainForm::RearrangeClick(QObject*) {
    CaptureDesktop();
}

// ---- Move and size handlers ---------------------------------------------------

namespace {

// Watches the document area's size: it changes with the main window and
// also when a list, a splitter, a dock or the status bar gives or takes room.
class TAreaResizeWatch : public QObject {
public:
    TAreaResizeWatch(QWidget* area, std::function<void()> resized)
        : QObject(area), FResized(std::move(resized)) {
        setObjectName(QStringLiteral("AreaResizeWatch"));
        area->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) FResized();
        return false;
    }

private:
    std::function<void()> FResized;
};

} // namespace

void TkvMainForm::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    MainWindowMoved();
}

void TkvMainForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (MdiArea && !MdiArea->viewport()->findChild<QObject*>(QStringLiteral("AreaResizeWatch"),
                                                             Qt::FindDirectChildrenOnly))
        new TAreaResizeWatch(MdiArea->viewport(), [this] { MainWindowResized(); });
    MainWindowResized();
}

void TkvMainForm::MainWindowMoved() {
    if (!FCreated || FDestroyed) return;
    if (!LayoutMoveWatch.Moved(x(), y())) return;
    // The pass processes pending messages between sessions. A move arriving
    // meanwhile does not start a pass of its own inside this one: it is
    // noted, and this pass runs once more afterwards at the latest place.
    if (!LayoutMoveGate.Begin()) return;
    do {
        if (OnMovePass) OnMovePass(pos());
        if (LayoutChecked("TransparentMenuItem")) PaintTransparentBackground();
        std::vector<TConnection*> transparent;
        for (TConnection* s : Sessions)
            if (s->Transparent()) transparent.push_back(s);
        if (!transparent.empty())
            ProgressPass(transparent, [](TConnection* s) {
                s->CheckFullRepaint();
                s->UpdateBackground();
            });
    } while (LayoutMoveGate.Again());
}

void TkvMainForm::MainWindowResized() {
    if (!FCreated || FDestroyed) return;
    const bool grew = LayoutGrowth.Grew(width(), height());
    if (!Tiler || !LayoutChecked("TransparentMenuItem")) return;
    // Only growth repaints: a smaller area shows the top-left part of the
    // copy it has. Growth counts against that copy too, which a move or a
    // list toggle may have cut smaller than the largest size so far.
    const QSize area = MdiArea->viewport()->size();
    const QSizeF painted = Tiler->Bitmap().deviceIndependentSize();
    if (grew || area.width() > qRound(painted.width()) || area.height() > qRound(painted.height()))
        PaintTransparentBackground();
}
