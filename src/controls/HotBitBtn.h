// THotBitBtn: a bitmap button that changes colours under the mouse and
// while pressed. It paints itself, so the colours show whatever the desktop
// style. Its press and release replace the inherited ones: OnClick fires,
// OnMouseDown and OnMouseUp never do.
#pragma once
#include <QImage>
#include <QPushButton>

#include <functional>

class THotBitBtn : public QPushButton {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(THotBitBtn* sender)>;

    explicit THotBitBtn(QWidget* parent = nullptr);

    QColor HotColor() const { return FHotColor; }
    void SetHotColor(const QColor& c) { FHotColor = c; }
    QColor HotFontColor() const { return FHotFontColor; }
    void SetHotFontColor(const QColor& c) { FHotFontColor = c; }
    QColor DownColor() const { return FDownColor; }
    void SetDownColor(const QColor& c) { FDownColor = c; }
    QColor DownFontColor() const { return FDownFontColor; }
    void SetDownFontColor(const QColor& c) { FDownFontColor = c; }
    // The colours the button shows now.
    QColor Color() const { return FColor; }
    QColor FontColor() const { return FFontColor; }
    // The picture beside the caption.
    QImage Glyph() const { return FGlyph; }
    void SetGlyph(const QImage& g);
    QString Caption() const { return text(); }
    void SetCaption(const QString& c) { setText(c); }

    TNotifyEvent OnClick;

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* e) override;

private:
    void Show(const QColor& face, const QColor& font);

    QColor FHotColor, FHotFontColor{Qt::blue}, FDownColor, FDownFontColor{Qt::red};
    QColor FNormalColor, FNormalFontColor;
    QColor FColor, FFontColor;
    QImage FGlyph;
    bool FHot = false;
};
