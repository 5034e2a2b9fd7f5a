// The outline of the drag and resize loops: programs cannot draw on the
// desktop, so it is a frameless top-level window that takes no input,
// masked to a ring and painted in the halftone pattern.
#pragma once
#include <QWidget>

class TDragOutline : public QWidget {
    Q_OBJECT
public:
    TDragOutline();
    // Shows the ring `thickness` pixels wide along the rectangle (screen
    // coordinates); an empty rectangle hides it.
    void SetRing(const QRect& screenRect, int thickness);
    int Thickness() const { return FThickness; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int FThickness = 1;
};
