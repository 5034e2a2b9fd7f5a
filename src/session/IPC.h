// The channel between the site list (TIPCServer) and the terminal
// (TIPCClient): two hidden windows that find each other by broadcasting
// registered messages and pass 68-byte site records by WM_COPYDATA.
//
//   "IPCConnectRequest"      client -> everyone   wParam client window, lParam channel id
//   "IPCConnectRespose"      server -> client     wParam server window
//   "IPCServerDisconneting"  server -> everyone   wParam server window, lParam id (0 on
//   destruction) "IPCClientDisconneting"  client -> everyone   wParam client window, lParam id
//
// The channel id is the message registered for SessionName (0 for the empty
// name both programs use). Only records of exactly 68 bytes are handed on.
// Either side notices when the other's process is gone: the client as if
// the server had said "IPCServerDisconneting", the server through
// OnDisconnect.
#pragma once
#include "platform/core/WindowChannel.h"

#include <functional>
#include <set>
#include <string>

class TIPCClient {
public:
    TIPCClient();
    ~TIPCClient();
    TIPCClient(const TIPCClient&) = delete;
    TIPCClient& operator=(const TIPCClient&) = delete;

    // When not connected: a new hidden window asks every window for a
    // server; a running server has answered when Open returns.
    void Open();
    // When connected: says goodbye to everyone and drops the window.
    void Close();
    // WM_COPYDATA to the server (dwData = own window); nothing without one.
    void SendData(const void* data, win::DWORD size);

    bool Connected() const { return Connected_; }
    win::HWND Handle() const { return Wnd_; }
    win::HWND ServerWindow() const { return Server_; }
    win::UINT ChannelId() const { return Id_; }

    std::string SessionName;
    std::function<void(const void* record)> OnData;
    std::function<void(win::HWND server)> OnConnect;
    std::function<void(win::HWND server)> OnDisconnect;

private:
    void WndProc(win::TMessage& m);
    void CheckServer();
    void LoseServer();

    win::HWND Wnd_ = 0;
    win::HWND Server_ = 0;
    bool Connected_ = false;
    win::UINT Id_ = 0;
    win::UINT MsgRequest_, MsgResponse_, MsgServerGone_, MsgClientGone_;
};

class TIPCServer {
public:
    TIPCServer();
    ~TIPCServer();
    TIPCServer(const TIPCServer&) = delete;
    TIPCServer& operator=(const TIPCServer&) = delete;

    // Makes the hidden window and listens; nothing when active already.
    void Open();
    // Says goodbye to everyone and drops the window.
    void Close();
    // WM_COPYDATA to a client window (dwData = 0).
    void SendData(const void* data, win::HWND target, win::DWORD size);

    bool Active() const { return Active_; }
    win::HWND Handle() const { return Wnd_; }
    win::UINT ChannelId() const { return Id_; }

    std::string SessionName;
    // The record (68 bytes) and the client window that sent it.
    std::function<void(const void* record, win::HWND client)> OnClientData;
    std::function<void(win::HWND client)> OnConnect;
    // A client's process went away without closing its channel.
    std::function<void(win::HWND client)> OnDisconnect;
    std::function<void()> OnAfterOpen;
    std::function<void()> OnAfterClose;

private:
    void WndProc(win::TMessage& m);
    void CheckClients();
    void Broadcast(win::LPARAM id);

    win::HWND Wnd_ = 0;
    bool Active_ = false;
    win::UINT Id_ = 0;
    win::UINT MsgRequest_, MsgResponse_, MsgServerGone_, MsgClientGone_;
    // Clients that connected or sent a record and have not said goodbye.
    std::set<win::HWND> Clients_;
};
