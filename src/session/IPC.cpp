#include "session/IPC.h"

#include "platform/core/WindowChannel.h"
#include "session/core/IPCRecord.h"

#include <stdexcept>

namespace {

// How often each side checks that the other's process is still there.
constexpr win::UINT kLivenessCheckMs = 1000;
constexpr win::UINT_PTR kLivenessTimer = 1;

const win::COPYDATASTRUCT* CopyData(const win::TMessage& m) {
    return reinterpret_cast<const win::COPYDATASTRUCT*>(m.LParam);
}

bool IsRecord(const win::COPYDATASTRUCT* cds) {
    return cds && cds->cbData == kIPCRecordSize && cds->lpData;
}

} // namespace

// ---- client -------------------------------------------------------------------

TIPCClient::TIPCClient()
    : MsgRequest_(win::RegisterWindowMessage("IPCConnectRequest")),
      MsgResponse_(win::RegisterWindowMessage("IPCConnectRespose")),
      MsgServerGone_(win::RegisterWindowMessage("IPCServerDisconneting")),
      MsgClientGone_(win::RegisterWindowMessage("IPCClientDisconneting")) {}

TIPCClient::~TIPCClient() {
    OnData = nullptr;
    OnConnect = nullptr;
    OnDisconnect = nullptr;
    win::DeallocateHWnd(Wnd_);
}

void TIPCClient::Open() {
    if (Connected_) return;
    Id_ = win::RegisterWindowMessage(SessionName);
    win::DeallocateHWnd(Wnd_);
    Wnd_ = win::AllocateHWnd([this](win::TMessage& m) { WndProc(m); });
    if (!Wnd_) return;
    win::SendMessage(win::HWND_BROADCAST, MsgRequest_, Wnd_, static_cast<win::LPARAM>(Id_));
    if (Connected_) win::SetTimer(Wnd_, kLivenessTimer, kLivenessCheckMs);
}

void TIPCClient::Close() {
    if (!Connected_ || !Wnd_) return;
    win::SendMessage(win::HWND_BROADCAST, MsgClientGone_, Wnd_, static_cast<win::LPARAM>(Id_));
    win::DeallocateHWnd(Wnd_);
    Wnd_ = 0;
    Server_ = 0;
    Connected_ = false;
}

void TIPCClient::SendData(const void* data, win::DWORD size) {
    if (!Server_) return;
    if (!win::IsWindow(Server_)) {
        LoseServer();
        return;
    }
    win::COPYDATASTRUCT cds;
    cds.dwData = Wnd_;
    cds.cbData = size;
    cds.lpData = data;
    win::SendMessage(Server_, win::WM_COPYDATA, Id_, reinterpret_cast<win::LPARAM>(&cds));
}

void TIPCClient::LoseServer() {
    win::HWND server = Server_;
    Server_ = 0;
    Connected_ = false;
    if (Wnd_) win::KillTimer(Wnd_, kLivenessTimer);
    if (OnDisconnect) OnDisconnect(server);
}

void TIPCClient::CheckServer() {
    if (Connected_ && Server_ && !win::IsWindow(Server_)) LoseServer();
}

void TIPCClient::WndProc(win::TMessage& m) {
    if (m.Msg == win::WM_COPYDATA) {
        if (m.WParam == Id_ && IsRecord(CopyData(m)) && OnData) OnData(CopyData(m)->lpData);
    } else if (m.Msg == MsgResponse_) {
        if (Connected_) return;
        Server_ = static_cast<win::HWND>(m.WParam);
        if (OnConnect) OnConnect(Server_);
        Connected_ = true;
    } else if (m.Msg == MsgServerGone_) {
        if (Connected_ && static_cast<win::HWND>(m.WParam) == Server_) LoseServer();
    } else if (m.Msg == win::WM_TIMER && m.WParam == kLivenessTimer) {
        CheckServer();
    }
}

// ---- server -------------------------------------------------------------------

TIPCServer::TIPCServer()
    : MsgRequest_(win::RegisterWindowMessage("IPCConnectRequest")),
      MsgResponse_(win::RegisterWindowMessage("IPCConnectRespose")),
      MsgServerGone_(win::RegisterWindowMessage("IPCServerDisconneting")),
      MsgClientGone_(win::RegisterWindowMessage("IPCClientDisconneting")) {}

TIPCServer::~TIPCServer() {
    OnClientData = nullptr;
    OnConnect = nullptr;
    OnDisconnect = nullptr;
    OnAfterOpen = nullptr;
    OnAfterClose = nullptr;
    if (Wnd_) {
        Broadcast(0);
        win::DeallocateHWnd(Wnd_);
    }
}

void TIPCServer::Broadcast(win::LPARAM id) {
    win::SendMessage(win::HWND_BROADCAST, MsgServerGone_, Wnd_, id);
}

void TIPCServer::Open() {
    if (Active_) return;
    Id_ = win::RegisterWindowMessage(SessionName);
    Wnd_ = win::AllocateHWnd([this](win::TMessage& m) { WndProc(m); });
    if (!Wnd_) throw std::runtime_error("Cannot Allocate Window Handle");
    win::SetTimer(Wnd_, kLivenessTimer, kLivenessCheckMs);
    Active_ = true;
    if (OnAfterOpen) OnAfterOpen();
}

void TIPCServer::Close() {
    if (!Active_ || !Wnd_) return;
    Broadcast(static_cast<win::LPARAM>(Id_));
    win::DeallocateHWnd(Wnd_);
    Wnd_ = 0;
    Active_ = false;
    Clients_.clear();
    if (OnAfterClose) OnAfterClose();
}

void TIPCServer::SendData(const void* data, win::HWND target, win::DWORD size) {
    win::COPYDATASTRUCT cds;
    cds.dwData = 0;
    cds.cbData = size;
    cds.lpData = data;
    win::SendMessage(target, win::WM_COPYDATA, Id_, reinterpret_cast<win::LPARAM>(&cds));
}

void TIPCServer::CheckClients() {
    std::set<win::HWND> gone;
    for (win::HWND c : Clients_)
        if (!win::IsWindow(c)) gone.insert(c);
    for (win::HWND c : gone) {
        Clients_.erase(c);
        if (OnDisconnect) OnDisconnect(c);
    }
}

void TIPCServer::WndProc(win::TMessage& m) {
    if (m.Msg == win::WM_COPYDATA) {
        const auto* cds = CopyData(m);
        if (m.WParam != Id_ || !IsRecord(cds)) return;
        auto client = static_cast<win::HWND>(cds->dwData);
        if (client) Clients_.insert(client);
        if (OnClientData) OnClientData(cds->lpData, client);
    } else if (m.Msg == MsgRequest_) {
        auto client = static_cast<win::HWND>(m.WParam);
        if (static_cast<win::UINT>(m.LParam) != Id_ || !Active_ || !client) return;
        win::SendMessage(client, MsgResponse_, Wnd_, 0);
        Clients_.insert(client);
        if (OnConnect) OnConnect(client);
    } else if (m.Msg == MsgClientGone_) {
        // A client that closes properly is no longer watched.
        Clients_.erase(static_cast<win::HWND>(m.WParam));
    } else if (m.Msg == win::WM_TIMER && m.WParam == kLivenessTimer) {
        CheckClients();
    }
}
