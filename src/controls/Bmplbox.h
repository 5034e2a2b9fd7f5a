// TBmpListBox: a list box that shows one small picture per item, cut from a
// strip bitmap, before the item's text. The picture number is the high 16
// bits of the item's value (ItemValue / SetItemValue).
#pragma once
#include "controls/core/BmpItemMetrics.h"

#include <QImage>
#include <QListWidget>

class TBmpListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TBmpListBox(QWidget* parent = nullptr);

    QImage BitmapStrip() const { return FStrip; }
    void SetBitmapStrip(const QImage& strip);
    int BmpItemWidth() const { return FLook.BmpItemWidth; }
    void SetBmpItemWidth(int v);
    int LeftMargin() const { return FLook.LeftMargin; }
    void SetLeftMargin(int v);
    int TopAndBottomMargin() const { return FLook.TopAndBottomMargin; }
    void SetTopAndBottomMargin(int v);
    // 0x00BBGGRR; strip pixels of this colour are see-through.
    std::uint32_t TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(std::uint32_t c);

    // The item's value (its object value: picture number in the high half).
    static std::uint32_t ItemValue(const QListWidgetItem* item);
    static void SetItemValue(QListWidgetItem* item, std::uint32_t value);

    const controls::TBmpListLook& Look() const { return FLook; }
    // The strip with the transparent colour made see-through.
    const QImage& PaintStrip() const { return FPaintStrip; }
    int PictureOffset() const;

private:
    void Changed();

    QImage FStrip, FPaintStrip;
    controls::TBmpListLook FLook;
    std::uint32_t FTransparentColor = 0x808080;
};

// The session list's four state pictures side by side (idle, connecting,
// connected, bell), cell x cell pixels each, on the see-through grey.
QImage SessionStateStrip(int cell = 12);
