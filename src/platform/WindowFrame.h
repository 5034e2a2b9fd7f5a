// The frame of a top-level window. A window's place and size, as the user
// sees and the settings store them, are its outer frame's (title bar and
// borders included), while the toolkit places the client area inside it.
// These know a window's frame also before the window manager has drawn
// one: on X11 they read the frame the manager announces for the window
// (and ask it for one when it has not announced it yet); where no manager
// answers they use the last frame seen in this run, and with no window
// manager at all (or a platform without frames) the frame is empty.
#pragma once
#include <QMargins>
#include <QRect>

class QWidget;

namespace win {

// The frame's thickness around the client: left, top (title bar
// included), right, bottom.
QMargins FrameMargins(const QWidget* window);

// The outer rectangle of a top-level window in desktop coordinates.
QRect FrameRect(const QWidget* window);

// Places a top-level window so that its outer frame is `outer`; the client
// keeps at least one pixel each way. A maximised or full-screen window is
// put back into the normal state (a hidden one stays hidden) and `outer`
// is its normal frame, borders included.
void SetFrameRect(QWidget* window, const QRect& outer);

// Moves a top-level window's outer frame to `topLeft`, keeping its size.
void MoveFrameTo(QWidget* window, const QPoint& topLeft);

} // namespace win
