#include "screen/MyBitmap.h"

#include <cstring>

TMyBitmap::TMyBitmap(QObject* owner) : QObject(owner) {}

void TMyBitmap::Assign(const TPixelBuffer& picture) {
    if (&picture != &FBitmap) FBitmap = picture;
    Changed();
}

void TMyBitmap::Assign(const QImage& image) {
    FBitmap = ToPixelBuffer(image);
    Changed();
}

bool TMyBitmap::LoadFromFile(const QString& fileName) {
    QImage image;
    if (!image.load(fileName) || image.isNull()) return false;
    Assign(image);
    return true;
}

bool TMyBitmap::SaveToFile(const QString& fileName) const {
    return !Empty() && ToImage().save(fileName);
}

void TMyBitmap::Clear() {
    FBitmap.SetSize(0, 0);
    Changed();
}

QImage TMyBitmap::Image() {
    if (FBitmap.Empty()) return {};
    return QImage(FBitmap.Bits(), FBitmap.Width(), FBitmap.Height(), FBitmap.Stride(),
                  QImage::Format_BGR888);
}

QImage TMyBitmap::Image() const {
    if (FBitmap.Empty()) return {};
    return QImage(FBitmap.Bits(), FBitmap.Width(), FBitmap.Height(), FBitmap.Stride(),
                  QImage::Format_BGR888);
}

void TMyBitmap::Changed() {
    if (OnChange) OnChange(this);
}

TPixelBuffer ToPixelBuffer(const QImage& image) {
    TPixelBuffer out;
    if (image.isNull()) return out;
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    out.SetSize(bgr.width(), bgr.height());
    for (int y = 0; y < out.Height(); ++y)
        std::memcpy(out.Line(y), bgr.constScanLine(y), std::size_t(out.Width()) * 3);
    return out;
}
