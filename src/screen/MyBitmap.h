// A picture component: owns one 24-bit bitmap and tells its owner when the
// picture changes. Screens use them for their background picture, the
// desktop shot, the composed background and the display bitmap.
#pragma once
#include "screen/core/PixelBuffer.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>

class TMyBitmap : public QObject {
    Q_OBJECT
public:
    explicit TMyBitmap(QObject* owner = nullptr);

    // The pixels (blue, green, red bytes); after changing them through here
    // call Changed() to tell the listeners.
    TPixelBuffer& Bitmap() { return FBitmap; }
    const TPixelBuffer& Bitmap() const { return FBitmap; }
    bool Empty() const { return FBitmap.Empty(); }
    int Width() const { return FBitmap.Width(); }
    int Height() const { return FBitmap.Height(); }

    // Assigning copies the picture, then reports the change.
    void Assign(const TPixelBuffer& picture);
    void Assign(const TMyBitmap& other) { Assign(other.FBitmap); }
    void Assign(const QImage& image);
    // Loads any picture format Qt reads; false (picture unchanged) on failure.
    bool LoadFromFile(const QString& fileName);
    bool SaveToFile(const QString& fileName) const;
    // Resizes to black (no change event: the composer fills it right after).
    void SetSize(int width, int height) { FBitmap.SetSize(width, height); }
    void Clear();

    // A view of the pixels as a QImage (no copy): valid until the bitmap is
    // resized or reassigned. Painting into it paints into the bitmap.
    QImage Image();
    QImage Image() const;
    // A deep copy as a QImage.
    QImage ToImage() const { return Image().copy(); }

    void Changed();
    std::function<void(TMyBitmap*)> OnChange;
    // Where pixel (0, 0) lies on the desktop (a desktop shot; else 0, 0).
    QPoint Origin;

private:
    TPixelBuffer FBitmap;
};

// The pixels of an image as a 24-bit buffer.
TPixelBuffer ToPixelBuffer(const QImage& image);
