// Non-blocking socket component driven by window messages.
//
// Every network event reaches the component as a message posted to a hidden
// window of its own, on the thread that created it; the component never
// blocks that thread on the wire (only Connect resolves names, and it may run
// on another thread). The socket functions are bound by name from the
// socket library on first use; the library stays loaded while at least one
// component lives.
//
// The class chain is TCustomAsyncSocket > (further layers) > TAsyncSocket;
// layers in between override the protected virtual operations below.
#pragma once
#include "net/core/SockBuf.h"
#include "platform/core/Messages.h"
#include "platform/core/Winsock.h"

#include <atomic>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace net {

using win::WORD;

class ESocketException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TSocketState {
    wsInvalidState,
    wsOpened,
    wsBound,
    wsConnecting,
    wsConnected,
    wsAccepting,
    wsListening,
    wsClosed
};

// Component options (a set): bits of TAsyncSocketOptions. Every read event
// runs the data handler once, so wsoNoReceiveLoop (one round per event) is
// what every socket does; it is kept for owners that set it.
using TAsyncSocketOptions = unsigned;
constexpr TAsyncSocketOptions wsoNoReceiveLoop = 1;

// The send queue's bound. A peer that keeps sending requests the owner
// answers (telnet negotiation) but never reads the answers would otherwise
// grow the queue without end: once this many bytes wait to be sent, the
// socket stops reading, so the peer's further bytes stay in the system's
// buffers and its own sends block. Reading resumes when the queue has
// drained below the low mark. What the owner sends meanwhile (a user's keys)
// is still queued: only reading waits.
constexpr int SendQueueHighMark = 1 << 20;
constexpr int SendQueueLowMark = 256 << 10;

// One read event's budget: the socket reads while bytes wait, up to this
// many bytes or this long, then gives the owner thread back; the rest
// comes with the next event.
constexpr int ReceiveRoundBytes = 1 << 20;
constexpr int ReceiveRoundMs = 16;

enum TSocketSendFlags { wsSendNormal = 0, wsSendUrgent = MSG_OOB };
enum TSocketLingerOnOff { wsLingerOff = 0, wsLingerOn = 1, wsLingerNoSet = 2 };

// Private messages of the component's hidden window.
constexpr win::UINT WM_ASYNCSELECT = win::WM_USER + 1;
constexpr win::UINT WM_ASYNCGETHOSTBYNAME = win::WM_USER + 2;
constexpr win::UINT WM_ASYNCGETHOSTBYADDR = win::WM_USER + 3;
constexpr win::UINT WM_CLOSE_DELAYED = win::WM_USER + 4;
constexpr win::UINT WM_WSOCKET_RELEASE = win::WM_USER + 5;
constexpr win::UINT WM_TRIGGER_EXCEPTION = win::WM_USER + 6;

class TCustomAsyncSocket;

// Events; the sender comes first.
using TDataAvailable = std::function<void(TCustomAsyncSocket* Sender, WORD Error)>;
using TDataSent = std::function<void(TCustomAsyncSocket* Sender, WORD Error)>;
using TSendData = std::function<void(TCustomAsyncSocket* Sender, int BytesSent)>;
using TSessionClosed = std::function<void(TCustomAsyncSocket* Sender, WORD Error)>;
using TSessionAvailable = std::function<void(TCustomAsyncSocket* Sender, WORD Error)>;
using TSessionConnected = std::function<void(TCustomAsyncSocket* Sender, WORD Error)>;
using TChangeState =
    std::function<void(TCustomAsyncSocket* Sender, TSocketState OldState, TSocketState NewState)>;
using TDnsLookupDone = std::function<void(TCustomAsyncSocket* Sender, WORD Error)>;
using TSocketNotifyEvent = std::function<void(TCustomAsyncSocket* Sender)>;
using TBgExceptionEvent =
    std::function<void(TCustomAsyncSocket* Sender, const std::exception& E, bool& CanClose)>;

// A method pointer as a pair of code and data addresses.
struct TMethod {
    const void* Code = nullptr;
    const void* Data = nullptr;
};

// Binds a socket-library function by name; the first call of the process
// loads the library and starts it (version 1.1). An empty name gives null.
// Raises ESocketException when the library or the function is missing.
win::FARPROC LoadWinsockProc(const std::string& name);
// Stops and unloads the library and forgets every bound address.
void UnloadWinsock();
// Number of live socket components.
int LiveSocketCount();

// Text of a socket error code.
std::string WinsockErrorText(int code);
// Optional blanks, exactly three dots, four decimal parts of at most 255.
bool IsDottedIp(const std::string& s);
// Name or dotted address to an IPv4 address in network order.
win::u_long SocketResolveHost(const std::string& name);
// Port number or service name to a port in host order.
win::u_short SocketResolvePort(const std::string& port, const std::string& proto);
int SocketResolveProto(const std::string& proto);

class TCustomAsyncSocket {
public:
    TCustomAsyncSocket();
    virtual ~TCustomAsyncSocket();
    TCustomAsyncSocket(const TCustomAsyncSocket&) = delete;
    TCustomAsyncSocket& operator=(const TCustomAsyncSocket&) = delete;

    // ---- operations
    virtual void Connect();
    virtual void Close();
    virtual void CloseDelayed();
    virtual void Release();
    virtual void Abort();
    virtual void Flush();
    virtual void WaitForClose();
    virtual void Listen();
    virtual win::SOCKET Accept();
    virtual int Receive(void* Buffer, int BufferSize);
    virtual std::string ReceiveStr();
    virtual int ReceiveFrom(void* Buffer, int BufferSize, sockaddr_in& From, int& FromLen);
    virtual int Send(const void* Data, int Len);
    virtual int SendTo(const sockaddr_in& Dest, int DestLen, const void* Data, int Len);
    virtual int SendStr(const std::string& Str);
    virtual void DnsLookup(const std::string& HostName);
    virtual void ReverseDnsLookup(const std::string& HostAddr);
    virtual void CancelDnsLookup();
    virtual std::string GetPeerAddr();
    virtual std::string GetPeerPort();
    virtual int GetPeerName(sockaddr_in& Name, int NameLen);
    virtual std::string GetSockPort();
    virtual std::string GetSockAddr();
    virtual bool IsMethodAssigned(const TMethod& Method);
    virtual void ClearMethod(TMethod& Method);
    virtual bool CompareMethods(const TMethod& A, const TMethod& B, bool Unequal);
    virtual int GetSockName(sockaddr_in& Name, int& NameLen);
    virtual void Dup(win::SOCKET NewHSocket);
    virtual void Shutdown(int How);
    virtual bool Pause();
    virtual bool Resume();
    virtual void PumpMessages();

    // ---- properties
    const std::string& Addr() const { return FAddrStr; }
    void SetAddr(const std::string& Value);
    const std::string& Port() const { return FPortStr; }
    void SetPort(const std::string& Value) { SetPortValue(Value); }
    const std::string& Proto() const { return FProtoStr; }
    void SetProto(const std::string& Value) { SetProtoValue(Value); }
    const std::string& LocalAddr() const { return FLocalAddr; }
    void SetLocalAddr(const std::string& Value);
    const std::string& LocalPort() const { return FLocalPortStr; }
    void SetLocalPort(const std::string& Value);
    TSocketState State() const { return FState; }
    int LastError() const { return FLastError; }
    int ReadCount() const { return FReadCount; }
    int RcvdCount() { return GetRcvdCount(); }
    win::SOCKET HSocket() const { return FHSocket; }
    win::HWND Handle() const { return FWindowHandle; }
    bool AllSent() const { return bAllSent; }
    // Bytes in the send queue not yet taken by the system.
    int QueuedBytes() const { return FQueuedBytes; }
    // True while reading waits for the send queue to drain.
    bool ReadingHeld() const { return FHeldEvents != 0; }
    int BufSize() const { return FBufSize; }
    const std::string& DnsResult() const { return FDnsResult; }
    const std::vector<std::string>& DnsResultList() const { return FDnsResultList; }
    bool MultiThreaded = false;
    TAsyncSocketOptions ComponentOptions = 0;
    int FlushTimeout() const { return FFlushTimeout; }
    void SetFlushTimeout(int v) { FFlushTimeout = v; }
    int SendFlags() const;
    void SetSendFlags(int Value);
    TSocketLingerOnOff LingerOnOff() const { return FLingerOnOff; }
    void SetLingerOnOff(TSocketLingerOnOff v) { FLingerOnOff = v; }
    int LingerTimeout() const { return FLingerTimeout; }
    void SetLingerTimeout(int v) { FLingerTimeout = v; }
    bool Terminated() const { return FTerminated; }

    TDataAvailable OnDataAvailable;
    TDataSent OnDataSent;
    TSendData OnSendData;
    TSessionClosed OnSessionClosed;
    TSessionAvailable OnSessionAvailable;
    TSessionConnected OnSessionConnected;
    TChangeState OnChangeState;
    TDnsLookupDone OnDnsLookupDone;
    TSocketNotifyEvent OnError;
    TBgExceptionEvent OnBgException;

protected:
    // ---- virtual operations of the class chain
    virtual void WndProc(win::TMessage& MsgRec);
    virtual void ResetDefaults();
    virtual void InternalClose(bool bShut, WORD Error);
    virtual void SetPortValue(const std::string& Value);
    void ResolveEndpoint(bool LocalPortToo);
    void AssignRemote(const char* What, const std::string& Value, std::string& Str, bool& Assigned,
                      bool& Resolved);
    virtual void SetProtoValue(const std::string& Value);
    virtual int GetRcvdCount();
    virtual void BindLocal();
    virtual int SendRaw(const void* Data, int Len);
    virtual void RaiseErrorFmt(const char* Fmt, int Arg);
    virtual void RaiseError(const std::string& Msg);
    virtual void HandleBgException(const std::exception& E);
    virtual bool FireDataAvailable(WORD Error);
    virtual void FireSessionAvailable(WORD Error);
    virtual void FireSessionConnected(WORD Error);
    virtual void FireSessionClosed(WORD Error);
    virtual void FireDataSent(WORD Error);
    virtual void FireChangeState(TSocketState OldState, TSocketState NewState);
    virtual void FireDnsLookupDone(WORD Error);
    virtual void FireError();
    virtual int RecvRaw(void* Buffer, int BufferSize, int Flags);
    virtual int RecvFromRaw(void* Buffer, int BufferSize, sockaddr_in& From, int& FromLen);

    // ---- helpers of the layers
    void ChangeState(TSocketState NewState);
    void SocketError(const std::string& FunctionName);
    void HandleAsyncSelect(win::TMessage& Msg);
    // One data-available round (or, without a handler, one discarding read).
    void ReceiveRound(WORD Error);
    void TryToSend();
    // Holds a read or close event while the send queue is over its bound
    // (true: the event waits); posts the held events again once it drained.
    bool HoldWhileQueueFull(WORD Event, WORD Error);
    void ResumeReadingIfDrained();
    void PutDataInSendQueue(const void* Data, int Len);
    void DeleteBufferedData();
    void SetLingerOption();
    void HandleDnsLookupDone(win::TMessage& Msg, bool Reverse);
    bool Destroying() const { return FDestroying; }

    // The lock taken by Connect and by message handling, so a connect started
    // on another thread and the events of the owner thread never interleave.
    std::recursive_mutex FLock;

    win::SOCKET FHSocket = win::INVALID_SOCKET;
    win::HWND FWindowHandle = 0;
    std::deque<std::unique_ptr<TBuffer>> FBufList;
    int FBufSize = 1460;
    int FQueuedBytes = 0;
    // Input events held back while the send queue drains (FD_READ,
    // FD_CLOSE), and the error the held close came with.
    WORD FHeldEvents = 0;
    WORD FHeldCloseError = 0;
    std::string FDnsResult;
    std::vector<std::string> FDnsResultList;
    int FLastError = 0;
    std::string FAddrStr, FPortStr, FProtoStr = "tcp";
    std::string FLocalAddr = "0.0.0.0", FLocalPortStr = "0";
    // Read from any thread (IsConnected on the owner while a worker connects).
    std::atomic<TSocketState> FState{wsClosed};
    int FReadCount = 0;
    int FFlushTimeout = 60;
    int FSendFlags = wsSendNormal;
    TSocketLingerOnOff FLingerOnOff = wsLingerOn;
    int FLingerTimeout = 0;

    sockaddr_in sin{};
    int FAddrFormat = PF_INET;
    int FProto = IPPROTO_TCP;
    int FType = SOCK_STREAM;
    win::u_short FLocalPortNum = 0;
    bool FPortAssigned = false, FAddrAssigned = false, FProtoAssigned = true;
    bool FPortResolved = false, FLocalPortResolved = false, FAddrResolved = false,
         FProtoResolved = false;
    long FSelectEvent = 0;
    bool FPaused = false;
    bool bAllSent = true;
    bool FCloseInvoked = false;
    bool FTerminated = false;
    bool FDestroying = false;
    win::HANDLE FDnsLookupHandle = 0;
    std::vector<char> FDnsLookupBuffer;
};

} // namespace net

// The layers between: SOCKS client, line mode, synchronous waits.
#include "net/core/SyncSocket.h"

namespace net {

// The published end of the class chain.
class TAsyncSocket : public TCustomSyncSocket {
public:
    TAsyncSocket() = default;
};

} // namespace net
