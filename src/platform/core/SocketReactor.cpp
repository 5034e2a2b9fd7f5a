#include "platform/core/SocketReactor.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace win {
namespace {

enum class TMode { Idle, Connecting, Connected, Listening, Failed };

struct TSock {
    int Fd = -1;
    HWND Wnd = 0;
    UINT Msg = 0;
    long Mask = 0;
    TMode Mode = TMode::Idle;
    bool ReadArmed = true;
    bool WriteArmed = false;
    bool AcceptArmed = true;
    bool CloseSent = false;
    bool ResetSeen = false;
    bool InEpoll = false;
    // The registration is one-shot: the kernel disables it when it reports
    // an event, so a socket whose events are all posted costs no call at
    // all until the owner re-arms it.
    bool Armed = false;
    std::uint32_t Registered = 0; // events of the registration while Armed
};

class TReactor final : public TSocketReactor {
public:
    SOCKET Add(int fd) override {
        std::lock_guard lock(M);
        SOCKET h = NextHandle++;
        TSock s;
        s.Fd = fd;
        Socks[h] = s;
        return h;
    }

    SOCKET AddAccepted(SOCKET listener, int fd) override {
        std::lock_guard lock(M);
        SOCKET h = NextHandle++;
        TSock s;
        s.Fd = fd;
        s.Mode = TMode::Connected;
        auto it = Socks.find(listener);
        if (it != Socks.end() && it->second.Wnd) {
            s.Wnd = it->second.Wnd;
            s.Msg = it->second.Msg;
            s.Mask = it->second.Mask;
            SetNonBlocking(fd, true);
            s.WriteArmed = true;
        }
        auto& ref = Socks[h] = s;
        UpdateLocked(h, ref);
        return h;
    }

    int FdOf(SOCKET s) override {
        std::lock_guard lock(M);
        auto it = Socks.find(s);
        return it == Socks.end() ? -1 : it->second.Fd;
    }

    int Remove(SOCKET s) override {
        std::lock_guard lock(M);
        auto it = Socks.find(s);
        if (it == Socks.end()) return -1;
        int fd = it->second.Fd;
        if (it->second.InEpoll) ::epoll_ctl(Epoll, EPOLL_CTL_DEL, fd, nullptr);
        Socks.erase(it);
        return fd;
    }

    int Count() override {
        std::lock_guard lock(M);
        return static_cast<int>(Socks.size());
    }

    int AsyncSelect(SOCKET h, HWND wnd, UINT msg, long events) override {
        std::lock_guard lock(M);
        auto it = Socks.find(h);
        if (it == Socks.end()) return WSAENOTSOCK;
        if (events != 0 && !IsWindow(wnd)) return WSAEINVAL;
        if (!StartLocked()) return WSAENOBUFS;
        TSock& s = it->second;
        if (!SetNonBlocking(s.Fd, true)) return WsaErrorFromErrno(errno);
        s.Wnd = wnd;
        s.Msg = msg;
        s.Mask = events;
        // A datagram socket has no connection to wait for: it can read and
        // write as soon as it exists.
        if (s.Mode == TMode::Idle && IsDatagram(s.Fd)) s.Mode = TMode::Connected;
        // A new selection re-enables the notifications: a connected socket
        // hears FD_WRITE again when it can write, FD_READ when data waits.
        s.ReadArmed = true;
        s.AcceptArmed = true;
        if (s.Mode == TMode::Connected) s.WriteArmed = true;
        UpdateLocked(h, s);
        return 0;
    }

    bool SetBlocking(SOCKET h, bool blocking) override {
        std::lock_guard lock(M);
        auto it = Socks.find(h);
        if (it == Socks.end()) return false;
        // A socket under WSAAsyncSelect stays non-blocking.
        if (blocking && it->second.Mask != 0) return false;
        return SetNonBlocking(it->second.Fd, !blocking);
    }

    void SetListening(SOCKET h) override {
        std::lock_guard lock(M);
        auto it = Socks.find(h);
        if (it == Socks.end()) return;
        it->second.Mode = TMode::Listening;
        it->second.AcceptArmed = true;
        UpdateLocked(h, it->second);
    }

    void AfterConnect(SOCKET h, int err) override {
        std::lock_guard lock(M);
        auto it = Socks.find(h);
        if (it == Socks.end()) return;
        TSock& s = it->second;
        if (err == EINPROGRESS || err == EAGAIN || err == EALREADY) {
            s.Mode = TMode::Connecting;
        } else if (err == 0) {
            s.Mode = TMode::Connected;
            s.ReadArmed = true;
            if (s.Wnd) {
                // Connected at once: the notifications still follow, as
                // for a connect that completes later.
                Post(h, s, FD_CONNECT, 0);
                Post(h, s, FD_WRITE, 0);
            }
        } else if (err != EISCONN) {
            s.Mode = TMode::Failed;
        }
        UpdateLocked(h, s);
    }

    void AfterRecv(SOCKET h, int err) override {
        std::lock_guard lock(M);
        auto it = Socks.find(h);
        if (it == Socks.end()) return;
        TSock& s = it->second;
        if (err == ECONNRESET) s.ResetSeen = true;
        s.ReadArmed = true;
        UpdateLocked(h, s);
    }

    void AfterSend(SOCKET h, int err) override {
        std::lock_guard lock(M);
        auto it = Socks.find(h);
        if (it == Socks.end()) return;
        TSock& s = it->second;
        if (err == EAGAIN || err == EWOULDBLOCK) s.WriteArmed = true;
        if (err == ECONNRESET) s.ResetSeen = true;
        UpdateLocked(h, s);
    }

    void AfterAccept(SOCKET h) override {
        std::lock_guard lock(M);
        auto it = Socks.find(h);
        if (it == Socks.end()) return;
        it->second.AcceptArmed = true;
        UpdateLocked(h, it->second);
    }

private:
    static bool IsDatagram(int fd) {
        int type = 0;
        socklen_t len = sizeof type;
        return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) == 0 && type == SOCK_DGRAM;
    }

    static bool SetNonBlocking(int fd, bool on) {
        int fl = ::fcntl(fd, F_GETFL);
        if (fl < 0) return false;
        int nfl = on ? (fl | O_NONBLOCK) : (fl & ~O_NONBLOCK);
        return nfl == fl || ::fcntl(fd, F_SETFL, nfl) == 0;
    }

    bool StartLocked() {
        if (Epoll >= 0) return true;
        Epoll = ::epoll_create1(EPOLL_CLOEXEC);
        if (Epoll < 0) return false;
        Wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (Wake < 0) {
            ::close(Epoll);
            Epoll = -1;
            return false;
        }
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = 0; // handle 0 is never given out: the wake-up descriptor
        ::epoll_ctl(Epoll, EPOLL_CTL_ADD, Wake, &ev);
        const int ep = Epoll;
        Thread = std::thread([this, ep] { Run(ep); });
        return true;
    }

public:
    void StopIfIdle() override {
        std::thread t;
        int ep = -1, wake = -1;
        {
            std::lock_guard lock(M);
            if (Epoll < 0 || !Socks.empty()) return;
            std::uint64_t one = 1;
            if (::write(Wake, &one, sizeof one) != sizeof one) return;
            t = std::move(Thread);
            ep = Epoll;
            wake = Wake;
            Epoll = Wake = -1;
        }
        if (t.joinable()) t.join();
        ::close(ep);
        ::close(wake);
    }

private:
    // A notification still waiting in the window's queue is not queued a
    // second time: the owner handles it once and re-arms by reading (or
    // sending), so each socket has at most one FD_READ waiting however
    // often the owner reads meanwhile.
    void Post(SOCKET h, const TSock& s, long event, int error) {
        if (!(s.Mask & event) || !s.Wnd) return;
        PostMessageOnce(s.Wnd, s.Msg, static_cast<WPARAM>(h),
                        WSAMAKESELECTREPLY(static_cast<WORD>(event), static_cast<WORD>(error)));
    }

    // Brings the epoll registration in line with what the socket waits for.
    void UpdateLocked(SOCKET h, TSock& s) {
        if (Epoll < 0) return;
        std::uint32_t want = 0;
        if (s.Wnd && s.Mask) {
            switch (s.Mode) {
            case TMode::Connecting:
                want = EPOLLOUT;
                break;
            case TMode::Connected:
                if (s.CloseSent) break;
                if (s.ReadArmed && (s.Mask & (FD_READ | FD_CLOSE))) want |= EPOLLIN | EPOLLRDHUP;
                if (s.WriteArmed && (s.Mask & FD_WRITE)) want |= EPOLLOUT;
                break;
            case TMode::Listening:
                if (s.AcceptArmed && (s.Mask & FD_ACCEPT)) want = EPOLLIN;
                break;
            default:
                break;
            }
        }
        if (want == 0) {
            // Disabled registrations report nothing, not even hang-ups.
            if (s.InEpoll && s.Armed) {
                ::epoll_ctl(Epoll, EPOLL_CTL_DEL, s.Fd, nullptr);
                s.InEpoll = false;
            }
            s.Armed = false;
            return;
        }
        // Every recv re-arms FD_READ; only a change reaches the kernel.
        if (s.InEpoll && s.Armed && s.Registered == want) return;
        epoll_event ev{};
        ev.events = want | EPOLLONESHOT;
        ev.data.u64 = h;
        if (s.InEpoll) {
            ::epoll_ctl(Epoll, EPOLL_CTL_MOD, s.Fd, &ev);
        } else if (::epoll_ctl(Epoll, EPOLL_CTL_ADD, s.Fd, &ev) == 0) {
            s.InEpoll = true;
        }
        s.Armed = s.InEpoll;
        s.Registered = want;
    }

    static int SocketError(int fd) {
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return errno;
        return err;
    }

    void Handle(SOCKET h, TSock& s, std::uint32_t ev) {
        switch (s.Mode) {
        case TMode::Connecting: {
            int err = SocketError(s.Fd);
            if (err == 0 && (ev & (EPOLLERR | EPOLLHUP)) && !(ev & EPOLLOUT)) err = ECONNREFUSED;
            if (err == EINPROGRESS) return;
            if (err == 0) {
                s.Mode = TMode::Connected;
                s.ReadArmed = true;
                s.WriteArmed = false;
                Post(h, s, FD_CONNECT, 0);
                Post(h, s, FD_WRITE, 0);
            } else {
                s.Mode = TMode::Failed;
                Post(h, s, FD_CONNECT, WsaErrorFromErrno(err));
            }
            return;
        }
        case TMode::Connected: {
            if (s.ReadArmed && (ev & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))) {
                char probe;
                // Plain input is data (at worst already read by the owner,
                // whose recv then reports would-block); only an end or an
                // error needs a look at what is left.
                ssize_t n = (ev & (EPOLLRDHUP | EPOLLHUP | EPOLLERR))
                                ? ::recv(s.Fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT)
                                : 1;
                if (n > 0) {
                    // Data first; the end of the stream is seen once it has
                    // been read.
                    s.ReadArmed = false;
                    Post(h, s, FD_READ, 0);
                } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                    int err = n == 0 ? 0 : errno;
                    if (n == 0 && (ev & EPOLLERR)) err = SocketError(s.Fd);
                    if (s.ResetSeen && err == 0) err = ECONNRESET;
                    s.CloseSent = true;
                    s.ReadArmed = false;
                    Post(h, s, FD_CLOSE, WsaErrorFromErrno(err));
                }
            }
            if (s.WriteArmed && (ev & (EPOLLOUT | EPOLLERR | EPOLLHUP))) {
                s.WriteArmed = false;
                Post(h, s, FD_WRITE, 0);
            }
            return;
        }
        case TMode::Listening:
            if (s.AcceptArmed && (ev & EPOLLIN)) {
                s.AcceptArmed = false;
                Post(h, s, FD_ACCEPT, 0);
            }
            return;
        default:
            return;
        }
    }

    // The thread's loop over its own epoll set; a write to its wake-up
    // descriptor ends it.
    void Run(int ep) {
        epoll_event evs[64];
        for (;;) {
            int n = ::epoll_wait(ep, evs, 64, -1);
            if (n < 0) {
                if (errno == EINTR) continue;
                return;
            }
            for (int i = 0; i < n; ++i) {
                SOCKET h = evs[i].data.u64;
                if (h == 0) return; // told to stop
                std::lock_guard lock(M);
                auto it = Socks.find(h);
                if (it == Socks.end()) continue; // closed meanwhile
                it->second.Armed = false;        // one-shot: disabled by the kernel
                Handle(h, it->second, evs[i].events);
                UpdateLocked(h, it->second);
            }
        }
    }

    std::mutex M;
    std::unordered_map<SOCKET, TSock> Socks;
    SOCKET NextHandle = 0x100;
    int Epoll = -1;
    int Wake = -1;
    std::thread Thread;
};

} // namespace

TSocketReactor& SocketReactor() {
    // Never destroyed: the reactor thread and other threads may still use it
    // while the process exits.
    static auto* r = new TReactor;
    return *r;
}

} // namespace win
