// The site list's channel and starter over the shared IPC and process
// components.
#include "sitelist/SiteChannel.h"

#include "session/IPC.h"
#include "session/core/AppExecCore.h"
#include "session/core/IPCRecord.h"
#include "sitelist/SiteMessages.h"

namespace {

class TChannelServer : public TSiteServer {
public:
    TChannelServer() {
        FServer.OnConnect = [this](win::HWND client) {
            if (OnConnect) OnConnect(client);
        };
        FServer.OnClientData = [this](const void* data, win::HWND from) {
            TIPCSiteRecord record;
            if (!DecodeIPCRecord(data, kIPCRecordSize, record)) return;
            if (OnClientData) OnClientData(record.Alias, from);
        };
        FServer.OnDisconnect = [this](win::HWND client) {
            if (OnDisconnect) OnDisconnect(client);
        };
        FServer.OnAfterClose = [this] {
            if (OnAfterClose) OnAfterClose();
        };
    }
    bool Active() const override { return FServer.Active(); }
    void Open() override { FServer.Open(); }
    void Close() override { FServer.Close(); }
    void ClearSessionName() override { FServer.SessionName.clear(); }

    // A record goes only to a window that exists; a terminal that went away
    // during the send counts as not reached.
    bool SendSite(win::HWND client, const std::string& alias, const std::string& address,
                  int port) override {
        if (!FServer.Active() || !client || !win::IsWindow(client)) return false;
        std::string record = EncodeIPCRecord(TIPCSiteRecord{alias, address, port});
        FServer.SendData(record.data(), client, kIPCRecordSize);
        return win::IsWindow(client);
    }

private:
    TIPCServer FServer;
};

class TProcessStarter : public TTerminalStarter {
public:
    void Start(const std::string& program, const std::string& argument) override {
        FExec.Clear();
        FExec.ExeName = program;
        FExec.ExeParams = {argument};
        try {
            FExec.Execute();
        } catch (const EAppExec& e) {
            // The starter's texts are Big5; the window shows UTF-8.
            throw std::runtime_error(FromBig5(e.what()).toStdString());
        }
    }

private:
    TAppExec FExec;
};

} // namespace

std::unique_ptr<TSiteServer> MakeChannelServer() {
    return std::make_unique<TChannelServer>();
}

std::unique_ptr<TTerminalStarter> MakeProcessStarter() {
    return std::make_unique<TProcessStarter>();
}
