// Winsock-1.1-shaped socket functions over POSIX sockets.
//
// The socket component binds these by name through a small run-time library
// ("wsock32.dll", see LoadLibraryA/GetProcAddress below) and reaches every
// function through the address it looked up, so the component can load and
// unload the library as its callers expect.
//
// What differs from the raw POSIX calls, and why:
// - A SOCKET is a handle of this layer, never a descriptor number. Handles
//   are never reused within a run, so an event queued for a socket that has
//   been closed can never reach a socket opened later (Linux hands out a
//   freed descriptor number again at once).
// - Errors are reported per thread through WSAGetLastError as the 10000- and
//   11000-range codes (errno and resolver errors are mapped).
// - WSAAsyncSelect posts FD_READ / FD_WRITE / FD_ACCEPT / FD_CONNECT /
//   FD_CLOSE notifications to a hidden window (platform/core/Messages.h)
//   from a reactor thread of this layer: wParam = socket, low word of lParam
//   = event, high word = error. FD_READ is posted once and re-armed by recv;
//   FD_WRITE after connect and then only after a send that would block or
//   took only part of the bytes;
//   FD_CONNECT once per connect; FD_ACCEPT re-armed by accept; FD_CLOSE once.
// - Socket levels, option names and ioctl codes are the POSIX ones.
#pragma once
#include "platform/core/Messages.h"

#include <cstdint>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace win {

using WORD = std::uint16_t;
using u_short = std::uint16_t;
using u_long = std::uint32_t;
using SOCKET = std::uint64_t;
using HANDLE = std::uintptr_t;
using HMODULE = std::uintptr_t;
using FARPROC = void (*)();

constexpr SOCKET INVALID_SOCKET = ~SOCKET(0);
constexpr int SOCKET_ERROR = -1;

constexpr long FD_READ = 0x01;
constexpr long FD_WRITE = 0x02;
constexpr long FD_OOB = 0x04;
constexpr long FD_ACCEPT = 0x08;
constexpr long FD_CONNECT = 0x10;
constexpr long FD_CLOSE = 0x20;

constexpr int WSABASEERR = 10000;
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTOTYPE = 10041;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEPFNOSUPPORT = 10046;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETOOMANYREFS = 10059;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAELOOP = 10062;
constexpr int WSAENAMETOOLONG = 10063;
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAENOTEMPTY = 10066;
constexpr int WSAEPROCLIM = 10067;
constexpr int WSAEUSERS = 10068;
constexpr int WSAEDQUOT = 10069;
constexpr int WSAESTALE = 10070;
constexpr int WSAEREMOTE = 10071;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

constexpr WORD LOWORD(LPARAM v) {
    return static_cast<WORD>(static_cast<std::uint64_t>(v) & 0xFFFF);
}
constexpr WORD HIWORD(LPARAM v) {
    return static_cast<WORD>((static_cast<std::uint64_t>(v) >> 16) & 0xFFFF);
}
constexpr LPARAM WSAMAKESELECTREPLY(WORD event, WORD error) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(error) << 16) | event);
}
constexpr LPARAM WSAMAKEASYNCREPLY(WORD buflen, WORD error) {
    return WSAMAKESELECTREPLY(buflen, error);
}
constexpr WORD MAKEWORD(std::uint8_t lo, std::uint8_t hi) {
    return static_cast<WORD>(lo | (hi << 8));
}

struct WSADATA {
    WORD wVersion = 0;
    WORD wHighVersion = 0;
    char szDescription[257] = {};
    char szSystemStatus[129] = {};
    unsigned short iMaxSockets = 0;
    unsigned short iMaxUdpDg = 0;
};

// Maps an errno value / a getaddrinfo result to the Winsock code.
int WsaErrorFromErrno(int err);
int WsaErrorFromGai(int gaiErr);

// The run-time library: the only one this layer knows is "wsock32.dll"
// (matched without regard to case). GetLastError reports 126 for an unknown
// library and 127 for an unknown procedure.
HMODULE LoadLibraryA(const char* name);
bool FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, const char* procName);
std::uint32_t GetLastError();

// The functions of the library, reachable by their names through
// GetProcAddress. Callers cast the address to decltype(&wsock32::name).
namespace wsock32 {
int WSAStartup(WORD versionRequested, WSADATA* data);
int WSACleanup();
void WSASetLastError(int err);
int WSAGetLastError();
int WSACancelAsyncRequest(HANDLE request);
// Looks the name up on a thread of its own; when done, posts msg to wnd
// with wParam = the returned handle and lParam = WSAMAKEASYNCREPLY(bytes
// used, error). The result is a hostent laid out in buf (pointers into buf).
HANDLE WSAAsyncGetHostByName(HWND wnd, UINT msg, const char* name, char* buf, int buflen);
HANDLE WSAAsyncGetHostByAddr(HWND wnd, UINT msg, const char* addr, int len, int type, char* buf,
                             int buflen);
int WSAAsyncSelect(SOCKET s, HWND wnd, UINT msg, long events);
servent* getservbyname(const char* name, const char* proto);
protoent* getprotobyname(const char* name);
hostent* gethostbyname(const char* name);
SOCKET socket(int af, int type, int protocol);
int shutdown(SOCKET s, int how);
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen);
int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen);
int send(SOCKET s, const char* buf, int len, int flags);
u_short(ntohs)(u_short v);
u_short(htons)(u_short v);
u_long(ntohl)(u_long v);
u_long(htonl)(u_long v);
int listen(SOCKET s, int backlog);
int ioctlsocket(SOCKET s, long cmd, u_long* arg);
char* inet_ntoa(in_addr in);
u_long inet_addr(const char* cp);
int getsockname(SOCKET s, sockaddr* name, int* namelen);
int getpeername(SOCKET s, sockaddr* name, int* namelen);
int connect(SOCKET s, const sockaddr* name, int namelen);
int closesocket(SOCKET s);
int bind(SOCKET s, const sockaddr* name, int namelen);
SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen);
int recv(SOCKET s, char* buf, int len, int flags);
int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen);
} // namespace wsock32

// Number of sockets currently open (tests check that nothing leaks).
int OpenSocketCount();

} // namespace win
