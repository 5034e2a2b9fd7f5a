#include "platform/WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <unordered_map>
#include <vector>

#ifdef BP_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace win {

namespace {

// The last frame a window manager told us of in this run: the best guess
// for a window it has not answered for.
QMargins gLastKnown;
bool gHaveLastKnown = false;

// The last frame seen around a window in the normal state (neither
// maximised nor full screen): placing a window puts it in that state.
QMargins gLastNormal;
bool gHaveLastNormal = false;

QMargins Remember(const QMargins& m) {
    gLastKnown = m;
    gHaveLastKnown = true;
    return m;
}

void RememberNormal(const QMargins& m) {
    gLastNormal = m;
    gHaveLastNormal = true;
}

#ifdef BP_HAVE_XCB

// How long to wait for the manager's answer to a frame request.
constexpr auto kRequestWait = std::chrono::milliseconds(500);

struct TXcb {
    xcb_connection_t* Connection = nullptr;
    xcb_window_t Root = 0;
    xcb_atom_t FrameExtents = 0, RequestFrameExtents = 0, Supported = 0, WmCheck = 0;
    xcb_atom_t State = 0, MaximizedVert = 0, MaximizedHorz = 0, Fullscreen = 0;
};

// The normal frame last seen around each window of ours.
std::unordered_map<xcb_window_t, QMargins> gNormalFrames;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
}

// The display's connection and the atoms, or none off X11.
const TXcb* Xcb() {
    static TXcb x;
    static bool tried = false;
    if (tried) return x.Connection ? &x : nullptr;
    tried = true;
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!app || !app->connection()) return nullptr;
    x.Connection = app->connection();
    const xcb_setup_t* setup = xcb_get_setup(x.Connection);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    if (!it.rem) {
        x.Connection = nullptr;
        return nullptr;
    }
    x.Root = it.data->root;
    x.FrameExtents = Atom(x.Connection, "_NET_FRAME_EXTENTS");
    x.RequestFrameExtents = Atom(x.Connection, "_NET_REQUEST_FRAME_EXTENTS");
    x.Supported = Atom(x.Connection, "_NET_SUPPORTED");
    x.WmCheck = Atom(x.Connection, "_NET_SUPPORTING_WM_CHECK");
    x.State = Atom(x.Connection, "_NET_WM_STATE");
    x.MaximizedVert = Atom(x.Connection, "_NET_WM_STATE_MAXIMIZED_VERT");
    x.MaximizedHorz = Atom(x.Connection, "_NET_WM_STATE_MAXIMIZED_HORZ");
    x.Fullscreen = Atom(x.Connection, "_NET_WM_STATE_FULLSCREEN");
    return &x;
}

// The 32-bit values of a property (empty when it is not set).
std::vector<uint32_t> Property(const TXcb& x, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type,
                               uint32_t count) {
    std::vector<uint32_t> v;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        x.Connection, xcb_get_property(x.Connection, 0, w, prop, type, 0, count), nullptr);
    if (r && r->format == 32 && r->type == type) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r));
        v.assign(data, data + xcb_get_property_value_length(r) / 4);
    }
    free(r);
    return v;
}

// _NET_FRAME_EXTENTS of the window: left, right, top, bottom.
bool ReadExtents(const TXcb& x, xcb_window_t w, QMargins* m) {
    std::vector<uint32_t> e = Property(x, w, x.FrameExtents, XCB_ATOM_CARDINAL, 4);
    if (e.size() != 4) return false;
    auto clamp = [](uint32_t v) { return static_cast<int>(std::min<uint32_t>(v, 4096)); };
    *m = QMargins(clamp(e[0]), clamp(e[2]), clamp(e[1]), clamp(e[3]));
    return true;
}

// Whether the manager shows the window maximised or full screen: then its
// frame is not the normal one (a maximised frame loses its borders).
bool Stretched(const TXcb& x, xcb_window_t w) {
    for (uint32_t a : Property(x, w, x.State, XCB_ATOM_ATOM, 64))
        if (a == x.MaximizedVert || a == x.MaximizedHorz || a == x.Fullscreen) return true;
    return false;
}

// Keeps a frame read from the manager, and as the window's normal frame
// when the manager shows the window in the normal state.
void Seen(const TXcb& x, xcb_window_t w, const QMargins& m) {
    Remember(m);
    if (Stretched(x, w)) return;
    gNormalFrames[w] = m;
    RememberNormal(m);
}

bool WindowManagerRuns(const TXcb& x) {
    return !Property(x, x.Root, x.WmCheck, XCB_ATOM_WINDOW, 1).empty();
}

bool ManagerAnswersRequests(const TXcb& x) {
    std::vector<uint32_t> atoms = Property(x, x.Root, x.Supported, XCB_ATOM_ATOM, 4096);
    return std::find(atoms.begin(), atoms.end(), x.RequestFrameExtents) != atoms.end();
}

// Asks the manager to announce the frame it will give the window, then
// waits a little for the answer.
bool RequestExtents(const TXcb& x, xcb_window_t w, QMargins* m) {
    xcb_client_message_event_t ev;
    std::memset(&ev, 0, sizeof ev);
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = x.RequestFrameExtents;
    xcb_send_event(x.Connection, 0, x.Root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(x.Connection);
    const auto until = std::chrono::steady_clock::now() + kRequestWait;
    for (;;) {
        if (ReadExtents(x, w, m)) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The frame on X11; false when this is not an X11 display. `guessed` (if
// given) tells whether the manager said nothing of this window's frame, so
// that the frame is the last one seen around another window, or none.
bool X11Margins(const QWidget* window, QMargins* m, bool* guessed = nullptr) {
    if (guessed) *guessed = false;
    const TXcb* x = Xcb();
    if (!x) return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (ReadExtents(*x, id, m)) {
        Seen(*x, id, *m);
        return true;
    }
    if (!WindowManagerRuns(*x)) {
        *m = QMargins(); // nobody draws a frame
        return true;
    }
    if (ManagerAnswersRequests(*x) && RequestExtents(*x, id, m)) {
        Seen(*x, id, *m);
        return true;
    }
    // A manager that tells nothing: what the toolkit measured once the
    // window is framed, else the last frame seen.
    const QMargins measured = window->windowHandle() ? window->windowHandle()->frameMargins()
                                                     : QMargins();
    if (!measured.isNull()) {
        *m = Remember(measured);
        return true;
    }
    *m = gHaveLastKnown ? gLastKnown : QMargins();
    if (guessed) *guessed = true;
    return true;
}

// The frame the manager has put around a shown window, once it tells it.
bool X11AnnouncedMargins(const QWidget* window, QMargins* m) {
    const TXcb* x = Xcb();
    if (!x) return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (!ReadExtents(*x, id, m)) return false;
    Seen(*x, id, *m);
    return true;
}

// The normal frame of a window that the manager shows maximised or full
// screen, or has just been asked to show normal: the one last seen around
// it; for a window never seen normal, its frame once the manager shows it
// normal (waiting a little for that), else the last normal frame seen
// around any window. False when this is not an X11 display.
bool X11NormalMargins(const QWidget* window, QMargins* m) {
    const TXcb* x = Xcb();
    if (!x) return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (auto it = gNormalFrames.find(id); it != gNormalFrames.end()) {
        *m = it->second;
        return true;
    }
    const auto until = std::chrono::steady_clock::now() + kRequestWait;
    while (Stretched(*x, id) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (Stretched(*x, id) && gHaveLastNormal)
        *m = gLastNormal;
    else
        X11Margins(window, m);
    return true;
}

#endif

// The client rectangle inside an outer frame; at least one pixel each way.
QRect ClientFor(const QRect& outer, const QMargins& m) {
    return QRect(outer.x() + m.left(), outer.y() + m.top(),
                 std::max(1, outer.width() - m.left() - m.right()),
                 std::max(1, outer.height() - m.top() - m.bottom()));
}

// Places a window once more when it was placed by a guessed frame: as soon
// as the window is shown and its manager tells the frame it really got,
// the client is moved so that this frame, not the guess, lies at the place
// asked for. The manager tells it some time after the window is mapped,
// and may take it back while the window is hidden, so while shown the
// window asks now and then, for a few seconds at most (a manager that
// never tells keeps the guess).
class TFramePlacer : public QObject {
public:
    TFramePlacer(QWidget* window, const QRect& outer) : QObject(window), FWindow(window), FOuter(outer) {
        setObjectName(Name());
        FPoll.setInterval(kPollMs);
        connect(&FPoll, &QTimer::timeout, this, [this] { Check(); });
        window->installEventFilter(this);
        if (window->isVisible()) FPoll.start();
    }
    // A newer place replaces this one.
    static void Forget(QWidget* window) {
        for (QObject* p : window->findChildren<QObject*>(Name(), Qt::FindDirectChildrenOnly))
            static_cast<TFramePlacer*>(p)->Done();
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show && !FDone) FPoll.start();
        if (e->type() == QEvent::Hide) FPoll.stop();
        return false;
    }

private:
    static constexpr int kPollMs = 40;
    static constexpr int kGiveUpPolls = 3000 / kPollMs;
    static QString Name() { return QStringLiteral("FramePlacer"); }

    void Check() {
        if (FDone || !FWindow->isVisible()) return;
        QMargins m;
#ifdef BP_HAVE_XCB
        const bool told = X11AnnouncedMargins(FWindow, &m);
#else
        const bool told = false;
#endif
        if (!told) {
            if (++FPolls >= kGiveUpPolls) Done();
            return;
        }
        const QRect client = ClientFor(FOuter, m);
        if (FWindow->geometry() != client) FWindow->setGeometry(client);
        Done();
    }
    void Done() {
        if (FDone) return;
        FDone = true;
        FPoll.stop();
        FWindow->removeEventFilter(this);
        deleteLater();
    }

    QWidget* FWindow;
    QRect FOuter;
    QTimer FPoll;
    int FPolls = 0;
    bool FDone = false;
};

// The frame of a window about to be placed, and whether it is a guess.
QMargins PlacingMargins(const QWidget* window, bool* guessed) {
    *guessed = false;
#ifdef BP_HAVE_XCB
    QMargins m;
    if (X11Margins(window, &m, guessed)) return m;
#endif
    return FrameMargins(window);
}

// Puts the client inside `outer` by the frame `m`; a guessed frame is
// checked again once the window is shown.
void PlaceClient(QWidget* window, const QRect& outer, const QMargins& m, bool guessed) {
    TFramePlacer::Forget(window);
    window->setGeometry(ClientFor(outer, m));
    if (guessed) new TFramePlacer(window, outer);
}

// The frame a maximised or full-screen window gets back in the normal state.
QMargins NormalMargins(const QWidget* window) {
#ifdef BP_HAVE_XCB
    QMargins m;
    if (X11NormalMargins(window, &m)) return m;
#endif
    return FrameMargins(window);
}

} // namespace

QMargins FrameMargins(const QWidget* window) {
    if (!window) return {};
    window = window->window();
    (void)window->winId(); // the native window the frame belongs to
#ifdef BP_HAVE_XCB
    QMargins m;
    if (X11Margins(window, &m)) return m;
#endif
    // Other platforms: what the toolkit knows (empty where windows have no
    // frame, such as offscreen), else the last frame seen.
    const QMargins measured =
        window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    if (!measured.isNull() || !gHaveLastKnown) return measured;
    return gLastKnown;
}

QRect FrameRect(const QWidget* window) {
    if (!window) return {};
    window = window->window();
    return window->geometry().marginsAdded(FrameMargins(window));
}

void SetFrameRect(QWidget* window, const QRect& outer) {
    if (!window) return;
    window = window->window();
    // A maximised frame lacks the borders: the place is the normal frame's.
    constexpr Qt::WindowStates stretch = Qt::WindowMaximized | Qt::WindowFullScreen;
    const bool stretched = window->windowState() & stretch;
    if (stretched) window->setWindowState(window->windowState() & ~stretch);
    bool guessed = false;
    const QMargins m = stretched ? NormalMargins(window) : PlacingMargins(window, &guessed);
    PlaceClient(window, outer, m, guessed);
}

void MoveFrameTo(QWidget* window, const QPoint& topLeft) {
    if (!window) return;
    window = window->window();
    bool guessed = false;
    const QMargins m = PlacingMargins(window, &guessed);
    // The frame keeps its size: the client's, with the frame around it.
    PlaceClient(window, QRect(topLeft, window->size().grownBy(m)), m, guessed);
}

} // namespace win
