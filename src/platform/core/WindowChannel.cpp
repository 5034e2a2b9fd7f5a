#include "platform/core/WindowChannel.h"

#include "platform/core/CrossProcessFrames.h"
#include "platform/core/Folders.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace win {
namespace {

using TClock = std::chrono::steady_clock;

constexpr int kLookupBound = 1000; // FindWindow, IsWindow per peer
constexpr int kWriteBound = 1000;  // a frame that cannot be written by then is lost
constexpr std::size_t kMaxConnections = 200;
constexpr int kStaleFrameSeconds = 10; // an incomplete frame held this long drops its connection

int MsLeft(TClock::time_point deadline) {
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return ms < 0 ? 0 : static_cast<int>(ms);
}

std::string SocketName(std::uint32_t tag) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", tag);
    return std::string(buf) + ".sock";
}

// The tag of a peer's socket name ("%08x.sock"), 0 for other names.
std::uint32_t TagOfSocketName(const std::string& name) {
    if (name.size() != 13 || name.compare(8, 5, ".sock") != 0) return 0;
    std::uint32_t tag = 0;
    for (int i = 0; i < 8; ++i) {
        char c = name[static_cast<std::size_t>(i)];
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) return 0;
        tag = tag << 4 | static_cast<std::uint32_t>(d);
    }
    return tag;
}

bool PeerIsSameUser(int fd) {
    struct ucred cred {};
    socklen_t len = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::geteuid();
}

// Writes everything before the deadline; false when the peer is gone or stuck.
bool WriteAll(int fd, const std::string& bytes, TClock::time_point deadline) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            int left = MsLeft(deadline);
            if (left == 0) return false;
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, left);
            continue;
        }
        return false;
    }
    return true;
}

// One accepted connection; replies may be written from any thread.
struct TConn {
    std::mutex WriteMutex;
    int Fd = -1;
    TFrameReader Reader;
    TClock::time_point LastActivity = TClock::now();

    void Write(const TChannelFrame& f) {
        std::string bytes = EncodeFrame(f);
        std::lock_guard lock(WriteMutex);
        if (Fd >= 0) WriteAll(Fd, bytes, TClock::now() + std::chrono::milliseconds(kWriteBound));
    }
    void Close() {
        std::lock_guard lock(WriteMutex);
        if (Fd >= 0) ::close(Fd);
        Fd = -1;
    }
};

void Reply(const std::shared_ptr<TConn>& conn, std::uint32_t seq, std::int64_t result) {
    TChannelFrame r;
    r.Kind = TFrameKind::Reply;
    r.Seq = seq;
    r.Result = result;
    conn->Write(r);
}

class TChannel {
public:
    static TChannel& Get() {
        // Never destroyed: the listener thread runs until the process ends.
        static TChannel* channel = new TChannel;
        return *channel;
    }

    bool Start();
    std::string Folder();

    // Message names.
    UINT Register(const std::string& name);
    std::string NameOf(UINT msg);

    // Local windows.
    void SetClass(HWND wnd, const std::string& className);
    HWND FindLocal(const std::string& className);
    void SetStateHandler(HWND wnd, TWindowStateHandler h);
    bool CallStateHandler(HWND wnd, TWindowOp op, int arg);

    // Remote side.
    std::vector<std::uint32_t> Peers();
    int Connect(std::uint32_t tag);
    std::vector<std::optional<TChannelFrame>> Exchange(const std::vector<std::uint32_t>& tags,
                                                       TChannelFrame frame, int boundMs,
                                                       bool handleSends);
    bool RemotePost(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT RemoteSend(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool RemoteIsWindow(HWND wnd);
    std::int64_t RemoteOp(HWND wnd, TWindowOp op, int arg);
    HWND FindRemote(const std::string& className);

private:
    TChannel() = default;
    std::string AddressPath(const std::string& name) const;
    bool FillAddress(const std::string& name, sockaddr_un& addr) const;
    void InstallHooks();
    void Listen();
    void Handle(const std::shared_ptr<TConn>& conn, TChannelFrame& f);
    UINT IncomingMsg(const TChannelFrame& f);

    std::mutex StartMutex_;
    bool Started_ = false;
    bool HooksInstalled_ = false;
    std::string Folder_;
    int DirFd_ = -1;
    int ListenFd_ = -1;
    std::atomic<std::uint32_t> NextSeq_{1};

    std::mutex NamesMutex_;
    std::map<std::string, UINT> Ids_;
    std::map<UINT, std::string> Names_;

    std::mutex WindowsMutex_;
    std::map<HWND, std::string> Classes_;
    std::map<HWND, TWindowStateHandler> StateHandlers_;

    std::mutex PostMutex_;
    std::map<std::uint32_t, int> PostFds_;
};

// The socket's name in the channel folder; through the folder's descriptor
// when the full path would not fit a socket address.
std::string TChannel::AddressPath(const std::string& name) const {
    std::string full = Folder_ + name;
    if (full.size() < sizeof(sockaddr_un{}.sun_path)) return full;
    return "/proc/self/fd/" + std::to_string(DirFd_) + "/" + name;
}

bool TChannel::FillAddress(const std::string& name, sockaddr_un& addr) const {
    std::string path = AddressPath(name);
    if (path.size() >= sizeof addr.sun_path) return false;
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string TChannel::Folder() {
    std::lock_guard lock(StartMutex_);
    if (!Folder_.empty()) return Folder_;
    std::string temp = GetTempFolder();
    if (temp.empty()) return {};
    std::string folder = temp + "windows";
    if (!EnsurePrivateFolder(folder)) return {};
    int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return {};
    DirFd_ = fd;
    Folder_ = folder + "/";
    return Folder_;
}

void TChannel::InstallHooks() {
    TRemoteWindowHooks hooks;
    hooks.Post = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return RemotePost(w, m, wp, lp); };
    hooks.Send = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return RemoteSend(w, m, wp, lp); };
    hooks.IsWindow = [this](HWND w) { return RemoteIsWindow(w); };
    SetRemoteWindowHooks(std::move(hooks));
}

std::string gOwnSocketPath; // for the exit handler
int gOwnDirFd = -1;
std::string gOwnSocketName;

void RemoveOwnSocket() {
    if (gOwnDirFd >= 0) ::unlinkat(gOwnDirFd, gOwnSocketName.c_str(), 0);
}

bool TChannel::Start() {
    std::string folder = Folder();
    std::lock_guard lock(StartMutex_);
    if (!HooksInstalled_) {
        InstallHooks();
        HooksInstalled_ = true;
    }
    if (Started_) return true;
    if (folder.empty()) return false;
    const std::uint32_t tag = ProcessHandleTag();
    const std::string name = SocketName(tag);
    const std::string temp = name.substr(0, 8) + ".tmp";
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    ::unlinkat(DirFd_, temp.c_str(), 0);
    // Bound under a temporary name and renamed once listening, so a peer
    // never finds the real name refusing and takes this process for dead.
    if (!FillAddress(temp, addr) ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 128) != 0 || ::renameat(DirFd_, temp.c_str(), DirFd_, name.c_str()) != 0) {
        ::close(fd);
        ::unlinkat(DirFd_, temp.c_str(), 0);
        return false;
    }
    ListenFd_ = fd;
    Started_ = true;
    gOwnDirFd = DirFd_;
    gOwnSocketName = name;
    std::atexit(RemoveOwnSocket);
    std::thread([this] { Listen(); }).detach();
    return true;
}

UINT TChannel::Register(const std::string& name) {
    if (name.empty()) return 0;
    std::string key = name;
    for (auto& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    std::lock_guard lock(NamesMutex_);
    auto it = Ids_.find(key);
    if (it != Ids_.end()) return it->second;
    // FNV-1a of the name picks the number, so every process that registers
    // the name gets the same one (numbers also travel as wParam/lParam).
    std::uint32_t h = 2166136261u;
    for (unsigned char c : key)
        h = (h ^ c) * 16777619u;
    UINT id = 0xC000 + h % 0x4000;
    while (Names_.count(id))
        id = id == 0xFFFF ? 0xC000 : id + 1;
    Ids_[key] = id;
    Names_[id] = name;
    return id;
}

std::string TChannel::NameOf(UINT msg) {
    std::lock_guard lock(NamesMutex_);
    auto it = Names_.find(msg);
    return it == Names_.end() ? std::string() : it->second;
}

void TChannel::SetClass(HWND wnd, const std::string& className) {
    std::lock_guard lock(WindowsMutex_);
    Classes_[wnd] = className;
}

HWND TChannel::FindLocal(const std::string& className) {
    std::lock_guard lock(WindowsMutex_);
    for (auto it = Classes_.begin(); it != Classes_.end();) {
        if (!IsWindow(it->first)) {
            StateHandlers_.erase(it->first);
            it = Classes_.erase(it);
            continue;
        }
        if (it->second == className) return it->first;
        ++it;
    }
    return 0;
}

void TChannel::SetStateHandler(HWND wnd, TWindowStateHandler h) {
    std::lock_guard lock(WindowsMutex_);
    StateHandlers_[wnd] = std::move(h);
}

// On the window's owner thread.
bool TChannel::CallStateHandler(HWND wnd, TWindowOp op, int arg) {
    TWindowStateHandler h;
    {
        std::lock_guard lock(WindowsMutex_);
        auto it = StateHandlers_.find(wnd);
        if (it == StateHandlers_.end()) return false;
        h = it->second;
    }
    switch (op) {
    case TWindowOp::Show:
        return h.Show && h.Show(arg);
    case TWindowOp::SetForeground:
        return h.SetForeground && h.SetForeground();
    case TWindowOp::IsIconic:
        return h.IsIconic && h.IsIconic();
    case TWindowOp::IsWindow:
        return IsWindow(wnd);
    }
    return false;
}

std::vector<std::uint32_t> TChannel::Peers() {
    std::vector<std::uint32_t> tags;
    std::string folder = Folder();
    if (folder.empty()) return tags;
    DIR* d = ::opendir(folder.c_str());
    if (!d) return tags;
    const std::uint32_t own = ProcessHandleTag();
    while (dirent* e = ::readdir(d)) {
        std::uint32_t tag = TagOfSocketName(e->d_name);
        if (tag && tag != own) tags.push_back(tag);
    }
    ::closedir(d);
    std::sort(tags.begin(), tags.end());
    return tags;
}

// A connection to the peer's socket; -1 when it is not there. A socket
// nobody listens on belongs to a process that died: it is removed.
int TChannel::Connect(std::uint32_t tag) {
    if (!tag || Folder().empty()) return -1;
    const std::string name = SocketName(tag);
    sockaddr_un addr{};
    if (!FillAddress(name, addr)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    auto deadline = TClock::now() + std::chrono::milliseconds(kLookupBound);
    for (;;) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) break;
        if (errno == EINTR) continue;
        if (errno == EAGAIN && MsLeft(deadline) > 0) {
            // A full backlog: the peer is busy, not dead.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        if (errno == ECONNREFUSED) ::unlinkat(DirFd_, name.c_str(), 0);
        ::close(fd);
        return -1;
    }
    if (!PeerIsSameUser(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends frame to every peer at once and collects the replies until the
// bound; a waiting thread handles the messages sent to its own windows.
std::vector<std::optional<TChannelFrame>> TChannel::Exchange(const std::vector<std::uint32_t>& tags,
                                                             TChannelFrame frame, int boundMs,
                                                             bool handleSends) {
    struct TPending {
        int Fd = -1;
        std::uint32_t Seq = 0;
        TFrameReader Reader;
    };
    std::vector<std::optional<TChannelFrame>> replies(tags.size());
    std::vector<TPending> pending(tags.size());
    auto deadline = TClock::now() + std::chrono::milliseconds(boundMs);
    for (std::size_t i = 0; i < tags.size(); ++i) {
        int fd = Connect(tags[i]);
        if (fd < 0) continue;
        frame.Seq = NextSeq_.fetch_add(1);
        std::string bytes = EncodeFrame(frame);
        if (bytes.empty() || !WriteAll(fd, bytes, deadline)) {
            ::close(fd);
            continue;
        }
        pending[i].Fd = fd;
        pending[i].Seq = frame.Seq;
    }
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::size_t> which;
        for (std::size_t i = 0; i < pending.size(); ++i)
            if (pending[i].Fd >= 0) {
                fds.push_back(pollfd{pending[i].Fd, POLLIN, 0});
                which.push_back(i);
            }
        if (fds.empty()) break;
        int left = MsLeft(deadline);
        if (left == 0) break;
        if (handleSends) {
            ProcessSentMessages();
            left = std::min(left, 5);
        }
        if (::poll(fds.data(), fds.size(), left) <= 0) continue;
        for (std::size_t k = 0; k < fds.size(); ++k) {
            if (!fds[k].revents) continue;
            TPending& p = pending[which[k]];
            char buf[4096];
            ssize_t n = ::recv(p.Fd, buf, sizeof buf, 0);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            bool done = n <= 0 || !p.Reader.Feed(buf, static_cast<std::size_t>(n));
            TChannelFrame r;
            while (!done && p.Reader.Next(r))
                if (r.Kind == TFrameKind::Reply && r.Seq == p.Seq) {
                    replies[which[k]] = std::move(r);
                    done = true;
                }
            if (done || p.Reader.Failed()) {
                ::close(p.Fd);
                p.Fd = -1;
            }
        }
    }
    for (auto& p : pending)
        if (p.Fd >= 0) ::close(p.Fd);
    if (handleSends) ProcessSentMessages();
    return replies;
}

// A frame for msg, carrying its registered name and, for WM_COPYDATA, the
// bytes lParam points to (pointers mean nothing in another process).
bool BuildMessageFrame(TChannelFrame& f, UINT msg, WPARAM wParam, LPARAM lParam,
                       const std::string& name) {
    f.Msg = msg;
    f.MsgName = name;
    f.WParam = wParam;
    f.LParam = lParam;
    if (msg == WM_COPYDATA) {
        f.LParam = 0;
        if (const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam)) {
            if (cds->cbData > kMaxFrameBody / 2 || (cds->cbData && !cds->lpData)) return false;
            f.HasCopyData = true;
            f.CopyDwData = cds->dwData;
            f.CopyBytes.assign(static_cast<const char*>(cds->lpData), cds->cbData);
        }
    }
    return true;
}

bool TChannel::RemotePost(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // WM_COPYDATA's bytes live only as long as a send.
    if (msg == WM_COPYDATA) return false;
    TChannelFrame f;
    f.Kind = TFrameKind::Post;
    f.Target = wnd;
    BuildMessageFrame(f, msg, wParam, lParam, NameOf(msg));
    std::string bytes = EncodeFrame(f);
    std::vector<std::uint32_t> tags;
    if (wnd == HWND_BROADCAST) {
        for (HWND w : EnumWindows())
            PostMessage(w, msg, wParam, lParam);
        tags = Peers();
    } else if (HandleTag(wnd) != 0) {
        tags.push_back(HandleTag(wnd));
    }
    bool any = wnd == HWND_BROADCAST;
    std::lock_guard lock(PostMutex_);
    for (std::uint32_t tag : tags) {
        // One lasting connection per peer keeps posts in order.
        for (int attempt = 0; attempt < 2; ++attempt) {
            int& fd = PostFds_[tag];
            if (fd <= 0) fd = Connect(tag);
            if (fd < 0) {
                PostFds_.erase(tag);
                break;
            }
            if (WriteAll(fd, bytes, TClock::now() + std::chrono::milliseconds(kWriteBound))) {
                any = true;
                break;
            }
            ::close(fd);
            PostFds_.erase(tag);
        }
    }
    return any;
}

LRESULT TChannel::RemoteSend(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TChannelFrame f;
    f.Kind = TFrameKind::Send;
    f.Target = wnd;
    if (!BuildMessageFrame(f, msg, wParam, lParam, NameOf(msg))) return 0;
    if (wnd == HWND_BROADCAST) {
        for (HWND w : EnumWindows())
            SendMessage(w, msg, wParam, lParam);
        Exchange(Peers(), f, kCrossProcessSendBound, true);
        return 0;
    }
    if (HandleTag(wnd) == 0) return 0;
    auto r = Exchange({HandleTag(wnd)}, f, kCrossProcessSendBound, true);
    return r[0] ? static_cast<LRESULT>(r[0]->Result) : 0;
}

std::int64_t TChannel::RemoteOp(HWND wnd, TWindowOp op, int arg) {
    if (HandleTag(wnd) == 0) return 0;
    TChannelFrame f;
    f.Kind = TFrameKind::WindowOp;
    f.Target = wnd;
    f.Op = static_cast<std::uint8_t>(op);
    f.Arg = arg;
    int bound = op == TWindowOp::IsWindow ? kLookupBound : kCrossProcessSendBound;
    auto r = Exchange({HandleTag(wnd)}, f, bound, op != TWindowOp::IsWindow);
    return r[0] ? r[0]->Result : 0;
}

bool TChannel::RemoteIsWindow(HWND wnd) {
    return RemoteOp(wnd, TWindowOp::IsWindow, 0) != 0;
}

HWND TChannel::FindRemote(const std::string& className) {
    TChannelFrame f;
    f.Kind = TFrameKind::FindClass;
    f.ClassName = className;
    for (std::uint32_t tag : Peers()) {
        auto r = Exchange({tag}, f, kLookupBound, false);
        // Only a window of the process asked counts.
        if (r[0] && r[0]->Result && HandleTag(static_cast<HWND>(r[0]->Result)) == tag)
            return static_cast<HWND>(r[0]->Result);
    }
    return 0;
}

UINT TChannel::IncomingMsg(const TChannelFrame& f) {
    return f.MsgName.empty() ? f.Msg : Register(f.MsgName);
}

// A message sent from another process, with what it needs kept alive until
// the handler ran.
struct TIncomingSend {
    std::shared_ptr<TConn> Conn;
    std::uint32_t Seq = 0;
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    std::string Bytes;
    COPYDATASTRUCT Cds;
    std::atomic<int> Remaining{0};
    std::atomic<LRESULT> Result{0}; // of a single target; a broadcast answers 0
};

void TChannel::Handle(const std::shared_ptr<TConn>& conn, TChannelFrame& f) {
    const std::uint32_t own = ProcessHandleTag();
    const bool broadcast = f.Target == HWND_BROADCAST;
    if (f.Kind == TFrameKind::FindClass) {
        Reply(conn, f.Seq, static_cast<std::int64_t>(FindLocal(f.ClassName)));
        return;
    }
    if (f.Kind == TFrameKind::Reply) return;
    if (!broadcast && HandleTag(f.Target) != own) {
        // Not one of ours: never forwarded to a third process.
        if (f.Kind != TFrameKind::Post) Reply(conn, f.Seq, 0);
        return;
    }
    if (f.Kind == TFrameKind::Post) {
        if (f.HasCopyData) return;
        UINT msg = IncomingMsg(f);
        if (broadcast) {
            for (HWND w : EnumWindows())
                PostMessage(w, msg, f.WParam, static_cast<LPARAM>(f.LParam));
        } else {
            PostMessage(f.Target, msg, f.WParam, static_cast<LPARAM>(f.LParam));
        }
        return;
    }
    if (f.Kind == TFrameKind::WindowOp) {
        auto op = static_cast<TWindowOp>(f.Op);
        if (broadcast || op < TWindowOp::IsWindow || op > TWindowOp::IsIconic) {
            Reply(conn, f.Seq, 0);
        } else if (op == TWindowOp::IsWindow) {
            Reply(conn, f.Seq, IsWindow(f.Target) ? 1 : 0);
        } else {
            HWND target = f.Target;
            int arg = f.Arg;
            std::uint32_t seq = f.Seq;
            if (!RunOnWindowThread(
                    target,
                    [this, conn, target, op, arg, seq] {
                        Reply(conn, seq, CallStateHandler(target, op, arg) ? 1 : 0);
                    },
                    false))
                Reply(conn, seq, 0);
        }
        return;
    }
    // Send.
    auto in = std::make_shared<TIncomingSend>();
    in->Conn = conn;
    in->Seq = f.Seq;
    in->Msg = IncomingMsg(f);
    in->WParam = f.WParam;
    in->LParam = static_cast<LPARAM>(f.LParam);
    if (in->Msg == WM_COPYDATA) {
        in->LParam = 0;
        if (f.HasCopyData) {
            in->Bytes = std::move(f.CopyBytes);
            in->Cds.dwData = static_cast<ULONG_PTR>(f.CopyDwData);
            in->Cds.cbData = static_cast<DWORD>(in->Bytes.size());
            in->Cds.lpData = in->Bytes.data();
            in->LParam = reinterpret_cast<LPARAM>(&in->Cds);
        }
    } else if (f.HasCopyData) {
        Reply(conn, f.Seq, 0);
        return;
    }
    std::vector<HWND> targets = broadcast ? EnumWindows() : std::vector<HWND>{f.Target};
    // The last of the handlers (and of this loop) to finish answers.
    in->Remaining = static_cast<int>(targets.size()) + 1;
    auto finishOne = [in] {
        if (--in->Remaining == 0) Reply(in->Conn, in->Seq, in->Result);
    };
    for (HWND w : targets) {
        bool queued = RunOnWindowThread(
            w,
            [in, w, finishOne, broadcast] {
                LRESULT r = SendMessage(w, in->Msg, in->WParam, in->LParam);
                if (!broadcast) in->Result = r;
                finishOne();
            },
            false);
        if (!queued) finishOne();
    }
    finishOne();
}

void TChannel::Listen() {
    std::vector<std::shared_ptr<TConn>> conns;
    for (;;) {
        std::vector<pollfd> fds{pollfd{ListenFd_, POLLIN, 0}};
        for (auto& c : conns)
            fds.push_back(pollfd{c->Fd, POLLIN, 0});
        int n = ::poll(fds.data(), fds.size(), 1000);
        if (n < 0 && errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        auto now = TClock::now();
        std::vector<std::shared_ptr<TConn>> keep;
        for (std::size_t i = 0; i < conns.size(); ++i) {
            auto& c = conns[i];
            bool drop = false;
            if (n > 0 && fds[i + 1].revents) {
                char buf[65536];
                ssize_t got = ::recv(c->Fd, buf, sizeof buf, 0);
                if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
                    keep.push_back(c);
                    continue;
                }
                c->LastActivity = now;
                drop = got <= 0 || !c->Reader.Feed(buf, static_cast<std::size_t>(got));
                TChannelFrame f;
                while (!drop && c->Reader.Next(f))
                    Handle(c, f);
                drop = drop || c->Reader.Failed();
            } else if (c->Reader.Pending() > 0 &&
                       now - c->LastActivity > std::chrono::seconds(kStaleFrameSeconds)) {
                drop = true;
            }
            if (drop)
                c->Close();
            else
                keep.push_back(c);
        }
        conns.swap(keep);
        if (n > 0 && fds[0].revents) {
            for (;;) {
                int fd = ::accept4(ListenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) break;
                if (!PeerIsSameUser(fd)) {
                    ::close(fd);
                    continue;
                }
                if (conns.size() >= kMaxConnections) {
                    // Full: the connection quiet for longest makes room.
                    auto oldest =
                        std::min_element(conns.begin(), conns.end(), [](auto& a, auto& b) {
                            return a->LastActivity < b->LastActivity;
                        });
                    (*oldest)->Close();
                    conns.erase(oldest);
                }
                auto c = std::make_shared<TConn>();
                c->Fd = fd;
                conns.push_back(std::move(c));
            }
        }
    }
}

} // namespace

bool StartWindowChannel() {
    return TChannel::Get().Start();
}

std::string WindowChannelFolder() {
    return TChannel::Get().Folder();
}

void SetWindowClassName(HWND wnd, const std::string& className) {
    StartWindowChannel();
    TChannel::Get().SetClass(wnd, className);
}

HWND FindWindow(const std::string& className) {
    StartWindowChannel();
    if (HWND local = TChannel::Get().FindLocal(className)) return local;
    return TChannel::Get().FindRemote(className);
}

UINT RegisterWindowMessage(const std::string& name) {
    StartWindowChannel();
    return TChannel::Get().Register(name);
}

std::string RegisteredMessageName(UINT msg) {
    return TChannel::Get().NameOf(msg);
}

void SetWindowStateHandler(HWND wnd, TWindowStateHandler handler) {
    TChannel::Get().SetStateHandler(wnd, std::move(handler));
}

namespace {
bool WindowOp(HWND wnd, TWindowOp op, int arg) {
    if (HandleTag(wnd) != ProcessHandleTag()) return TChannel::Get().RemoteOp(wnd, op, arg) != 0;
    bool result = false;
    bool ran = RunOnWindowThread(
        wnd, [&] { result = TChannel::Get().CallStateHandler(wnd, op, arg); }, true);
    return ran && result;
}
} // namespace

bool ShowWindow(HWND wnd, int showCommand) {
    return WindowOp(wnd, TWindowOp::Show, showCommand);
}
bool SetForegroundWindow(HWND wnd) {
    return WindowOp(wnd, TWindowOp::SetForeground, 0);
}
bool IsIconic(HWND wnd) {
    return WindowOp(wnd, TWindowOp::IsIconic, 0);
}

TWindowClassLock::TWindowClassLock(const std::string& className) {
    std::string folder = WindowChannelFolder();
    if (folder.empty()) return;
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : className)
        h = (h ^ c) * 1099511628211ull;
    char name[40];
    std::snprintf(name, sizeof name, "class-%016llx.lock", static_cast<unsigned long long>(h));
    Fd_ = ::open((folder + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (Fd_ < 0) return;
    while (::flock(Fd_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        ::close(Fd_);
        Fd_ = -1;
        return;
    }
}

TWindowClassLock::~TWindowClassLock() {
    if (Fd_ >= 0) ::close(Fd_);
}

} // namespace win
