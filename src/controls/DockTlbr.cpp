// Toolbar layout through the engine, floating resize snapping, wrap lines;
// the separator.
#include "controls/DockTlbr.h"

#include "controls/DockCnst.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <climits>

namespace {

QSize NaturalSize(const QWidget* w) {
    if (w->testAttribute(Qt::WA_Resized)) return w->size();
    const QSize hint = w->sizeHint();
    return hint.isValid() ? hint : w->size();
}

QWidget* CheckSepParent(QWidget* parent) {
    if (!qobject_cast<TCustomToolbar*>(parent))
        throw EInvalidOperation(STRToolbarSepParentNotAllowed);
    return parent;
}

} // namespace

// ---- TCustomToolbar ---------------------------------------------------------------

TCustomToolbar::TCustomToolbar(QWidget* parent) {
    if (parent) SetParent(parent);
}

TCustomToolbar::~TCustomToolbar() {
    for (const auto& w : FOrderList)
        if (w) w->removeEventFilter(this);
}

void TCustomToolbar::SetFloatingRightX(int v) {
    FFloatingRightX = v;
    ArrangeControls();
}

void TCustomToolbar::WritePositionData(const std::function<void(const char*, int)>& write) const {
    write("FloatRightX", FFloatingRightX);
}

void TCustomToolbar::ReadPositionData(const std::function<int(const char*, int)>& read) {
    SetFloatingRightX(read("FloatRightX", FFloatingRightX));
}

void TCustomToolbar::AddSlave(QWidget* topBottom, QWidget* leftRight) {
    FSlaves.push_back({topBottom, leftRight});
    ScheduleLayout();
}

void TCustomToolbar::PurgeOrderList() {
    if (!FOrderListDirty) return;
    FOrderListDirty = false;
    FOrderList.removeIf(
        [this](const QPointer<QWidget>& w) { return !w || w->parentWidget() != this; });
}

QList<QWidget*> TCustomToolbar::OrderList() const {
    QList<QWidget*> out;
    for (const auto& w : FOrderList)
        if (w && w->parentWidget() == this) out.append(w);
    return out;
}

QList<QWidget*> TCustomToolbar::Members(bool canMove, TDockType type) const {
    const bool lr = type == TDockType::LeftRight;
    if (canMove)
        for (const TSlave& s : FSlaves) {
            if (s.LeftRight) s.LeftRight->setVisible(lr);
            if (s.TopBottom) s.TopBottom->setVisible(!lr);
        }
    auto shownFor = [&](QWidget* w) {
        for (const TSlave& s : FSlaves) {
            if (w == s.LeftRight) return lr;
            if (w == s.TopBottom) return !lr;
        }
        return !w->isHidden();
    };
    QList<QWidget*> out;
    for (QWidget* w : OrderList())
        if (!w->isWindow() && shownFor(w)) out.append(w);
    return out;
}

std::vector<controls::TToolbarItem> TCustomToolbar::Items(const QList<QWidget*>& members) const {
    std::vector<controls::TToolbarItem> items;
    for (QWidget* w : members) {
        controls::TToolbarItem it;
        if (auto* sep = qobject_cast<TToolbarSep*>(w)) {
            it.Separator = true;
            it.Blank = sep->Blank();
            it.SizeHorz = sep->SizeHorz();
            it.SizeVert = sep->SizeVert();
        } else {
            const QSize s = NaturalSize(w);
            it.Width = s.width();
            it.Height = s.height();
        }
        items.push_back(it);
    }
    return items;
}

int TCustomToolbar::GetMinimumSizeAcross(TDockType type) {
    PurgeOrderList();
    return controls::MinimumSizeAcross(Items(Members(false, type)), type);
}

QSize TCustomToolbar::OrderControls(bool canMove, TDockType type) {
    PurgeOrderList();
    const QList<QWidget*> members = Members(canMove, type);
    const auto items = Items(members);
    int rowThickness = 0;
    if (canMove && Docked() && DockedTo() && type == DockedTo()->DockType()) {
        const auto& rows = DockedTo()->RowSizes();
        if (DockRow() >= 0 && static_cast<std::size_t>(DockRow()) < rows.size())
            rowThickness = rows[DockRow()];
    }
    const auto layout = controls::OrderControls(items, type, FFloatingRightX, rowThickness);
    if (canMove) {
        const controls::TMargins f = FrameFor(type);
        FPlacing = true;
        for (int i = 0; i < members.size(); ++i)
            members[i]->setGeometry(ToQRect(layout.Bounds[i]).translated(f.Left, f.Top));
        FPlacing = false;
        FWrapLines =
            type == TDockType::NotDocked ? layout.WrapLines : std::vector<controls::TWrapLine>{};
        update();
    }
    return QSize(layout.ClientSize.Width, layout.ClientSize.Height);
}

void TCustomToolbar::GetParams(bool& opt0, bool& cornerResize, bool& clipCursor) {
    opt0 = cornerResize = clipCursor = false;
}

void TCustomToolbar::SizingBegin() {
    PurgeOrderList();
    const controls::TMargins f = FrameFor(TDockType::NotDocked);
    FPotential.clear();
    for (const controls::TSize& s :
         controls::BuildPotentialSizes(Items(Members(false, TDockType::NotDocked))))
        FPotential.emplace_back(s.Width + f.Horizontal(), s.Height + f.Vertical());
}

QRect TCustomToolbar::SizingStep(const QRect& proposed, controls::TSizingEdges edges) {
    std::vector<controls::TSize> sizes;
    for (const QSize& s : FPotential)
        sizes.push_back({s.width(), s.height()});
    return ToQRect(controls::SizingStep(sizes, edges, ToRect(proposed)));
}

void TCustomToolbar::SizingEnd(bool accept, const QRect& rect) {
    FPotential.clear();
    if (!accept) return;
    SetFloatingRightX(rect.width() - FrameFor(TDockType::NotDocked).Horizontal());
}

void TCustomToolbar::ScheduleLayout() {
    if (FLayoutPending) return;
    FLayoutPending = true;
    QTimer::singleShot(0, this, [this] {
        FLayoutPending = false;
        ArrangeControls();
    });
}

void TCustomToolbar::childEvent(QChildEvent* e) {
    TCustomToolWindow::childEvent(e);
    if (!e->child()->isWidgetType()) return;
    auto* w = static_cast<QWidget*>(e->child());
    if (e->added()) {
        if (!FOrderList.contains(w)) FOrderList.append(w);
        FOrderListDirty = true;
        w->installEventFilter(this);
        ScheduleLayout();
    } else if (e->removed()) {
        FOrderList.removeAll(w);
        w->removeEventFilter(this);
        ScheduleLayout();
    }
}

bool TCustomToolbar::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        ScheduleLayout();
        break;
    case QEvent::Resize:
        if (!FPlacing && !qobject_cast<TToolbarSep*>(watched)) ScheduleLayout();
        break;
    default:
        break;
    }
    return TCustomToolWindow::eventFilter(watched, e);
}

void TCustomToolbar::paintEvent(QPaintEvent* e) {
    TCustomToolWindow::paintEvent(e);
    if (Docked() || FWrapLines.empty()) return;
    QPainter p(this);
    const controls::TMargins f = FrameFor(TDockType::NotDocked);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const int x0 = f.Left, x1 = width() - f.Right;
    for (const controls::TWrapLine& line : FWrapLines) {
        if (line.Blank) continue;
        const int y = f.Top + line.Pos;
        p.fillRect(QRect(x0, y - 4, x1 - x0, 1), shadow);
        p.fillRect(QRect(x0, y - 3, x1 - x0, 1), light);
    }
}

// ---- TToolbarSep ------------------------------------------------------------------

TToolbarSep::TToolbarSep(QWidget* parent) : QWidget(CheckSepParent(parent)) {
    resize(FSizeHorz, 8);
}

void TToolbarSep::SetParent(QWidget* parent) {
    QWidget::setParent(CheckSepParent(parent));
    Relayout();
}

void TToolbarSep::SetBlank(bool v) {
    if (FBlank == v) return;
    FBlank = v;
    update();
    Relayout();
}

void TToolbarSep::SetSizeHorz(int v) {
    if (v < 1 || v == FSizeHorz) return;
    FSizeHorz = v;
    Relayout();
}

void TToolbarSep::SetSizeVert(int v) {
    if (v < 1 || v == FSizeVert) return;
    FSizeVert = v;
    Relayout();
}

void TToolbarSep::Relayout() {
    if (auto* bar = qobject_cast<TCustomToolbar*>(parentWidget())) bar->ScheduleLayout();
}

void TToolbarSep::paintEvent(QPaintEvent*) {
    if (FBlank || width() <= 0 || height() <= 0) return;
    auto* bar = qobject_cast<TCustomToolbar*>(parentWidget());
    const bool lr = bar && bar->CurrentDockType() == TDockType::LeftRight;
    QPainter p(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    if (lr) {
        const int y = height() / 2;
        p.fillRect(QRect(0, y - 1, width(), 1), shadow);
        p.fillRect(QRect(0, y, width(), 1), light);
    } else {
        const int x = width() / 2;
        p.fillRect(QRect(x - 1, 0, 1, height()), shadow);
        p.fillRect(QRect(x, 0, 1, height()), light);
    }
}

void TToolbarSep::mousePressEvent(QMouseEvent* e) {
    // The toolbar's drag passes through its separators.
    auto* bar = qobject_cast<TCustomToolbar*>(parentWidget());
    if (e->button() == Qt::LeftButton && bar && !bar->Moving()) {
        bar->BeginMoving(e->globalPosition().toPoint(), e->modifiers());
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}
