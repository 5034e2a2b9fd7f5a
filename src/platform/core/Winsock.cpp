#include "platform/core/Winsock.h"

#include "platform/core/SocketReactor.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <strings.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace win {
namespace {

thread_local int tWsaError = 0;
thread_local std::uint32_t tLastError = 0;

constexpr std::uint32_t ERROR_MOD_NOT_FOUND = 126;
constexpr std::uint32_t ERROR_PROC_NOT_FOUND = 127;
constexpr HMODULE kWsockModule = 0x5750;

std::mutex& LibMutex() {
    static auto* m = new std::mutex;
    return *m;
}
int gLibRefs = 0;
int gStartups = 0;

void SetErrno(int err) {
    tWsaError = WsaErrorFromErrno(err);
}

// The reactor's socket entry for a handle, or null with WSAENOTSOCK set.
int FdOf(SOCKET s) {
    int fd = SocketReactor().FdOf(s);
    if (fd < 0) tWsaError = WSAENOTSOCK;
    return fd;
}

// Lays a hostent out inside buf: the struct, then the pointer arrays, then
// the strings and addresses. Returns the bytes used, 0 when it does not fit.
int PackHostent(char* buf, int buflen, const std::string& name, const std::vector<in_addr>& addrs) {
    if (!buf || buflen <= 0) return 0;
    std::size_t need = sizeof(hostent) + sizeof(char*) * 1 + sizeof(char*) * (addrs.size() + 1) +
                       addrs.size() * sizeof(in_addr) + name.size() + 1 + alignof(hostent);
    if (need > static_cast<std::size_t>(buflen)) return 0;
    std::memset(buf, 0, need);
    auto* h = reinterpret_cast<hostent*>(buf);
    char* p = buf + sizeof(hostent);
    auto** aliases = reinterpret_cast<char**>(p);
    aliases[0] = nullptr;
    p += sizeof(char*);
    auto** list = reinterpret_cast<char**>(p);
    p += sizeof(char*) * (addrs.size() + 1);
    for (std::size_t i = 0; i < addrs.size(); ++i) {
        std::memcpy(p, &addrs[i], sizeof(in_addr));
        list[i] = p;
        p += sizeof(in_addr);
    }
    list[addrs.size()] = nullptr;
    std::memcpy(p, name.c_str(), name.size() + 1);
    h->h_name = p;
    h->h_aliases = aliases;
    h->h_addrtype = AF_INET;
    h->h_length = sizeof(in_addr);
    h->h_addr_list = list;
    return static_cast<int>(p + name.size() + 1 - buf);
}

// IPv4 addresses of a name; the Winsock error code (0 on success).
int LookupIPv4(const std::string& name, std::vector<in_addr>& out, std::string& canon) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* res = nullptr;
    int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &res);
    if (rc != 0) return WsaErrorFromGai(rc);
    canon = (res && res->ai_canonname) ? res->ai_canonname : name;
    for (addrinfo* a = res; a; a = a->ai_next) {
        if (a->ai_family != AF_INET) continue;
        in_addr ad = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr;
        bool dup = false;
        for (auto& e : out)
            if (e.s_addr == ad.s_addr) dup = true;
        if (!dup) out.push_back(ad);
    }
    ::freeaddrinfo(res);
    return out.empty() ? WSANO_DATA : 0;
}

// Pending asynchronous look-ups, by request handle.
struct TLookup {
    HWND Wnd;
    UINT Msg;
    char* Buf;
    int BufLen;
    bool Cancelled = false;
};
std::mutex& LookupMutex() {
    static auto* m = new std::mutex;
    return *m;
}
std::map<HANDLE, TLookup>& Lookups() {
    static auto* m = new std::map<HANDLE, TLookup>;
    return *m;
}
HANDLE gNextLookup = 1;

// Delivers a look-up result unless the request was cancelled meanwhile: the
// caller's buffer is written only under the lock and only while pending.
void FinishLookup(HANDLE h, int err, const std::string& name, const std::vector<in_addr>& addrs) {
    std::lock_guard lock(LookupMutex());
    auto it = Lookups().find(h);
    if (it == Lookups().end()) return;
    TLookup l = it->second;
    Lookups().erase(it);
    if (l.Cancelled) return;
    int used = 0;
    if (err == 0) {
        used = PackHostent(l.Buf, l.BufLen, name, addrs);
        if (used == 0) err = WSAENOBUFS;
    }
    PostMessage(l.Wnd, l.Msg, h,
                WSAMAKEASYNCREPLY(static_cast<WORD>(used), static_cast<WORD>(err)));
}

HANDLE StartLookup(HWND wnd, UINT msg, char* buf, int buflen) {
    std::lock_guard lock(LookupMutex());
    HANDLE h = gNextLookup++;
    Lookups()[h] = TLookup{wnd, msg, buf, buflen};
    return h;
}

} // namespace

int WsaErrorFromErrno(int err) {
    switch (err) {
    case 0:
        return 0;
    case EINTR:
        return WSAEINTR;
    case EBADF:
        return WSAEBADF;
    case EACCES:
    case EPERM:
        return WSAEACCES;
    case EFAULT:
        return WSAEFAULT;
    case EINVAL:
        return WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EWOULDBLOCK:
        return WSAEWOULDBLOCK;
    // A non-blocking connect under way is "would block" in this API.
    case EINPROGRESS:
        return WSAEWOULDBLOCK;
    case EALREADY:
        return WSAEALREADY;
    case ENOTSOCK:
        return WSAENOTSOCK;
    case EDESTADDRREQ:
        return WSAEDESTADDRREQ;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    case EPROTOTYPE:
        return WSAEPROTOTYPE;
    case ENOPROTOOPT:
        return WSAENOPROTOOPT;
    case EPROTONOSUPPORT:
        return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT:
        return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP:
        return WSAEOPNOTSUPP;
    case EPFNOSUPPORT:
        return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT:
        return WSAEAFNOSUPPORT;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return WSAENETDOWN;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case ENETRESET:
        return WSAENETRESET;
    case ECONNABORTED:
        return WSAECONNABORTED;
    // Writing to a connection the peer has dropped.
    case EPIPE:
        return WSAECONNABORTED;
    case ECONNRESET:
        return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case EISCONN:
        return WSAEISCONN;
    case ENOTCONN:
        return WSAENOTCONN;
    case ESHUTDOWN:
        return WSAESHUTDOWN;
    case ETOOMANYREFS:
        return WSAETOOMANYREFS;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case ELOOP:
        return WSAELOOP;
    case ENAMETOOLONG:
        return WSAENAMETOOLONG;
    case EHOSTDOWN:
        return WSAEHOSTDOWN;
    case EHOSTUNREACH:
        return WSAEHOSTUNREACH;
    case ENOTEMPTY:
        return WSAENOTEMPTY;
    case EUSERS:
        return WSAEUSERS;
    case EDQUOT:
        return WSAEDQUOT;
    case ESTALE:
        return WSAESTALE;
    case EREMOTE:
        return WSAEREMOTE;
    default:
        return WSAEINVAL;
    }
}

int WsaErrorFromGai(int gaiErr) {
    switch (gaiErr) {
    case 0:
        return 0;
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_FAIL:
        return WSANO_RECOVERY;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return WSANO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
        return WSANO_DATA;
#endif
    case EAI_MEMORY:
        return WSAENOBUFS;
    case EAI_SYSTEM:
        return WsaErrorFromErrno(errno);
    default:
        return WSANO_RECOVERY;
    }
}

int OpenSocketCount() {
    return SocketReactor().Count();
}

// ---- run-time library --------------------------------------------------------

HMODULE LoadLibraryA(const char* name) {
    if (!name || ::strcasecmp(name, "wsock32.dll") != 0) {
        tLastError = ERROR_MOD_NOT_FOUND;
        return 0;
    }
    std::lock_guard lock(LibMutex());
    ++gLibRefs;
    return kWsockModule;
}

bool FreeLibrary(HMODULE module) {
    if (module != kWsockModule) return false;
    std::lock_guard lock(LibMutex());
    if (gLibRefs > 0) --gLibRefs;
    return true;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
    using namespace wsock32;
    static const auto* table = new std::map<std::string, FARPROC>{
#define BP_WS_EXPORT(n) {#n, reinterpret_cast<FARPROC>(&n)}
        BP_WS_EXPORT(WSAStartup),
        BP_WS_EXPORT(WSACleanup),
        BP_WS_EXPORT(WSASetLastError),
        BP_WS_EXPORT(WSAGetLastError),
        BP_WS_EXPORT(WSACancelAsyncRequest),
        BP_WS_EXPORT(WSAAsyncGetHostByName),
        BP_WS_EXPORT(WSAAsyncGetHostByAddr),
        BP_WS_EXPORT(WSAAsyncSelect),
        BP_WS_EXPORT(getservbyname),
        BP_WS_EXPORT(getprotobyname),
        BP_WS_EXPORT(gethostbyname),
        BP_WS_EXPORT(socket),
        BP_WS_EXPORT(shutdown),
        BP_WS_EXPORT(setsockopt),
        BP_WS_EXPORT(getsockopt),
        BP_WS_EXPORT(sendto),
        BP_WS_EXPORT(send),
        BP_WS_EXPORT(ntohs),
        BP_WS_EXPORT(htons),
        BP_WS_EXPORT(ntohl),
        BP_WS_EXPORT(htonl),
        BP_WS_EXPORT(listen),
        BP_WS_EXPORT(ioctlsocket),
        BP_WS_EXPORT(inet_ntoa),
        BP_WS_EXPORT(inet_addr),
        BP_WS_EXPORT(getsockname),
        BP_WS_EXPORT(getpeername),
        BP_WS_EXPORT(connect),
        BP_WS_EXPORT(closesocket),
        BP_WS_EXPORT(bind),
        BP_WS_EXPORT(accept),
        BP_WS_EXPORT(recv),
        BP_WS_EXPORT(recvfrom),
#undef BP_WS_EXPORT
    };
    if (module != kWsockModule || !procName) {
        tLastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    auto it = table->find(procName);
    if (it == table->end()) {
        tLastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    return it->second;
}

std::uint32_t GetLastError() {
    return tLastError;
}

// ---- the library's functions -------------------------------------------------

namespace wsock32 {

int WSAStartup(WORD versionRequested, WSADATA* data) {
    if ((versionRequested & 0xFF) < 1) return WSAVERNOTSUPPORTED;
    std::lock_guard lock(LibMutex());
    ++gStartups;
    if (data) {
        *data = WSADATA{};
        data->wVersion = MAKEWORD(1, 1);
        data->wHighVersion = MAKEWORD(1, 1);
        std::strcpy(data->szDescription, "POSIX sockets");
        std::strcpy(data->szSystemStatus, "Running");
        data->iMaxSockets = 32767;
        data->iMaxUdpDg = 65467;
    }
    return 0;
}

int WSACleanup() {
    std::lock_guard lock(LibMutex());
    if (gStartups <= 0) {
        tWsaError = WSANOTINITIALISED;
        return SOCKET_ERROR;
    }
    --gStartups;
    if (gStartups == 0) SocketReactor().StopIfIdle();
    return 0;
}

void WSASetLastError(int err) {
    tWsaError = err;
}
int WSAGetLastError() {
    return tWsaError;
}

int WSACancelAsyncRequest(HANDLE request) {
    std::lock_guard lock(LookupMutex());
    auto it = Lookups().find(request);
    if (it == Lookups().end()) {
        // A look-up that has just finished has nothing left to cancel: its
        // answer may still wait in the queue, and its owner, which stopped
        // waiting for it, drops it. Only a handle never issued is an error.
        if (request != 0 && request < gNextLookup) return 0;
        tWsaError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    if (it->second.Cancelled) {
        tWsaError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    it->second.Cancelled = true;
    return 0;
}

HANDLE WSAAsyncGetHostByName(HWND wnd, UINT msg, const char* name, char* buf, int buflen) {
    if (!name || !buf || buflen <= 0) {
        tWsaError = WSAEFAULT;
        return 0;
    }
    HANDLE h = StartLookup(wnd, msg, buf, buflen);
    std::string n = name;
    std::thread([h, n] {
        std::vector<in_addr> addrs;
        std::string canon;
        int err = LookupIPv4(n, addrs, canon);
        FinishLookup(h, err, canon, addrs);
    }).detach();
    return h;
}

HANDLE WSAAsyncGetHostByAddr(HWND wnd, UINT msg, const char* addr, int len, int type, char* buf,
                             int buflen) {
    if (!addr || len != static_cast<int>(sizeof(in_addr)) || type != AF_INET || !buf ||
        buflen <= 0) {
        tWsaError = WSAEFAULT;
        return 0;
    }
    HANDLE h = StartLookup(wnd, msg, buf, buflen);
    in_addr a;
    std::memcpy(&a, addr, sizeof a);
    std::thread([h, a] {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr = a;
        char host[NI_MAXHOST];
        int rc = ::getnameinfo(reinterpret_cast<sockaddr*>(&sa), sizeof sa, host, sizeof host,
                               nullptr, 0, NI_NAMEREQD);
        FinishLookup(h, WsaErrorFromGai(rc), rc == 0 ? host : "", {a});
    }).detach();
    return h;
}

int WSAAsyncSelect(SOCKET s, HWND wnd, UINT msg, long events) {
    int err = SocketReactor().AsyncSelect(s, wnd, msg, events);
    if (err) {
        tWsaError = err;
        return SOCKET_ERROR;
    }
    return 0;
}

servent* getservbyname(const char* name, const char* proto) {
    thread_local servent result;
    thread_local char buf[1024];
    servent* out = nullptr;
    if (!name || ::getservbyname_r(name, proto, &result, buf, sizeof buf, &out) != 0 || !out) {
        tWsaError = WSANO_DATA;
        return nullptr;
    }
    return out;
}

protoent* getprotobyname(const char* name) {
    thread_local protoent result;
    thread_local char buf[1024];
    protoent* out = nullptr;
    if (!name || ::getprotobyname_r(name, &result, buf, sizeof buf, &out) != 0 || !out) {
        tWsaError = WSANO_DATA;
        return nullptr;
    }
    return out;
}

hostent* gethostbyname(const char* name) {
    thread_local std::vector<char> storage(4096);
    if (!name) {
        tWsaError = WSAEFAULT;
        return nullptr;
    }
    std::vector<in_addr> addrs;
    std::string canon;
    int err = LookupIPv4(name, addrs, canon);
    if (err) {
        tWsaError = err;
        return nullptr;
    }
    if (addrs.size() > 64) addrs.resize(64);
    if (PackHostent(storage.data(), static_cast<int>(storage.size()), canon, addrs) == 0) {
        tWsaError = WSAENOBUFS;
        return nullptr;
    }
    return reinterpret_cast<hostent*>(storage.data());
}

SOCKET socket(int af, int type, int protocol) {
    int fd = ::socket(af, type | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        SetErrno(errno);
        return INVALID_SOCKET;
    }
    return SocketReactor().Add(fd);
}

int shutdown(SOCKET s, int how) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (::shutdown(fd, how) != 0) {
        SetErrno(errno);
        return SOCKET_ERROR;
    }
    return 0;
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (::setsockopt(fd, level, optname, optval, static_cast<socklen_t>(optlen)) != 0) {
        SetErrno(errno);
        return SOCKET_ERROR;
    }
    return 0;
}

int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (!optlen) {
        tWsaError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    socklen_t len = static_cast<socklen_t>(*optlen);
    if (::getsockopt(fd, level, optname, optval, &len) != 0) {
        SetErrno(errno);
        return SOCKET_ERROR;
    }
    *optlen = static_cast<int>(len);
    return 0;
}

namespace {
// What send and sendto return, and the FD_WRITE they arm: after a send that
// would block, and after one that took only part of the bytes (the buffer
// is full), the caller waits for FD_WRITE.
int SendResult(SOCKET s, ssize_t n, int len) {
    if (n < 0) {
        int e = errno;
        SocketReactor().AfterSend(s, e);
        SetErrno(e);
        return SOCKET_ERROR;
    }
    if (n < len) SocketReactor().AfterSend(s, EAGAIN);
    return static_cast<int>(n);
}
} // namespace

int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (len < 0) {
        tWsaError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    ssize_t n = ::sendto(fd, buf, static_cast<size_t>(len), flags | MSG_NOSIGNAL, to,
                         static_cast<socklen_t>(tolen));
    return SendResult(s, n, len);
}

int send(SOCKET s, const char* buf, int len, int flags) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (len < 0) {
        tWsaError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    ssize_t n = ::send(fd, buf, static_cast<size_t>(len), flags | MSG_NOSIGNAL);
    return SendResult(s, n, len);
}

u_short(ntohs)(u_short v) {
    return ::ntohs(v);
}
u_short(htons)(u_short v) {
    return ::htons(v);
}
u_long(ntohl)(u_long v) {
    return ::ntohl(v);
}
u_long(htonl)(u_long v) {
    return ::htonl(v);
}

int listen(SOCKET s, int backlog) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (::listen(fd, backlog) != 0) {
        SetErrno(errno);
        return SOCKET_ERROR;
    }
    SocketReactor().SetListening(s);
    return 0;
}

int ioctlsocket(SOCKET s, long cmd, u_long* arg) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (!arg) {
        tWsaError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    if (cmd == static_cast<long>(FIONREAD)) {
        int n = 0;
        if (::ioctl(fd, FIONREAD, &n) != 0) {
            SetErrno(errno);
            return SOCKET_ERROR;
        }
        *arg = static_cast<u_long>(n < 0 ? 0 : n);
        return 0;
    }
    if (cmd == static_cast<long>(FIONBIO)) {
        if (!SocketReactor().SetBlocking(s, *arg == 0)) {
            tWsaError = WSAEINVAL;
            return SOCKET_ERROR;
        }
        return 0;
    }
    tWsaError = WSAEINVAL;
    return SOCKET_ERROR;
}

char* inet_ntoa(in_addr in) {
    thread_local char buf[INET_ADDRSTRLEN];
    ::inet_ntop(AF_INET, &in, buf, sizeof buf);
    return buf;
}

u_long inet_addr(const char* cp) {
    return cp ? ::inet_addr(cp) : INADDR_NONE;
}

namespace {
// getsockname and getpeername differ only in the call they make.
int NameOf(SOCKET s, sockaddr* name, int* namelen, int (*query)(int, sockaddr*, socklen_t*)) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (!name || !namelen) {
        tWsaError = WSAEFAULT;
        return SOCKET_ERROR;
    }
    socklen_t len = static_cast<socklen_t>(*namelen);
    if (query(fd, name, &len) != 0) {
        SetErrno(errno);
        return SOCKET_ERROR;
    }
    *namelen = static_cast<int>(len);
    return 0;
}
} // namespace

int getsockname(SOCKET s, sockaddr* name, int* namelen) {
    return NameOf(s, name, namelen, ::getsockname);
}

int getpeername(SOCKET s, sockaddr* name, int* namelen) {
    return NameOf(s, name, namelen, ::getpeername);
}

int connect(SOCKET s, const sockaddr* name, int namelen) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    int rc = ::connect(fd, name, static_cast<socklen_t>(namelen));
    int e = rc == 0 ? 0 : errno;
    SocketReactor().AfterConnect(s, e);
    if (rc != 0) {
        SetErrno(e);
        return SOCKET_ERROR;
    }
    return 0;
}

int closesocket(SOCKET s) {
    int fd = SocketReactor().Remove(s);
    if (fd < 0) {
        tWsaError = WSAENOTSOCK;
        return SOCKET_ERROR;
    }
    if (::close(fd) != 0 && errno != EINTR && errno != EINPROGRESS) {
        SetErrno(errno);
        return SOCKET_ERROR;
    }
    return 0;
}

int bind(SOCKET s, const sockaddr* name, int namelen) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (::bind(fd, name, static_cast<socklen_t>(namelen)) != 0) {
        SetErrno(errno);
        return SOCKET_ERROR;
    }
    return 0;
}

SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen) {
    int fd = FdOf(s);
    if (fd < 0) return INVALID_SOCKET;
    socklen_t len = addrlen ? static_cast<socklen_t>(*addrlen) : 0;
    int nfd = ::accept4(fd, addr, addrlen ? &len : nullptr, SOCK_CLOEXEC);
    int e = nfd < 0 ? errno : 0;
    SocketReactor().AfterAccept(s);
    if (nfd < 0) {
        SetErrno(e);
        return INVALID_SOCKET;
    }
    if (addrlen) *addrlen = static_cast<int>(len);
    return SocketReactor().AddAccepted(s, nfd);
}

int recv(SOCKET s, char* buf, int len, int flags) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (len < 0) {
        tWsaError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    ssize_t n = ::recv(fd, buf, static_cast<size_t>(len), flags);
    int e = n < 0 ? errno : 0;
    SocketReactor().AfterRecv(s, e);
    if (n < 0) {
        SetErrno(e);
        return SOCKET_ERROR;
    }
    return static_cast<int>(n);
}

int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
    int fd = FdOf(s);
    if (fd < 0) return SOCKET_ERROR;
    if (len < 0) {
        tWsaError = WSAEINVAL;
        return SOCKET_ERROR;
    }
    socklen_t fl = fromlen ? static_cast<socklen_t>(*fromlen) : 0;
    ssize_t n = ::recvfrom(fd, buf, static_cast<size_t>(len), flags, from, fromlen ? &fl : nullptr);
    int e = n < 0 ? errno : 0;
    SocketReactor().AfterRecv(s, e);
    if (n < 0) {
        SetErrno(e);
        return SOCKET_ERROR;
    }
    if (fromlen) *fromlen = static_cast<int>(fl);
    return static_cast<int>(n);
}

} // namespace wsock32
} // namespace win
