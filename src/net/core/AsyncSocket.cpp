#include "net/core/AsyncSocket.h"

#include <algorithm>
#include <chrono>
#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace net {
namespace {

// ---- the socket library, bound by name on first use -------------------------

std::mutex& LibMutex() {
    static auto* m = new std::mutex;
    return *m;
}
win::HMODULE gLibHandle = 0;
std::atomic<int> gLiveSockets{0};

// One cached address per function; UnloadWinsock forgets them all.
struct TProc {
    const char* Name;
    std::atomic<win::FARPROC> Addr{nullptr};
};

// clang-format off
#define BP_PROCS(X)                                                                      \
    X(WSACleanup) X(WSASetLastError) X(WSAGetLastError) X(WSACancelAsyncRequest)         \
    X(WSAAsyncGetHostByName) X(WSAAsyncGetHostByAddr) X(WSAAsyncSelect)                  \
    X(getservbyname) X(getprotobyname) X(gethostbyname) X(socket) X(shutdown)            \
    X(setsockopt) X(sendto) X(send) X(ntohs) X(listen) X(ioctlsocket) X(inet_ntoa)       \
    X(inet_addr) X(htons) X(getsockname) X(getpeername) X(connect) X(closesocket)        \
    X(bind) X(accept) X(recv) X(recvfrom)
// clang-format on

#define BP_DECLARE_PROC(n) TProc gProc_##n{#n};
BP_PROCS(BP_DECLARE_PROC)
#undef BP_DECLARE_PROC

template <class F> F Bound(TProc& p) {
    win::FARPROC a = p.Addr.load();
    if (!a) {
        a = LoadWinsockProc(p.Name);
        p.Addr.store(a);
    }
    return reinterpret_cast<F>(a);
}

#define WS(n) (Bound<decltype(&win::wsock32::n)>(gProc_##n))

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

std::string Format(const char* fmt, const std::string& s, int n) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, s.c_str(), n);
    return buf;
}

bool StartsWithDigit(const std::string& s) {
    return !s.empty() && std::isdigit(static_cast<unsigned char>(s[0]));
}

// Leading blanks, then decimal digits up to the first non-digit. False when
// the value does not fit in Max.
bool ReadNumber(const std::string& s, long Max, long& out) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    long v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > Max) return false;
    }
    out = v;
    return true;
}

// The byte counter of a long session wraps around rather than overflowing.
int AddWrapping(int count, int n) {
    return static_cast<int>(static_cast<unsigned>(count) + static_cast<unsigned>(n));
}

} // namespace

win::FARPROC LoadWinsockProc(const std::string& name) {
    if (name.empty()) return nullptr;
    std::lock_guard lock(LibMutex());
    if (!gLibHandle) {
        win::HMODULE h = win::LoadLibraryA("wsock32.dll");
        if (!h)
            throw ESocketException("Unable to load wsock32.dll Error #" +
                                   std::to_string(win::GetLastError()));
        auto startup = reinterpret_cast<decltype(&win::wsock32::WSAStartup)>(
            win::GetProcAddress(h, "WSAStartup"));
        win::WSADATA data;
        int rc = startup ? startup(0x0101, &data) : -1;
        if (rc != 0) {
            win::FreeLibrary(h);
            throw ESocketException(Format("%s: WSAStartup error #%d", "wsock32.dll", rc));
        }
        gLibHandle = h;
    }
    win::FARPROC p = win::GetProcAddress(gLibHandle, name.c_str());
    if (!p)
        throw ESocketException("Procedure " + name + " not found in wsock32.dll Error #" +
                               std::to_string(win::GetLastError()));
    return p;
}

void UnloadWinsock() {
    std::lock_guard lock(LibMutex());
    if (gLibHandle) {
        auto cleanup = reinterpret_cast<decltype(&win::wsock32::WSACleanup)>(
            win::GetProcAddress(gLibHandle, "WSACleanup"));
        if (cleanup) cleanup();
        win::FreeLibrary(gLibHandle);
        gLibHandle = 0;
    }
#define BP_RESET_PROC(n) gProc_##n.Addr.store(nullptr);
    BP_PROCS(BP_RESET_PROC)
#undef BP_RESET_PROC
}

int LiveSocketCount() {
    return gLiveSockets.load();
}

std::string WinsockErrorText(int code) {
    switch (code) {
    case 0:
        return "No Error";
    case 10004:
        return "Interrupted system call";
    case 10009:
        return "Bad file number";
    case 10013:
        return "Permission denied";
    case 10014:
        return "Bad address";
    case 10022:
        return "Invalid argument";
    case 10024:
        return "Too many open files";
    case 10035:
        return "Operation would block";
    case 10036:
        return "Operation now in progress";
    case 10037:
        return "Operation already in progress";
    case 10038:
        return "Socket operation on non-socket";
    case 10039:
        return "Destination address required";
    case 10040:
        return "Message too long";
    case 10041:
        return "Protocol wrong type for socket";
    case 10042:
        return "Protocol not available";
    case 10043:
        return "Protocol not supported";
    case 10044:
        return "Socket type not supported";
    case 10045:
        return "Operation not supported on socket";
    case 10046:
        return "Protocol family not supported";
    case 10047:
        return "Address family not supported by protocol family";
    case 10048:
        return "Address already in use";
    case 10049:
        return "Address not available";
    case 10050:
        return "Network is down";
    case 10051:
        return "Network is unreachable";
    case 10052:
        return "Network dropped connection on reset";
    case 10053:
        return "Connection aborted";
    case 10054:
        return "Connection reset by peer";
    case 10055:
        return "No buffer space available";
    case 10056:
        return "Socket is already connected";
    case 10057:
        return "Socket is not connected";
    case 10058:
        return "Can't send after socket shutdown";
    case 10059:
        return "Too many references: can't splice";
    case 10060:
        return "Connection timed out";
    case 10061:
        return "Connection refused";
    case 10062:
        return "Too many levels of symbolic links";
    case 10063:
        return "File name too long";
    case 10064:
        return "Host is down";
    case 10065:
        return "No route to host";
    case 10066:
        return "Directory not empty";
    case 10067:
        return "Too many processes";
    case 10068:
        return "Too many users";
    case 10069:
        return "Disc quota exceeded";
    case 10070:
        return "Stale NFS file handle";
    case 10071:
        return "Too many levels of remote in path";
    case 10091:
        return "Network sub-system is unusable";
    case 10092:
        return "WinSock DLL cannot support this application";
    case 10093:
        return "WinSock not initialized";
    case 11001:
        return "Host not found";
    case 11002:
        return "Non-authoritative host not found";
    case 11003:
        return "Non-recoverable error";
    case 11004:
        return "No Data";
    default:
        return "Not a WinSock error";
    }
}

bool IsDottedIp(const std::string& s) {
    std::string t = Trim(s);
    if (t.empty()) return false;
    int dots = 0;
    long part = 0;
    bool digit = false;
    for (char c : t) {
        if (c == '.') {
            if (!digit) return false;
            ++dots;
            part = 0;
            digit = false;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            part = part * 10 + (c - '0');
            if (part > 255) return false;
            digit = true;
        } else {
            return false;
        }
    }
    return dots == 3 && digit;
}

win::u_long SocketResolveHost(const std::string& name) {
    if (name.empty() || name.size() >= 257)
        throw ESocketException("SocketResolveHost: '" + name + "' Invalid Hostname.");
    // The look-up would stop at a NUL byte and find another host.
    if (const auto nul = name.find('\0'); nul != std::string::npos)
        throw ESocketException("SocketResolveHost: '" + name.substr(0, nul) +
                               "' Invalid Hostname.");
    std::string t = Trim(name);
    if (IsDottedIp(name)) {
        win::u_long a = WS(inet_addr)(t.c_str());
        if (a == INADDR_NONE && t != "255.255.255.255")
            throw ESocketException("SocketResolveHost: '" + name + "' Invalid IP address.");
        return a;
    }
    hostent* h = WS(gethostbyname)(t.c_str());
    if (!h || !h->h_addr_list || !h->h_addr_list[0])
        throw ESocketException(
            Format("SocketResolveHost: Cannot convert host address '%s', Error #%d", name,
                   WS(WSAGetLastError)()));
    win::u_long a;
    std::memcpy(&a, h->h_addr_list[0], sizeof a);
    return a;
}

win::u_short SocketResolvePort(const std::string& port, const std::string& proto) {
    if (port.empty() || port.size() >= 32)
        throw ESocketException("SocketResolvePort: Invalid Port.");
    if (proto.empty() || proto.size() >= 32)
        throw ESocketException("SocketResolvePort: Invalid Proto.");
    if (StartsWithDigit(port)) {
        long v = 0;
        // A number beyond the 16-bit range would wrap to another port.
        if (!ReadNumber(port, 65535, v)) throw ESocketException("SocketResolvePort: Invalid Port.");
        return static_cast<win::u_short>(v);
    }
    servent* s = WS(getservbyname)(Trim(port).c_str(), Trim(proto).c_str());
    if (!s)
        throw ESocketException(Format("SocketResolvePort: Cannot convert port '%s', Error #%d",
                                      port, WS(WSAGetLastError)()));
    return WS(ntohs)(static_cast<win::u_short>(s->s_port));
}

int SocketResolveProto(const std::string& proto) {
    if (proto.empty() || proto.size() >= 32)
        throw ESocketException("SocketResolveProto: Invalid Protocol.");
    if (StartsWithDigit(proto)) {
        long v = 0;
        if (!ReadNumber(proto, 255, v))
            throw ESocketException("SocketResolveProto: Invalid Protocol.");
        return static_cast<int>(v);
    }
    protoent* p = WS(getprotobyname)(Trim(proto).c_str());
    if (!p)
        throw ESocketException(Format("SocketResolveProto: Cannot convert protocol '%s', Error #%d",
                                      proto, WS(WSAGetLastError)()));
    return p->p_proto;
}

// ---- TCustomAsyncSocket ---------------------------------------------------------

TCustomAsyncSocket::TCustomAsyncSocket() {
    FWindowHandle = win::AllocateHWnd([this](win::TMessage& m) { WndProc(m); });
    FDnsLookupBuffer.resize(2048);
    ResetDefaults();
    ++gLiveSockets;
}

TCustomAsyncSocket::~TCustomAsyncSocket() {
    FDestroying = true;
    try {
        CancelDnsLookup();
        if (FState != wsClosed) Close();
    } catch (...) {
        // Nothing may leave a destructor; the handle is released below.
    }
    if (FHSocket != win::INVALID_SOCKET) {
        try {
            WS(closesocket)(FHSocket);
        } catch (...) {
        }
        FHSocket = win::INVALID_SOCKET;
    }
    if (--gLiveSockets <= 0) UnloadWinsock();
    FBufList.clear();
    win::DeallocateHWnd(FWindowHandle);
    FWindowHandle = 0;
}

void TCustomAsyncSocket::WndProc(win::TMessage& MsgRec) {
    if (MsgRec.Msg == WM_WSOCKET_RELEASE) {
        // Only for components created with new and owned by no one.
        delete this;
        return;
    }
    std::lock_guard lock(FLock);
    try {
        switch (MsgRec.Msg) {
        case WM_ASYNCSELECT:
            HandleAsyncSelect(MsgRec);
            break;
        case WM_ASYNCGETHOSTBYNAME:
            HandleDnsLookupDone(MsgRec, false);
            break;
        case WM_ASYNCGETHOSTBYADDR:
            HandleDnsLookupDone(MsgRec, true);
            break;
        case WM_CLOSE_DELAYED:
            Close();
            break;
        case WM_TRIGGER_EXCEPTION:
            throw ESocketException("Test exception in AsyncSocket");
        default:
            break;
        }
    } catch (const std::exception& e) {
        HandleBgException(e);
    } catch (...) {
        HandleBgException(ESocketException("Unknown exception"));
    }
}

void TCustomAsyncSocket::HandleBgException(const std::exception& E) {
    bool CanClose = true;
    try {
        if (OnBgException) OnBgException(this, E, CanClose);
    } catch (...) {
    }
    if (CanClose) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

void TCustomAsyncSocket::ResetDefaults() {
    sin = sockaddr_in{};
    sin.sin_family = AF_INET;
    FAddrFormat = PF_INET;
    FPortAssigned = false;
    FAddrAssigned = false;
    FAddrResolved = false;
    FPortResolved = false;
    FProtoResolved = false;
    FLocalPortResolved = false;
    FProtoAssigned = true;
    FProto = IPPROTO_TCP;
    FProtoStr = std::string("tcp");
    FType = SOCK_STREAM;
    FLocalPortStr = std::string("0");
    FLocalAddr = std::string("0.0.0.0");
    FLingerOnOff = wsLingerOn;
    FLingerTimeout = 0;
    FHSocket = win::INVALID_SOCKET;
    FSelectEvent = 0;
    FState = wsClosed;
    bAllSent = true;
    FHeldEvents = 0;
    FHeldCloseError = 0;
    FPaused = false;
    FReadCount = 0;
    FCloseInvoked = false;
    FFlushTimeout = 60;
}

void TCustomAsyncSocket::ChangeState(TSocketState NewState) {
    TSocketState old = FState;
    FState = NewState;
    FireChangeState(old, NewState);
}

// ---- setters ------------------------------------------------------------------

// Address, port and protocol follow one rule: only while closed; the same
// value again changes nothing; a new one must be resolved at the next connect.
void TCustomAsyncSocket::AssignRemote(const char* What, const std::string& Value, std::string& Str,
                                      bool& Assigned, bool& Resolved) {
    if (FState != wsClosed) {
        RaiseError(std::string("Cannot change ") + What + " if not closed");
        return;
    }
    std::string v = Trim(Value);
    if (Assigned && v == Str) return;
    Str = v;
    Assigned = !v.empty();
    Resolved = false;
}

void TCustomAsyncSocket::SetAddr(const std::string& Value) {
    AssignRemote("Addr", Value, FAddrStr, FAddrAssigned, FAddrResolved);
}

void TCustomAsyncSocket::SetPortValue(const std::string& Value) {
    AssignRemote("Port", Value, FPortStr, FPortAssigned, FPortResolved);
}

void TCustomAsyncSocket::SetProtoValue(const std::string& Value) {
    AssignRemote("Proto", Value, FProtoStr, FProtoAssigned, FProtoResolved);
}

void TCustomAsyncSocket::SetLocalAddr(const std::string& Value) {
    if (FState != wsClosed) {
        RaiseError("Cannot change LocalAddr if not closed");
        return;
    }
    std::string v = Trim(Value);
    if (v.empty()) v = "0.0.0.0";
    if (!IsDottedIp(v)) {
        RaiseError("SetLocalAddr(): Invalid IP address");
        return;
    }
    FLocalAddr = v;
}

void TCustomAsyncSocket::SetLocalPort(const std::string& Value) {
    if (FState != wsClosed) {
        RaiseError("Cannot change LocalPort if not closed");
        return;
    }
    std::string v = Trim(Value);
    if (v == FLocalPortStr) return;
    FLocalPortStr = v;
    FLocalPortResolved = false;
}

int TCustomAsyncSocket::SendFlags() const {
    if (FSendFlags != wsSendNormal && FSendFlags != wsSendUrgent) {
        const_cast<TCustomAsyncSocket*>(this)->RaiseError("Invalid internal SendFlags");
        return wsSendNormal;
    }
    return FSendFlags;
}

void TCustomAsyncSocket::SetSendFlags(int Value) {
    if (Value != wsSendNormal && Value != wsSendUrgent) {
        RaiseError("Invalid SendFlags");
        return;
    }
    FSendFlags = Value;
}

// ---- errors ----------------------------------------------------------------------

void TCustomAsyncSocket::RaiseError(const std::string& Msg) {
    if (OnError) {
        FireError();
        return;
    }
    throw ESocketException(Msg);
}

void TCustomAsyncSocket::RaiseErrorFmt(const char* Fmt, int Arg) {
    char buf[512];
    std::snprintf(buf, sizeof buf, Fmt, Arg);
    RaiseError(buf);
}

void TCustomAsyncSocket::SocketError(const std::string& FunctionName) {
    int Code = WS(WSAGetLastError)();
    std::string Line = "Error " + std::to_string(Code) + " in function " + FunctionName + "\r\n" +
                       WinsockErrorText(Code);
    if (Code == win::WSAECONNRESET || Code == win::WSAENOTCONN) {
        if (FHSocket != win::INVALID_SOCKET) WS(closesocket)(FHSocket);
        FHSocket = win::INVALID_SOCKET;
        if (FState != wsClosed) ChangeState(wsClosed);
    }
    FLastError = Code;
    RaiseError(Line);
}

// ---- events ----------------------------------------------------------------------

bool TCustomAsyncSocket::FireDataAvailable(WORD Error) {
    if (!OnDataAvailable) return false;
    OnDataAvailable(this, Error);
    return true;
}
void TCustomAsyncSocket::FireSessionAvailable(WORD Error) {
    if (OnSessionAvailable) OnSessionAvailable(this, Error);
}
void TCustomAsyncSocket::FireSessionConnected(WORD Error) {
    if (OnSessionConnected) OnSessionConnected(this, Error);
}
void TCustomAsyncSocket::FireSessionClosed(WORD Error) {
    if (OnSessionClosed) OnSessionClosed(this, Error);
}
void TCustomAsyncSocket::FireDataSent(WORD Error) {
    if (OnDataSent) OnDataSent(this, Error);
}
void TCustomAsyncSocket::FireChangeState(TSocketState OldState, TSocketState NewState) {
    if (OnChangeState) OnChangeState(this, OldState, NewState);
}
void TCustomAsyncSocket::FireDnsLookupDone(WORD Error) {
    if (OnDnsLookupDone) OnDnsLookupDone(this, Error);
}
void TCustomAsyncSocket::FireError() {
    if (OnError) OnError(this);
}

bool TCustomAsyncSocket::IsMethodAssigned(const TMethod& Method) {
    return Method.Code != nullptr || Method.Data != nullptr;
}
void TCustomAsyncSocket::ClearMethod(TMethod& Method) {
    Method = TMethod{};
}
bool TCustomAsyncSocket::CompareMethods(const TMethod& A, const TMethod& B, bool Unequal) {
    bool eq = A.Code == B.Code && A.Data == B.Data;
    return Unequal ? !eq : eq;
}

// ---- connect and close -------------------------------------------------------------

void TCustomAsyncSocket::SetLingerOption() {
    if (FLingerOnOff == wsLingerNoSet) return;
    if (FHSocket == win::INVALID_SOCKET) {
        RaiseError("Cannot set linger option at this time");
        return;
    }
    linger l{};
    l.l_onoff = FLingerOnOff;
    l.l_linger = FLingerTimeout;
    if (WS(setsockopt)(FHSocket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l),
                       sizeof l) != 0)
        SocketError("setsockopt(SO_LINGER)");
}

// Resolves what is not resolved yet, in this order: protocol (and with it
// the socket type), remote port, local port (when asked), remote address.
// The address may block on a name look-up. Errors leave as ESocketException.
void TCustomAsyncSocket::ResolveEndpoint(bool LocalPortToo) {
    if (!FProtoResolved) {
        FProto = SocketResolveProto(FProtoStr);
        FType = FProto == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
        FProtoResolved = true;
    }
    if (!FPortResolved) {
        sin.sin_port = WS(htons)(SocketResolvePort(FPortStr, FProtoStr));
        FPortResolved = true;
    }
    if (LocalPortToo && !FLocalPortResolved) {
        FLocalPortNum = SocketResolvePort(FLocalPortStr, FProtoStr);
        FLocalPortResolved = true;
    }
    if (!FAddrResolved) {
        sin.sin_addr.s_addr = SocketResolveHost(FAddrStr);
        FAddrResolved = true;
    }
}

void TCustomAsyncSocket::Connect() {
    if (FHSocket != win::INVALID_SOCKET && FState != wsClosed) {
        RaiseError("Connect: Socket already in use");
        return;
    }
    if (!FPortAssigned) {
        RaiseError("Connect: No Port Specified");
        return;
    }
    if (!FAddrAssigned) {
        RaiseError("Connect: No IP Address Specified");
        return;
    }
    if (!FProtoAssigned) {
        RaiseError("Connect: No Protocol Specified");
        return;
    }
    // Resolution may block on a name look-up: done before taking the lock,
    // so the owner thread keeps handling its messages meanwhile.
    try {
        ResolveEndpoint(true);
    } catch (const ESocketException& e) {
        RaiseError(std::string("connect: ") + e.what());
        return;
    }

    std::lock_guard lock(FLock);
    DeleteBufferedData();
    FHSocket = WS(socket)(FAddrFormat, FType, FProto);
    if (FHSocket == win::INVALID_SOCKET) {
        SocketError("Connect (socket)");
        return;
    }
    ChangeState(wsOpened);

    if (FType == SOCK_STREAM) {
        int on = 1;
        if (WS(setsockopt)(FHSocket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on),
                           sizeof on) != 0) {
            SocketError("setsockopt(SO_REUSEADDR)");
            return;
        }
        SetLingerOption();
        if (WS(setsockopt)(FHSocket, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on),
                           sizeof on) != 0) {
            SocketError("setsockopt(SO_KEEPALIVE)");
            return;
        }
        if (FLocalPortNum != 0 || FLocalAddr != "0.0.0.0") BindLocal();
    } else {
        BindLocal();
        if (sin.sin_addr.s_addr == INADDR_BROADCAST) {
            int on = 1;
            if (WS(setsockopt)(FHSocket, SOL_SOCKET, SO_BROADCAST,
                               reinterpret_cast<const char*>(&on), sizeof on) != 0) {
                SocketError("setsockopt(SO_BROADCAST)");
                return;
            }
        }
    }

    FSelectEvent = win::FD_READ | win::FD_WRITE | win::FD_ACCEPT | win::FD_CONNECT | win::FD_CLOSE;
    if (WS(WSAAsyncSelect)(FHSocket, FWindowHandle, WM_ASYNCSELECT, FSelectEvent) != 0) {
        SocketError("WSAAsyncSelect");
        return;
    }

    if (FType == SOCK_DGRAM) {
        ChangeState(wsConnected);
        FireSessionConnected(0);
        return;
    }
    // The connecting state is entered before the connect call: its outcome
    // is handled on the owner thread (under the same lock), and must find
    // the state the connect left, not be overwritten by it afterwards.
    ChangeState(wsConnecting);
    int rc = WS(connect)(FHSocket, reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
    if (rc != 0) {
        int code = WS(WSAGetLastError)();
        if (code != win::WSAEWOULDBLOCK) {
            FLastError = code;
            ChangeState(wsOpened);
            SocketError("Connect");
        }
    }
}

void TCustomAsyncSocket::BindLocal() {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = WS(htons)(FLocalPortNum);
    local.sin_addr.s_addr = WS(inet_addr)(FLocalAddr.c_str());
    if (WS(bind)(FHSocket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        RaiseErrorFmt("winsock.bind failed, error #%d", WS(WSAGetLastError)());
        return;
    }
    int len = sizeof local;
    if (WS(getsockname)(FHSocket, reinterpret_cast<sockaddr*>(&local), &len) != 0) {
        RaiseErrorFmt("winsock.getsockname failed, error #%d", WS(WSAGetLastError)());
        return;
    }
    FLocalPortNum = WS(ntohs)(local.sin_port);
    FLocalPortStr = std::to_string(FLocalPortNum);
}

void TCustomAsyncSocket::Close() {
    std::lock_guard lock(FLock);
    InternalClose(true, 0);
}

void TCustomAsyncSocket::CloseDelayed() {
    win::PostMessage(FWindowHandle, WM_CLOSE_DELAYED, 0, 0);
}

void TCustomAsyncSocket::Release() {
    win::PostMessage(FWindowHandle, WM_WSOCKET_RELEASE, 0, 0);
}

void TCustomAsyncSocket::Abort() {
    std::lock_guard lock(FLock);
    CancelDnsLookup();
    DeleteBufferedData();
    if (FState == wsConnected && FProto == IPPROTO_TCP) {
        FLingerOnOff = wsLingerOff;
        SetLingerOption();
    }
    InternalClose(false, 0);
}

void TCustomAsyncSocket::InternalClose(bool bShut, WORD Error) {
    if (FHSocket == win::INVALID_SOCKET) {
        if (FState != wsClosed) {
            ChangeState(wsClosed);
            ResetDefaults();
        }
        return;
    }
    if (FState == wsClosed) return;
    if (bShut) WS(shutdown)(FHSocket, SHUT_WR);
    for (int attempt = 0;; ++attempt) {
        if (WS(closesocket)(FHSocket) == 0) break;
        FLastError = WS(WSAGetLastError)();
        if (FLastError == win::WSAEWOULDBLOCK && attempt < 100) {
            PumpMessages();
            continue;
        }
        if (FLastError == win::WSANOTINITIALISED || FLastError == win::WSAENOTSOCK) break;
        SocketError("Disconnect (closesocket)");
        return;
    }
    FHSocket = win::INVALID_SOCKET;
    ChangeState(wsClosed);
    if (!FDestroying && !FCloseInvoked) {
        FCloseInvoked = true;
        FireSessionClosed(Error);
    }
    ResetDefaults();
}

void TCustomAsyncSocket::Shutdown(int How) {
    if (FHSocket != win::INVALID_SOCKET) WS(shutdown)(FHSocket, How);
}

void TCustomAsyncSocket::PumpMessages() {
    win::ProcessMessages();
    if (MultiThreaded && win::TakeQuit()) FTerminated = true;
}

void TCustomAsyncSocket::Flush() {
    while (FHSocket != win::INVALID_SOCKET && !bAllSent) {
        TryToSend();
        PumpMessages();
        if (!bAllSent) win::WaitMessage(10);
    }
}

void TCustomAsyncSocket::WaitForClose() {
    while (FHSocket != win::INVALID_SOCKET && FState != wsClosed) {
        PumpMessages();
        win::u_long n = 0;
        if (WS(ioctlsocket)(FHSocket, FIONREAD, &n) != 0) break;
        if (n > 0) FireDataAvailable(0);
        char dummy;
        if (FHSocket == win::INVALID_SOCKET) break;
        if (Receive(&dummy, 0) < 0 && FLastError != win::WSAEWOULDBLOCK) break;
        win::WaitMessage(10);
    }
}

// ---- events from the socket layer -------------------------------------------------

void TCustomAsyncSocket::HandleAsyncSelect(win::TMessage& Msg) {
    if (static_cast<win::SOCKET>(Msg.WParam) != FHSocket || FHSocket == win::INVALID_SOCKET) return;
    if (FPaused) return;
    WORD Event = win::LOWORD(Msg.LParam);
    WORD Error = win::HIWORD(Msg.LParam);
    if ((Event & win::FD_CONNECT) && FState != wsConnected) {
        ChangeState(wsConnected);
        FireSessionConnected(Error);
        if (Error != 0 && FState != wsClosed) Close();
    }
    if (Event & win::FD_READ) {
        if (FState != wsConnected) {
            ChangeState(wsConnected);
            FireSessionConnected(Error);
        }
        if (!HoldWhileQueueFull(win::FD_READ, Error)) ReceiveRound(Error);
    }
    if (Event & win::FD_WRITE) {
        TryToSend();
        if (bAllSent) FireDataSent(Error);
    }
    if (Event & win::FD_ACCEPT) FireSessionAvailable(Error);
    if ((Event & win::FD_CLOSE) && FState != wsConnecting &&
        !HoldWhileQueueFull(win::FD_CLOSE, Error)) {
        // What is still pending comes first, one round per turn of the
        // message loop like any read: while a round takes bytes and more
        // wait, the close is handled again later.
        const auto readBefore = FReadCount;
        ReceiveRound(0);
        if (FHSocket != win::INVALID_SOCKET && FState != wsClosed && FLastError == 0 &&
            FReadCount != readBefore) {
            win::u_long n = 0;
            if (WS(ioctlsocket)(FHSocket, FIONREAD, &n) == 0 && n > 0) {
                win::PostMessage(FWindowHandle, Msg.Msg, Msg.WParam,
                                 win::WSAMAKESELECTREPLY(win::FD_CLOSE, Error));
                return;
            }
        }
        if (!FCloseInvoked) {
            FCloseInvoked = true;
            FireSessionClosed(Error);
        }
        if (FState != wsClosed) Close();
    }
}

void TCustomAsyncSocket::ReceiveRound(WORD Error) {
    // One bounded round per event, however much is waiting: reads while
    // bytes wait, up to a byte and a time budget, then back to the owner
    // thread. A read that takes bytes re-arms FD_READ, so the rest comes
    // with the next event, after everything else the thread has to do
    // (paint, keys, timers, the other sessions). A peer that sends without
    // pause can slow its own session, never stall the thread; a fast one
    // is read in large rounds, not one buffer per turn of the loop.
    const auto start = std::chrono::steady_clock::now();
    unsigned taken = 0;
    for (;;) {
        if (FHSocket == win::INVALID_SOCKET) return;
        FLastError = 0;
        const int before = FReadCount;
        if (!FireDataAvailable(Error)) {
            char junk[1024];
            if (Receive(junk, sizeof junk) < 0 && FLastError == win::WSAEWOULDBLOCK)
                FLastError = 0;
            return;
        }
        const unsigned got = static_cast<unsigned>(FReadCount) - static_cast<unsigned>(before);
        // A handler that took nothing leaves the bytes for a later event.
        if (got == 0 || (ComponentOptions & wsoNoReceiveLoop)) return;
        if (FLastError != 0 || FHSocket == win::INVALID_SOCKET || FState != wsConnected) return;
        taken += got;
        if (taken >= unsigned(ReceiveRoundBytes) || FQueuedBytes >= SendQueueHighMark ||
            std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(ReceiveRoundMs))
            return;
        win::u_long n = 0;
        if (WS(ioctlsocket)(FHSocket, FIONREAD, &n) != 0 || n == 0) return;
    }
}

// A read can add answers to the queue (a telnet peer's requests are
// answered as they are read), so no read starts while the queue is over its
// bound: the event is remembered instead and nothing else is armed. Held
// like this the socket costs nothing: the system re-arms reading only when
// it is read, so no further read event comes, and the peer's bytes wait in
// the system's buffers. The queue drains on the write events the blocked
// send armed; ResumeReadingIfDrained then posts the held events again. A
// close waits as well: it comes behind the data still to be read. A peer
// that resets meanwhile is seen by the send, which fails.
bool TCustomAsyncSocket::HoldWhileQueueFull(WORD Event, WORD Error) {
    if (FHeldEvents == 0 && FQueuedBytes < SendQueueHighMark) return false;
    FHeldEvents |= Event;
    if (Event == win::FD_CLOSE) FHeldCloseError = Error;
    return true;
}

void TCustomAsyncSocket::ResumeReadingIfDrained() {
    if (FHeldEvents == 0 || FQueuedBytes >= SendQueueLowMark) return;
    const WORD held = FHeldEvents;
    FHeldEvents = 0;
    if (FHSocket == win::INVALID_SOCKET) return;
    // Posted, not handled here: this runs inside a send, possibly inside the
    // owner's own data handler. The close handling reads what is left first.
    if (held & win::FD_READ)
        win::PostMessageOnce(FWindowHandle, WM_ASYNCSELECT, FHSocket,
                             win::WSAMAKESELECTREPLY(win::FD_READ, 0));
    if (held & win::FD_CLOSE)
        win::PostMessageOnce(FWindowHandle, WM_ASYNCSELECT, FHSocket,
                             win::WSAMAKESELECTREPLY(win::FD_CLOSE, FHeldCloseError));
}

// ---- receiving -----------------------------------------------------------------------

int TCustomAsyncSocket::RecvRaw(void* Buffer, int BufferSize, int Flags) {
    return WS(recv)(FHSocket, static_cast<char*>(Buffer), BufferSize, Flags);
}

int TCustomAsyncSocket::RecvFromRaw(void* Buffer, int BufferSize, sockaddr_in& From, int& FromLen) {
    return WS(recvfrom)(FHSocket, static_cast<char*>(Buffer), BufferSize, 0,
                        reinterpret_cast<sockaddr*>(&From), &FromLen);
}

int TCustomAsyncSocket::Receive(void* Buffer, int BufferSize) {
    int n = RecvRaw(Buffer, BufferSize, 0);
    if (n < 0)
        FLastError = WS(WSAGetLastError)();
    else
        FReadCount = AddWrapping(FReadCount, n);
    return n;
}

std::string TCustomAsyncSocket::ReceiveStr() {
    int want = GetRcvdCount();
    if (want < 0) return {};
    if (want == 0) want = 255;
    std::string s(static_cast<std::size_t>(want), '\0');
    int n = Receive(s.data(), want);
    if (n <= 0) return {};
    s.resize(static_cast<std::size_t>(n));
    return s;
}

int TCustomAsyncSocket::ReceiveFrom(void* Buffer, int BufferSize, sockaddr_in& From, int& FromLen) {
    int n = RecvFromRaw(Buffer, BufferSize, From, FromLen);
    if (n < 0)
        FLastError = WS(WSAGetLastError)();
    else
        FReadCount = AddWrapping(FReadCount, n);
    return n;
}

int TCustomAsyncSocket::GetRcvdCount() {
    if (FHSocket == win::INVALID_SOCKET) return -1;
    win::u_long n = 0;
    if (WS(ioctlsocket)(FHSocket, FIONREAD, &n) != 0) {
        SocketError("ioctlSocket");
        return -1;
    }
    return static_cast<int>(n);
}

// ---- sending ----------------------------------------------------------------------------

void TCustomAsyncSocket::DeleteBufferedData() {
    FBufList.clear();
    FQueuedBytes = 0;
}

void TCustomAsyncSocket::PutDataInSendQueue(const void* Data, int Len) {
    const char* p = static_cast<const char*>(Data);
    if (Len > 0) FQueuedBytes += Len;
    while (Len > 0) {
        if (FBufList.empty() || FBufList.back()->WrCount() >= FBufList.back()->BufSize())
            FBufList.push_back(std::make_unique<TBuffer>(FBufSize));
        int n = FBufList.back()->Write(p, Len);
        if (n <= 0) {
            // A full chunk that is still being sent: open a new one.
            FBufList.push_back(std::make_unique<TBuffer>(FBufSize));
            continue;
        }
        p += n;
        Len -= n;
    }
}

int TCustomAsyncSocket::SendRaw(const void* Data, int Len) {
    if (FType == SOCK_DGRAM)
        return WS(sendto)(FHSocket, static_cast<const char*>(Data), Len, SendFlags(),
                          reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
    return WS(send)(FHSocket, static_cast<const char*>(Data), Len, SendFlags());
}

void TCustomAsyncSocket::TryToSend() {
    if (FHSocket == win::INVALID_SOCKET || FBufList.empty()) return;
    for (;;) {
        if (FBufList.empty()) {
            bAllSent = true;
            return;
        }
        int len = 0;
        const char* p = FBufList.front()->Peek(len);
        if (len <= 0) {
            if (FBufList.size() == 1) {
                bAllSent = true;
                return;
            }
            FBufList.pop_front();
            continue;
        }
        int n = SendRaw(p, len);
        if (n == 0) return;
        if (n < 0) {
            int code = WS(WSAGetLastError)();
            if (code == win::WSAECONNRESET || code == win::WSAENOTSOCK ||
                code == win::WSAENOTCONN || code == win::WSAEINVAL ||
                code == win::WSAECONNABORTED) {
                FCloseInvoked = true;
                Close();
                FireSessionClosed(static_cast<WORD>(code));
                return;
            }
            if (code == win::WSAEWOULDBLOCK) return;
            SocketError("TryToSend failed");
            return;
        }
        FBufList.front()->Remove(n);
        FQueuedBytes -= n;
        ResumeReadingIfDrained();
        if (OnSendData) OnSendData(this, n);
        if (n < len) return;
    }
}

int TCustomAsyncSocket::Send(const void* Data, int Len) {
    std::lock_guard lock(FLock);
    if (FState != wsConnected) {
        if (FState == wsConnecting) {
            // Refused the same way, but the connect under way is left alone:
            // closing its handle here would leave the owner waiting for an
            // outcome that never comes.
            FLastError = win::WSAENOTCONN;
            RaiseError("Error " + std::to_string(win::WSAENOTCONN) + " in function Send\r\n" +
                       WinsockErrorText(win::WSAENOTCONN));
            return -1;
        }
        WS(WSASetLastError)(win::WSAENOTCONN);
        SocketError("Send");
        return -1;
    }
    if (Len <= 0 || !Data) return 0;
    bAllSent = false;
    PutDataInSendQueue(Data, Len);
    TryToSend();
    if (bAllSent && FHSocket != win::INVALID_SOCKET)
        win::PostMessageOnce(FWindowHandle, WM_ASYNCSELECT, FHSocket,
                             win::WSAMAKESELECTREPLY(win::FD_WRITE, 0));
    return Len;
}

int TCustomAsyncSocket::SendStr(const std::string& Str) {
    if (Str.empty()) return 0;
    return Send(Str.data(), static_cast<int>(Str.size()));
}

int TCustomAsyncSocket::SendTo(const sockaddr_in& Dest, int DestLen, const void* Data, int Len) {
    int n = WS(sendto)(FHSocket, static_cast<const char*>(Data), Len, SendFlags(),
                       reinterpret_cast<const sockaddr*>(&Dest), DestLen);
    if (n > 0 && OnSendData) OnSendData(this, n);
    return n;
}

// ---- listening ---------------------------------------------------------------------------

void TCustomAsyncSocket::Listen() {
    if (!FPortAssigned) {
        RaiseError("listen: port not assigned");
        return;
    }
    if (!FProtoAssigned) {
        RaiseError("listen: protocol not assigned");
        return;
    }
    if (!FAddrAssigned) {
        RaiseError("listen: address not assigned");
        return;
    }
    try {
        ResolveEndpoint(false);
    } catch (const ESocketException& e) {
        RaiseError(std::string("listen: ") + e.what());
        return;
    }
    std::lock_guard lock(FLock);
    FHSocket = WS(socket)(FAddrFormat, FType, FProto);
    if (FHSocket == win::INVALID_SOCKET) {
        SocketError("socket");
        return;
    }
    int on = 1;
    WS(setsockopt)
    (FHSocket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    if (WS(bind)(FHSocket, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) != 0) {
        SocketError("Bind");
        return;
    }
    if (FType == SOCK_STREAM) {
        if (WS(listen)(FHSocket, 5) != 0) {
            SocketError("Listen");
            return;
        }
        FSelectEvent = win::FD_ACCEPT | win::FD_CLOSE;
    } else {
        FSelectEvent = win::FD_READ | win::FD_WRITE;
    }
    if (WS(WSAAsyncSelect)(FHSocket, FWindowHandle, WM_ASYNCSELECT, FSelectEvent) != 0) {
        SocketError("WSAAsyncSelect");
        return;
    }
    ChangeState(FType == SOCK_STREAM ? wsListening : wsConnected);
}

win::SOCKET TCustomAsyncSocket::Accept() {
    if (FState != wsListening) {
        RaiseError("not a listening socket");
        return win::INVALID_SOCKET;
    }
    sockaddr_in from{};
    int len = sizeof from;
    win::SOCKET s = WS(accept)(FHSocket, reinterpret_cast<sockaddr*>(&from), &len);
    if (s == win::INVALID_SOCKET) SocketError("Accept");
    return s;
}

void TCustomAsyncSocket::Dup(win::SOCKET NewHSocket) {
    std::lock_guard lock(FLock);
    if (NewHSocket == 0 || NewHSocket == win::INVALID_SOCKET) {
        WS(WSASetLastError)(win::WSAEINVAL);
        SocketError("Dup");
        return;
    }
    if (FHSocket != win::INVALID_SOCKET) {
        if (WS(closesocket)(FHSocket) != 0) {
            SocketError("Dup (closesocket)");
            return;
        }
        FHSocket = win::INVALID_SOCKET;
    }
    FHSocket = NewHSocket;
    SetLingerOption();
    FSelectEvent = win::FD_READ | win::FD_WRITE | win::FD_CLOSE | win::FD_CONNECT;
    if (WS(WSAAsyncSelect)(FHSocket, FWindowHandle, WM_ASYNCSELECT, FSelectEvent) != 0) {
        SocketError("WSAAsyncSelect");
        return;
    }
    ChangeState(wsConnected);
}

bool TCustomAsyncSocket::Pause() {
    FPaused = true;
    if (FHSocket == win::INVALID_SOCKET) return false;
    return WS(WSAAsyncSelect)(FHSocket, FWindowHandle, 0, 0) == 0;
}

bool TCustomAsyncSocket::Resume() {
    FPaused = false;
    if (FHSocket == win::INVALID_SOCKET) return false;
    return WS(WSAAsyncSelect)(FHSocket, FWindowHandle, WM_ASYNCSELECT, FSelectEvent) == 0;
}

// ---- addresses -----------------------------------------------------------------------------

std::string TCustomAsyncSocket::GetPeerAddr() {
    if (FState != wsConnected) return "error";
    sockaddr_in a{};
    int len = sizeof a;
    if (WS(getpeername)(FHSocket, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        SocketError("GetPeerName");
        return "error";
    }
    return WS(inet_ntoa)(a.sin_addr);
}

std::string TCustomAsyncSocket::GetPeerPort() {
    if (FState != wsConnected) return "error";
    sockaddr_in a{};
    int len = sizeof a;
    if (WS(getpeername)(FHSocket, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        SocketError("GetPeerPort");
        return "error";
    }
    return std::to_string(WS(ntohs)(a.sin_port));
}

int TCustomAsyncSocket::GetPeerName(sockaddr_in& Name, int NameLen) {
    if (FState != wsConnected) return -1;
    return WS(getpeername)(FHSocket, reinterpret_cast<sockaddr*>(&Name), &NameLen);
}

int TCustomAsyncSocket::GetSockName(sockaddr_in& Name, int& NameLen) {
    return WS(getsockname)(FHSocket, reinterpret_cast<sockaddr*>(&Name), &NameLen);
}

std::string TCustomAsyncSocket::GetSockAddr() {
    if (FHSocket == win::INVALID_SOCKET) return "error";
    sockaddr_in a{};
    int len = sizeof a;
    if (GetSockName(a, len) != 0) return "error";
    return WS(inet_ntoa)(a.sin_addr);
}

std::string TCustomAsyncSocket::GetSockPort() {
    if (FHSocket == win::INVALID_SOCKET) return "error";
    sockaddr_in a{};
    int len = sizeof a;
    if (GetSockName(a, len) != 0) return "error";
    return std::to_string(WS(ntohs)(a.sin_port));
}

// ---- asynchronous look-ups -------------------------------------------------------------------

void TCustomAsyncSocket::DnsLookup(const std::string& HostName) {
    if (HostName.empty()) {
        RaiseError("DNS lookup: invalid host name.");
        return;
    }
    CancelDnsLookup();
    FDnsResult.clear();
    FDnsResultList.clear();
    if (IsDottedIp(HostName)) {
        FDnsResult = Trim(HostName);
        FDnsResultList.push_back(FDnsResult);
        FireDnsLookupDone(0);
        return;
    }
    FDnsLookupHandle = WS(WSAAsyncGetHostByName)(FWindowHandle, WM_ASYNCGETHOSTBYNAME,
                                                 HostName.c_str(), FDnsLookupBuffer.data(),
                                                 static_cast<int>(FDnsLookupBuffer.size()));
    if (FDnsLookupHandle == 0)
        RaiseError(
            Format("%s: can't start DNS lookup, error #%d", HostName, WS(WSAGetLastError)()));
}

void TCustomAsyncSocket::ReverseDnsLookup(const std::string& HostAddr) {
    if (HostAddr.empty() || !IsDottedIp(HostAddr)) {
        RaiseError("ReverseDnsLookup: Invalid host name.");
        return;
    }
    CancelDnsLookup();
    FDnsResult.clear();
    FDnsResultList.clear();
    in_addr a{};
    a.s_addr = WS(inet_addr)(Trim(HostAddr).c_str());
    FDnsLookupHandle = WS(WSAAsyncGetHostByAddr)(
        FWindowHandle, WM_ASYNCGETHOSTBYADDR, reinterpret_cast<const char*>(&a), sizeof a, AF_INET,
        FDnsLookupBuffer.data(), static_cast<int>(FDnsLookupBuffer.size()));
    if (FDnsLookupHandle == 0)
        RaiseError(
            Format("%s: can't start DNS lookup, error #%d", HostAddr, WS(WSAGetLastError)()));
}

void TCustomAsyncSocket::CancelDnsLookup() {
    if (FDnsLookupHandle == 0) return;
    win::HANDLE h = FDnsLookupHandle;
    FDnsLookupHandle = 0;
    if (WS(WSACancelAsyncRequest)(h) != 0) {
        SocketError("WSACancelAsyncRequest");
        return;
    }
    if (!FDestroying) FireDnsLookupDone(win::WSAEINTR);
}

void TCustomAsyncSocket::HandleDnsLookupDone(win::TMessage& Msg, bool Reverse) {
    if (static_cast<win::HANDLE>(Msg.WParam) != FDnsLookupHandle || FDnsLookupHandle == 0) return;
    FDnsLookupHandle = 0;
    WORD Error = win::HIWORD(Msg.LParam);
    if (Error == 0) {
        auto* h = reinterpret_cast<const hostent*>(FDnsLookupBuffer.data());
        if (Reverse) {
            if (h->h_name) FDnsResultList.push_back(h->h_name);
        } else {
            for (char** p = h->h_addr_list; p && *p; ++p) {
                in_addr a;
                std::memcpy(&a, *p, sizeof a);
                FDnsResultList.push_back(WS(inet_ntoa)(a));
            }
        }
        if (!FDnsResultList.empty()) FDnsResult = FDnsResultList.front();
    }
    FireDnsLookupDone(Error);
}

} // namespace net
