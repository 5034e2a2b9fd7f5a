// What the site-list window needs from the channel to the terminal and from
// the process starter, so the window and its tests do not depend on how
// either is carried.
#pragma once
#include "platform/core/Messages.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

// The server side of the channel.
class TSiteServer {
public:
    virtual ~TSiteServer() = default;
    virtual bool Active() const = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual void ClearSessionName() = 0;
    // One site record to the client window; false when it was not delivered.
    virtual bool SendSite(win::HWND client, const std::string& alias, const std::string& address,
                          int port) = 0;

    std::function<void(win::HWND client)> OnConnect;
    // A record came: its alias field (the command) and the sender's window.
    std::function<void(const std::string& alias, win::HWND from)> OnClientData;
    // A client went away without saying so.
    std::function<void(win::HWND client)> OnDisconnect;
    std::function<void()> OnAfterClose;
};

// Starts the terminal with one argument (raw bytes, no shell).
class TTerminalStarter {
public:
    virtual ~TTerminalStarter() = default;
    // Throws std::runtime_error with the message to show (UTF-8) when it fails.
    virtual void Start(const std::string& program, const std::string& argument) = 0;
};

// The channel over TIPCServer: records in and out as 68-byte site records.
std::unique_ptr<TSiteServer> MakeChannelServer();
// The starter over TAppExec; its failure text is EAppExec's message.
std::unique_ptr<TTerminalStarter> MakeProcessStarter();
