#include "controls/TabStrip.h"

#include "controls/core/TabRows.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QToolButton>

#include <algorithm>

namespace {
constexpr int Padding = 16; // room left and right of a tab's text
} // namespace

TTabStrip::TTabStrip(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    for (QToolButton** b : {&FLeft, &FRight}) {
        *b = new QToolButton(this);
        (*b)->setArrowType(b == &FLeft ? Qt::LeftArrow : Qt::RightArrow);
        (*b)->setAutoRaise(true);
        (*b)->setFocusPolicy(Qt::NoFocus);
        (*b)->hide();
    }
    connect(FLeft, &QToolButton::clicked, this, [this] { Scroll(-1); });
    connect(FRight, &QToolButton::clicked, this, [this] { Scroll(1); });
}

int TTabStrip::addTab(const QString& text) {
    FTabs.push_back({text, {}});
    const int index = count() - 1;
    Relayout();
    if (FCurrent < 0) setCurrentIndex(index);
    return index;
}

void TTabStrip::removeTab(int index) {
    if (index < 0 || index >= count()) return;
    FTabs.erase(FTabs.begin() + index);
    FHot = -1;
    const int before = FCurrent;
    if (FCurrent > index || FCurrent >= count()) --FCurrent;
    FFirst = std::clamp(FFirst, 0, std::max(0, count() - 1));
    Relayout();
    if (FCurrent != before || before == index) emit currentChanged(FCurrent);
}

void TTabStrip::moveTab(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to) return;
    TTab t = std::move(FTabs[static_cast<std::size_t>(from)]);
    FTabs.erase(FTabs.begin() + from);
    FTabs.insert(FTabs.begin() + to, std::move(t));
    // The current tab stays the same tab.
    if (FCurrent == from)
        FCurrent = to;
    else if (from < FCurrent && FCurrent <= to)
        --FCurrent;
    else if (to <= FCurrent && FCurrent < from)
        ++FCurrent;
    Relayout();
}

QString TTabStrip::tabText(int index) const {
    return index >= 0 && index < count() ? FTabs[static_cast<std::size_t>(index)].Text : QString();
}

void TTabStrip::setTabText(int index, const QString& text) {
    if (index < 0 || index >= count()) return;
    FTabs[static_cast<std::size_t>(index)].Text = text;
    Relayout();
}

QVariant TTabStrip::tabData(int index) const {
    return index >= 0 && index < count() ? FTabs[static_cast<std::size_t>(index)].Data : QVariant();
}

void TTabStrip::setTabData(int index, const QVariant& data) {
    if (index >= 0 && index < count()) FTabs[static_cast<std::size_t>(index)].Data = data;
}

void TTabStrip::setCurrentIndex(int index) {
    if (index < -1 || index >= count() || index == FCurrent) return;
    FCurrent = index;
    if (!FMultiLine) FFirst = controls::FirstToShow(Widths(), RowWidth(), FFirst, index);
    Relayout();
    emit currentChanged(index);
}

QRect TTabStrip::tabRect(int index) const {
    return index >= 0 && index < static_cast<int>(FRects.size())
               ? FRects[static_cast<std::size_t>(index)]
               : QRect();
}

int TTabStrip::tabAt(const QPoint& p) const {
    if (FArrows && (FLeft->geometry().contains(p) || FRight->geometry().contains(p))) return -1;
    for (int i = 0; i < static_cast<int>(FRects.size()); ++i)
        if (FRects[static_cast<std::size_t>(i)].contains(p)) return i;
    return -1;
}

void TTabStrip::setMultiLine(bool on) {
    if (on == FMultiLine) return;
    FMultiLine = on;
    FFirst = on ? 0 : controls::FirstToShow(Widths(), RowWidth(), 0, FCurrent);
    Relayout();
}

int TTabStrip::rowHeight() const {
    return fontMetrics().height() + 7;
}

int TTabStrip::rowCount() const {
    return controls::TabRowCount(controls::PlaceTabs(Widths(), RowWidth(), FMultiLine, FFirst));
}

QSize TTabStrip::sizeHint() const {
    int w = 0;
    for (int x : Widths())
        w += x;
    return {std::max(w, 40), rowHeight() * (FMultiLine ? rowCount() : 1)};
}

QSize TTabStrip::minimumSizeHint() const {
    return {40, rowHeight()};
}

std::vector<int> TTabStrip::Widths() const {
    std::vector<int> w;
    w.reserve(FTabs.size());
    for (const TTab& t : FTabs)
        w.push_back(fontMetrics().horizontalAdvance(t.Text) + Padding);
    return w;
}

// The single row leaves room for the arrow buttons when it overflows.
int TTabStrip::RowWidth() const {
    return FMultiLine || !FArrows ? width() : std::max(1, width() - 2 * rowHeight());
}

void TTabStrip::Relayout() {
    const std::vector<int> widths = Widths();
    int total = 0;
    for (int w : widths)
        total += w;
    FArrows = !FMultiLine && total > width();
    const int h = rowHeight();
    FLeft->setVisible(FArrows);
    FRight->setVisible(FArrows);
    if (FArrows) {
        FLeft->setGeometry(width() - 2 * h, 0, h, h);
        FRight->setGeometry(width() - h, 0, h, h);
    } else if (!FMultiLine) {
        FFirst = 0;
    }
    const auto places = controls::PlaceTabs(widths, RowWidth(), FMultiLine, FFirst);
    // More rows than the strip shows: the rows scroll so that the current
    // tab's row is the last one shown.
    int top = 0;
    if (FMultiLine && FCurrent >= 0 && FCurrent < static_cast<int>(places.size()))
        top = std::max(0, places[static_cast<std::size_t>(FCurrent)].Row -
                              std::max(1, height() / h) + 1);
    FRects.assign(places.size(), QRect());
    for (std::size_t i = 0; i < places.size(); ++i)
        if (places[i].Row >= top)
            FRects[i] = QRect(places[i].Left, (places[i].Row - top) * h, places[i].Width, h);
    FLeft->setEnabled(FFirst > 0);
    FRight->setEnabled(!places.empty() && places.back().Left + places.back().Width > RowWidth());
    updateGeometry();
    update();
}

void TTabStrip::Scroll(int by) {
    FFirst = std::clamp(FFirst + by, 0, std::max(0, count() - 1));
    Relayout();
}

void TTabStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int clip = FMultiLine ? width() : RowWidth();
    p.setClipRect(0, 0, clip, height());
    for (int i = 0; i < static_cast<int>(FRects.size()); ++i) {
        const QRect r = FRects[static_cast<std::size_t>(i)];
        if (r.isEmpty() || r.top() >= height()) continue;
        QStyleOptionToolButton opt;
        opt.initFrom(this);
        opt.rect = r.adjusted(1, 1, -1, -1);
        opt.state |= QStyle::State_AutoRaise;
        if (i == FCurrent)
            opt.state |= QStyle::State_On | QStyle::State_Sunken;
        else if (i == FHot)
            opt.state |= QStyle::State_MouseOver | QStyle::State_Raised;
        if (i == FCurrent || i == FHot)
            style()->drawPrimitive(QStyle::PE_PanelButtonTool, &opt, &p, this);
        style()->drawItemText(&p, r, Qt::AlignCenter, palette(), isEnabled(),
                              FTabs[static_cast<std::size_t>(i)].Text, QPalette::ButtonText);
    }
}

void TTabStrip::mousePressEvent(QMouseEvent* e) {
    const int i = e->button() == Qt::LeftButton ? tabAt(e->position().toPoint()) : -1;
    if (i < 0) {
        QWidget::mousePressEvent(e);
        if (e->button() == Qt::LeftButton) emit mouseDown();
        return;
    }
    emit tabBarClicked(i);
    // The click's handler may have removed tabs.
    if (i < count()) setCurrentIndex(i);
    emit mouseDown();
}

void TTabStrip::mouseMoveEvent(QMouseEvent* e) {
    const int hot = tabAt(e->position().toPoint());
    if (hot != FHot) {
        FHot = hot;
        update();
    }
    QWidget::mouseMoveEvent(e);
}

void TTabStrip::leaveEvent(QEvent* e) {
    FHot = -1;
    update();
    QWidget::leaveEvent(e);
}

void TTabStrip::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Relayout();
}

void TTabStrip::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) Relayout();
    QWidget::changeEvent(e);
}
