// TLabelEffect: a label whose caption is drawn with a 3-D effect: a shadow
// and a highlight layer offset in chosen directions and depths over the
// face, which may be graduated or filled from a bitmap; the caption may be
// rotated, and with AsButton the label presses in and out like a button.
//
// The setter rules and the layer copies live in controls/core/LabelEffect;
// the widget paints them with QPainter (rotation by the painter).
#pragma once
#include "controls/core/LabelEffect.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

enum TLabelAlignment : std::uint8_t { laLeftJustify, laRightJustify, laCenter };

class TLabelEffect : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TLabelEffect* sender)>;
    using TMouseEvent =
        std::function<void(TLabelEffect* sender, Qt::MouseButton button, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TLabelEffect* sender, int x, int y)>;

    explicit TLabelEffect(QWidget* parent = nullptr);

    // The effect properties and their rules.
    const controls::TLabelEffectModel& Effect() const { return FModel; }
    int DepthHighlight() const { return FModel.DepthHighlight(); }
    void SetDepthHighlight(int v) { Apply(FModel.SetDepthHighlight(v)); }
    int DepthShadow() const { return FModel.DepthShadow(); }
    void SetDepthShadow(int v) { Apply(FModel.SetDepthShadow(v)); }
    controls::TEffectDirection DirectionHighlight() const { return FModel.DirectionHighlight(); }
    void SetDirectionHighlight(controls::TEffectDirection v) {
        Apply(FModel.SetDirectionHighlight(v));
    }
    controls::TEffectDirection DirectionShadow() const { return FModel.DirectionShadow(); }
    void SetDirectionShadow(controls::TEffectDirection v) { Apply(FModel.SetDirectionShadow(v)); }
    controls::TColor ColourHighlight() const { return FModel.ColourHighlight(); }
    void SetColourHighlight(controls::TColor v) { Apply(FModel.SetColourHighlight(v)); }
    controls::TColor ColourShadow() const { return FModel.ColourShadow(); }
    void SetColourShadow(controls::TColor v) { Apply(FModel.SetColourShadow(v)); }
    controls::TColor ColourFace() const { return FModel.ColourFace(); }
    void SetColourFace(controls::TColor v) { Apply(FModel.SetColourFace(v)); }
    controls::TColor GraduateHighlight() const { return FModel.GraduateHighlight(); }
    void SetGraduateHighlight(controls::TColor v) { Apply(FModel.SetGraduateHighlight(v)); }
    controls::TColor GraduateShadow() const { return FModel.GraduateShadow(); }
    void SetGraduateShadow(controls::TColor v) { Apply(FModel.SetGraduateShadow(v)); }
    controls::TGraduateOption GraduateFace() const { return FModel.GraduateFace(); }
    void SetGraduateFace(controls::TGraduateOption v) { Apply(FModel.SetGraduateFace(v)); }
    controls::TColor GraduateFrom() const { return FModel.GraduateFrom(); }
    void SetGraduateFrom(controls::TColor v) { Apply(FModel.SetGraduateFrom(v)); }
    controls::TEffectOption StyleHighlight() const { return FModel.StyleHighlight(); }
    void SetStyleHighlight(controls::TEffectOption v) { Apply(FModel.SetStyleHighlight(v)); }
    controls::TEffectOption StyleShadow() const { return FModel.StyleShadow(); }
    void SetStyleShadow(controls::TEffectOption v) { Apply(FModel.SetStyleShadow(v)); }
    controls::TResizeOption ResizeHighlight() const { return FModel.ResizeHighlight(); }
    void SetResizeHighlight(controls::TResizeOption v) { Apply(FModel.SetResizeHighlight(v)); }
    controls::TResizeOption ResizeShadow() const { return FModel.ResizeShadow(); }
    void SetResizeShadow(controls::TResizeOption v) { Apply(FModel.SetResizeShadow(v)); }
    controls::TEffectStyle EffectStyle() const { return FModel.EffectStyle(); }
    void SetEffectStyle(controls::TEffectStyle v) { Apply(FModel.SetEffectStyle(v)); }
    controls::TColourScheme ColourScheme() const { return FModel.ColourScheme(); }
    void SetColourScheme(controls::TColourScheme v) { Apply(FModel.SetColourScheme(v)); }
    QImage Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& v);
    bool AsButton() const { return FModel.AsButton(); }
    void SetAsButton(bool v) { Apply(FModel.SetAsButton(v)); }
    int Angle() const { return FModel.Angle(); }
    void SetAngle(int v);
    bool KeepLettersVertical() const { return FModel.KeepLettersVertical(); }
    void SetKeepLettersVertical(bool v) { Apply(FModel.SetKeepLettersVertical(v)); }

    // Label properties.
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    TLabelAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TLabelAlignment v);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v) { FAutoSize = v; }
    QWidget* FocusControl() const { return FFocusControl; }
    void SetFocusControl(QWidget* w) { FFocusControl = w; }
    // The font's colour; the face follows it, and ColourFace sets it.
    QColor FontColor() const;
    void SetFontColor(const QColor& c);
    // Named faces map onto installed families.
    void SetFontFace(const QString& face, int pointSize);

    // Copies another effects label's settings.
    void Assign(const TLabelEffect& other);

    TNotifyEvent OnClick, OnDblClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // The picture as painted (tests, the gallery).
    QImage Render() const;

protected:
    // The caption's accelerator (with ShowAccelChar) focuses FocusControl.
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void Apply(bool repaint);
    void UpdateAccelerator();
    int FAccelId = 0;
    void DrawCopy(QPainter& p, const QPoint& origin, const controls::TLayerCopy& copy,
                  const QBrush& brush) const;
    int TextFlags() const;

    controls::TLabelEffectModel FModel;
    QImage FBitmap;
    QString FCaption;
    TLabelAlignment FAlignment = laLeftJustify;
    QColor FColor;
    bool FTransparent = true, FWordWrap = false, FShowAccelChar = true, FAutoSize = false;
    bool FPressed = false;
    QPointer<QWidget> FFocusControl;
};

namespace controls {
// A stored 0x00BBGGRR colour and back.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
} // namespace controls
