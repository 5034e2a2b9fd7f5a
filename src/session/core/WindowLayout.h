// Geometry and state decisions of the document area: filling it with one
// session window, tiling and cascading, the part of the desktop shot that
// lies under it, the background choice (picture or desktop copy) with its
// menu marks, the toolbar button captions, and the guards of the move, size
// and wheel handlers. Sizes are in the document area's own pixels; frames
// are measured from the real windows, never assumed.
#pragma once
#include "session/core/TilePlacement.h"

#include <string>
#include <vector>

namespace session {

struct TLayoutRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TLayoutRect&) const = default;
};

struct TLayoutSize {
    int Width = 0, Height = 0;
    bool operator==(const TLayoutSize&) const = default;
};

// Thickness of a session window's frame: outer size minus its client
// (caption included in Top).
struct TFrameMargins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Horizontal() const { return Left + Right; }
    int Vertical() const { return Top + Bottom; }
};

// A session window that fills the document area: its outer size and the
// screen's size inside it (the scroll bar beside the screen when shown).
struct TSessionFit {
    TLayoutSize Outer;
    TLayoutSize Screen;
    int BarLeft = 0; // the scroll bar's x inside the client
    bool operator==(const TSessionFit&) const = default;
};

// The fit of a window into an area: outer = area, screen = client less the
// bar. The screen never gets smaller than one cell; the outer size grows
// with it then.
TSessionFit FitSessionWindow(TLayoutSize area, TFrameMargins frame, int barWidth, bool barShown,
                             TLayoutSize cell);

// Horizontal tiling: the windows stacked top to bottom at full width;
// vertical: side by side at full height. Extra pixels go to the first
// windows; no window below minOuter (they then run past the area).
std::vector<TLayoutRect> TileHorizontal(TLayoutSize area, int count, TLayoutSize minOuter);
std::vector<TLayoutRect> TileVertical(TLayoutSize area, int count, TLayoutSize minOuter);
// Cascade: each window one caption lower and to the right of the one
// before, all the same size (what is left of the area, at least minOuter).
// Past the area's bottom or right edge the run starts again at the top.
std::vector<TLayoutRect> Cascade(TLayoutSize area, int count, int step, TLayoutSize minOuter);
// The cascade's step: the caption band (the frame's top) of a window in
// the normal state. A frame without one (a window measured while
// maximised, which hides its caption) steps by one cell instead, so no
// window ends up hiding the one before it.
int CascadeStep(TFrameMargins normalFrame, TLayoutSize cell);

// The part of the desktop shot that lies under an area. The shot covers
// the virtual desktop (its top-left at desktopOrigin, logical pixels) at
// pixelRatio device pixels per logical pixel. Source is in shot pixels,
// clipped to the shot; Target is where it goes in an area-sized picture
// (in device pixels too). Width 0 when nothing overlaps.
struct TShotCut {
    TLayoutRect Source;
    int TargetX = 0, TargetY = 0;
    bool operator==(const TShotCut&) const = default;
};
TShotCut ShotCutUnder(TLayoutRect areaOnDesktop, int desktopOriginX, int desktopOriginY,
                      double pixelRatio, TLayoutSize shotSize);

// ---- Document-area background -------------------------------------------

// The menu marks of the background items (main menu and pop-up copies are
// kept equal by the caller) and the picture's file name.
struct TBackgroundState {
    bool Transparent = false;
    bool Picture = false;
    TTileMode Style = TTileMode::tmTile;
    std::string FileName;
};

enum class TBackgroundPaint { None, DesktopCopy, Picture };

// What the area shows for a state: transparency wins; a picture item without
// a file shows nothing.
TBackgroundPaint BackgroundPaint(const TBackgroundState& s);
// The transparency item flipped: on unchecks the picture.
void ToggleTransparent(TBackgroundState& s);
// The picture item flipped: on unchecks transparency.
void TogglePicture(TBackgroundState& s);
// A picture chosen in the open dialog: shown, transparency off.
void PictureChosen(TBackgroundState& s, const std::string& fileName);
// A picture that could not be loaded: the item goes off, the name stays.
void PictureFailed(TBackgroundState& s);
// The style items by Tag: 1 centre, 2 tile, 3 stretch; false (nothing
// changed) for any other tag.
bool SetStyleByTag(TBackgroundState& s, int tag);
// The stored "0..2" style number and back (out of range: tile).
TTileMode StyleFromStored(int stored);
int StoredStyle(TTileMode mode);

// The picture item's caption: its fixed text plus "(" + the file's name
// without folder + ")", nothing appended without a name (UTF-8).
std::string PictureItemCaption(const std::string& fileName);

// ---- Toolbar button captions ----------------------------------------------

struct TButtonText {
    std::string Caption, Hint; // UTF-8
    bool operator==(const TButtonText&) const = default;
};
// Hide: the hint gains "(Alt + " + first character + ")", the caption keeps
// only its second character. Show undoes it; a hint without that tail (not
// hidden before) is left as it is. Characters, never bytes.
TButtonText HideButtonCaption(const TButtonText& b);
TButtonText ShowButtonCaption(const TButtonText& b);

// ---- Handler guards ---------------------------------------------------------

// The main window's size handler repaints only past the largest size so far.
class TGrowthWatch {
public:
    // True when (w, h) exceeds the largest in either direction (and stores it).
    bool Grew(int width, int height);
    void Reset() { FWidth = FHeight = 0; }

private:
    int FWidth = 0, FHeight = 0;
};

// The move handler: a position already handled does nothing; Invalidate
// makes the next move run its full pass (a changed dock height).
class TMoveWatch {
public:
    bool Moved(int left, int top);
    void Invalidate() {
        FLeft = FTop = -100;
        FValid = false;
    }

private:
    int FLeft = -100, FTop = -100;
    bool FValid = false;
};

// A pass that re-enters the message loop must not nest: a request arriving
// while it runs is remembered, and the pass runs once more afterwards.
class TRerunGate {
public:
    // True when the caller may run the pass now.
    bool Begin();
    // After a pass: true when it has to run again (a request came meanwhile).
    bool Again();
    bool Running() const { return FRunning; }

private:
    bool FRunning = false, FPending = false;
};

// Wheel deltas summed to notches of 120: Add returns the lines to scroll,
// negative = up (the wheel turned away from the user), 0 until a whole
// notch has come.
class TWheelNotches {
public:
    int Add(int delta);

private:
    int FRest = 0;
};

} // namespace session
