#include "controls/Bmplbox.h"

#include <QPainter>
#include <QStyledItemDelegate>

using namespace controls;

namespace {

// Paints and measures items as the list box's rules say.
class TBmpItemDelegate : public QStyledItemDelegate {
public:
    explicit TBmpItemDelegate(TBmpListBox* box) : QStyledItemDelegate(box), Box(box) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        const TBmpItemHeight h = MeasureBmpItem(Box->Look(), QFontMetrics(option.font).height());
        return QSize(base.width() + Box->BmpItemWidth() + 2 * Box->LeftMargin(),
                     std::max(h.Height, 1));
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->save();
        p->fillRect(r, selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
        p->setClipRect(r);
        const std::uint32_t value = index.data(Qt::UserRole).toUInt();
        const TBmpItemPaint plan =
            PaintBmpItem(Box->Look(), {r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                         Box->PictureOffset(), PictureNumber(value));
        if (plan.DrawPicture)
            p->drawImage(QPoint(plan.Target.X, plan.Target.Y), Box->PaintStrip(),
                         QRect(plan.Source.Left, plan.Source.Top, plan.Source.Width(),
                               plan.Source.Height()));
        p->setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        p->setFont(option.font);
        p->drawText(
            QRect(plan.TextLeft, r.top(), std::max(0, r.right() + 1 - plan.TextLeft), r.height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            index.data(Qt::DisplayRole).toString());
        p->restore();
    }

private:
    TBmpListBox* Box;
};

} // namespace

TBmpListBox::TBmpListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TBmpItemDelegate(this));
    setUniformItemSizes(false);
}

std::uint32_t TBmpListBox::ItemValue(const QListWidgetItem* item) {
    return item ? item->data(Qt::UserRole).toUInt() : 0;
}

void TBmpListBox::SetItemValue(QListWidgetItem* item, std::uint32_t value) {
    if (item) item->setData(Qt::UserRole, value);
}

int TBmpListBox::PictureOffset() const {
    return MeasureBmpItem(FLook, fontMetrics().height()).PictureOffset;
}

void TBmpListBox::Changed() {
    FLook.StripWidth = FStrip.width();
    FLook.StripHeight = FStrip.height();
    FPaintStrip = FStrip.convertToFormat(QImage::Format_ARGB32);
    const QRgb see = qRgb(int(FTransparentColor & 0xFF), int(FTransparentColor >> 8 & 0xFF),
                          int(FTransparentColor >> 16 & 0xFF));
    for (int y = 0; y < FPaintStrip.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(FPaintStrip.scanLine(y));
        for (int x = 0; x < FPaintStrip.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (see & 0xFFFFFF)) line[x] = 0;
    }
    // Item heights depend on the strip: let the view measure again.
    doItemsLayout();
    viewport()->update();
}

void TBmpListBox::SetBitmapStrip(const QImage& strip) {
    FStrip = strip;
    Changed();
}

void TBmpListBox::SetBmpItemWidth(int v) {
    if (v == FLook.BmpItemWidth) return;
    FLook.BmpItemWidth = v;
    Changed();
}

void TBmpListBox::SetLeftMargin(int v) {
    if (v == FLook.LeftMargin) return;
    FLook.LeftMargin = v;
    Changed();
}

void TBmpListBox::SetTopAndBottomMargin(int v) {
    if (v == FLook.TopAndBottomMargin) return;
    FLook.TopAndBottomMargin = v;
    Changed();
}

void TBmpListBox::SetTransparentColor(std::uint32_t c) {
    if (c == FTransparentColor) return;
    FTransparentColor = c;
    Changed();
}

QImage SessionStateStrip(int cell) {
    cell = std::max(6, cell);
    QImage strip(cell * 4, cell, QImage::Format_RGB32);
    strip.fill(qRgb(128, 128, 128));
    QPainter p(&strip);
    const QRectF dot(1.5, 1.5, cell - 3, cell - 3);
    auto at = [&](int i) { return dot.translated(i * cell, 0); };
    p.setPen(QPen(QColor(0, 0, 0), 1));
    // Idle: a hollow ring.
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(at(0));
    // Connecting: half filled, amber.
    p.setBrush(QColor(255, 191, 0));
    p.drawPie(at(1), 90 * 16, 180 * 16);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(at(1));
    // Connected: a full green dot.
    p.setBrush(QColor(0, 170, 0));
    p.drawEllipse(at(2));
    // Bell: a red dot with a white clapper.
    p.setBrush(QColor(220, 0, 0));
    p.drawEllipse(at(3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QRectF(3 * cell + cell / 2.0 - 1.5, cell / 2.0 - 1.5, 3, 3));
    return strip;
}
