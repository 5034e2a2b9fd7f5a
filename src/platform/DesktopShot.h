// A picture of the whole desktop: every monitor in one image laid out in
// desktop coordinates, and the run that takes it with the program's own
// windows out of the way (hidden, a pause by timer for the desktop to
// repaint, the shot, shown again where they were).
//
// Some platforms give a program no picture of the screen (Wayland, the
// offscreen and minimal platforms); there the shot says so and the caller
// keeps what it had.
#pragma once
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QTimer;

namespace win {

struct TDesktopShot {
    // Logical pixels, RGB32; pixel (0, 0) lies at Origin on the desktop.
    QImage Image;
    // The virtual desktop's top-left (negative when a monitor lies left of
    // or above the primary one).
    QPoint Origin;
    // Why there is no picture; empty when Image is set.
    QString Failure;
    bool Ok() const { return !Image.isNull(); }
};

// One monitor's picture: where the monitor lies on the desktop (logical
// pixels) and what it showed, at whatever device pixel ratio it has.
struct TScreenPicture {
    QRect Geometry;
    QImage Picture;
};

// The monitors joined into one image at one logical pixel per desktop
// pixel: each picture scaled to its monitor's logical size and placed at
// its place relative to the union's top-left. Places no monitor covers are
// black. No monitor (or none with a size): an empty shot.
TDesktopShot ComposeDesktop(const std::vector<TScreenPicture>& screens);

// The union of every monitor's logical geometry (0, 0, 0, 0 without one).
QRect VirtualDesktop();

// Whether this platform lets a program read the screen; when not, why.
bool DesktopShotPossible(QString* why = nullptr);

// Grabs every monitor now. A platform without screen access or a grab that
// fails gives a shot with Failure set.
TDesktopShot TakeDesktopShot();

// A black picture of the virtual desktop's size (at least 1 x 1): what
// transparent screens blend over when no shot is possible.
TDesktopShot BlackDesktop();

// The run around a shot. Start returns at once; on the next turn of the
// event loop (never inside the caller, which may be a show event) the
// given parts are hidden, then after Delay milliseconds on a timer (the
// event loop keeps running) the shot is taken and handed over, and the
// parts hidden are shown again in their order. A Start while one is
// pending is refused, so runs never nest.
class TDesktopShooter : public QObject {
    Q_OBJECT
public:
    // One thing to keep out of the picture. Hide runs at the start and
    // returns whether it hid anything; only then does Show run afterwards.
    struct TPart {
        std::function<bool()> Hide;
        std::function<void()> Show;
    };
    using TDone = std::function<void(const TDesktopShot&)>;

    explicit TDesktopShooter(QObject* owner = nullptr);

    // False (and nothing done) when a run is pending.
    bool Start(std::vector<TPart> parts, TDone done);
    bool Pending() const { return FPending; }
    // Ends a pending run at once without a shot: what was hidden is shown
    // again and the hand-over never comes (the owner is closing).
    void Cancel();

    int Delay = 100;
    // Where the picture comes from; TakeDesktopShot when empty.
    std::function<TDesktopShot()> Source;
    // Whether a run can give a picture: a replaced source always can,
    // otherwise DesktopShotPossible.
    bool Possible() const;

private:
    void HideParts();
    void Finish();

    QTimer* FTimer = nullptr;
    bool FPending = false;
    bool FPartsHidden = false;
    std::vector<TPart> FHidden;
    TDone FDone;
};

} // namespace win
