// TTiler: paints a picture on the background of a form, or of the document
// area of a form that has one (a QMdiArea as its central widget), by tile
// mode. Without a picture, or inactive, the background is the window's own
// brush (its palette, or the document area's background as it was).
#pragma once
#include "session/core/TilePlacement.h"

#include <QBrush>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <stdexcept>

class QMdiArea;
class QWidget;

class ETiler : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TTiler : public QObject {
    Q_OBJECT
public:
    // owner must be a form (a top-level window); attaches at once when
    // automaticAttach, else when first needed. Raises ETiler otherwise.
    explicit TTiler(QWidget* owner, bool automaticAttach = true);
    ~TTiler() override;

    bool AutomaticAttach() const { return AutomaticAttach_; }
    bool Active() const { return Active_; }
    void SetActive(bool value);
    // The picture (owned; a copy is kept).
    const QPixmap& Bitmap() const { return Bitmap_; }
    void SetBitmap(const QPixmap& picture);
    TTileMode TileMode() const { return Mode_; }
    // A changed mode repaints when active.
    void SetTileMode(TTileMode mode);

    // Active off and back on: paints again.
    void Refresh();

    // The background as painted now, the size of the painted area.
    QPixmap Rendered() const;
    // The widget whose background is painted (nullptr before attaching).
    QWidget* Target() const { return Target_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Attach();
    void Paint();
    QBrush OwnBrush() const;

    QPointer<QWidget> Owner_;
    QPointer<QWidget> Target_;
    QPointer<QMdiArea> Mdi_;
    QBrush SavedBrush_;
    bool AutomaticAttach_ = true;
    bool Active_ = false;
    QPixmap Bitmap_;
    TTileMode Mode_ = TTileMode::tmTile;
};
