// The socket table and the reactor thread behind WSAAsyncSelect.
//
// Every open socket has an entry keyed by its handle (never reused). One
// thread waits in epoll for the sockets that asked for notifications and
// posts the Winsock-style events to their windows. What a socket waits for
// follows its state: a connect under way waits for writability (FD_CONNECT);
// a connected socket waits for input only while FD_READ is armed (re-armed
// by every recv) and for writability only after a send that would block
// (FD_WRITE); a listening socket waits for input while FD_ACCEPT is armed.
// A socket with nothing to wait for leaves the epoll set, so errors and
// hang-ups that arrive meanwhile are seen when it is re-armed, and never
// spin the thread.
#pragma once
#include "platform/core/Winsock.h"

namespace win {

class TSocketReactor {
public:
    virtual ~TSocketReactor() = default;
    // Enters a descriptor into the table; returns its new handle.
    virtual SOCKET Add(int fd) = 0;
    // An accepted connection: inherits the listener's window, message and
    // event mask (as accepted sockets do in this API) and is connected.
    virtual SOCKET AddAccepted(SOCKET listener, int fd) = 0;
    // The descriptor of a handle, -1 when the handle is not open.
    virtual int FdOf(SOCKET s) = 0;
    // Takes the handle out of the table and the epoll set; returns the
    // descriptor for the caller to close, -1 when unknown. No event for the
    // handle is posted after this returns.
    virtual int Remove(SOCKET s) = 0;
    virtual int Count() = 0;
    // 0 or a Winsock error code. Makes the socket non-blocking.
    virtual int AsyncSelect(SOCKET s, HWND wnd, UINT msg, long events) = 0;
    virtual bool SetBlocking(SOCKET s, bool blocking) = 0;
    virtual void SetListening(SOCKET s) = 0;
    // Called after the system call with its errno (0 = success).
    virtual void AfterConnect(SOCKET s, int err) = 0;
    virtual void AfterRecv(SOCKET s, int err) = 0;
    virtual void AfterSend(SOCKET s, int err) = 0;
    virtual void AfterAccept(SOCKET s) = 0;
    // Ends the reactor thread when no socket is open (the next socket that
    // asks for notifications starts it again).
    virtual void StopIfIdle() = 0;
};

// The process's reactor; its thread starts with the first socket that asks
// for notifications and ends when the library is cleaned up with no socket
// left open.
TSocketReactor& SocketReactor();

} // namespace win
