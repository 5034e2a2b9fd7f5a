// SOCKS client layer of the socket component: outgoing TCP connections
// through a SOCKS 4, 4A or 5 proxy (with user/password authentication for
// SOCKS 5). Without a SocksServer every operation passes straight through.
//
// The owner sees one OnSessionConnected(0) once the proxy granted the
// connection; a refusal arrives as OnSocksError(code, text), then
// OnSessionConnected(code) and OnSessionClosed(code). Nothing is raised.
//
// This header is part of the socket component's class chain: it includes
// AsyncSocket.h first, which ends with the whole chain, so it may be
// included on its own or after AsyncSocket.h.
#include "net/core/AsyncSocket.h"

#ifndef BP_NET_SOCKS_SOCKET_DEFINED
#define BP_NET_SOCKS_SOCKET_DEFINED

#include "net/core/SocksFrames.h"

#include <cstdint>
#include <string>

namespace net {

enum TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };

// Values of OnSocksAuthState.
constexpr int socksAuthStart = 0;
constexpr int socksAuthSuccess = 1;
constexpr int socksAuthFailure = 2;
constexpr int socksAuthNotRequired = 3;

using TSocksErrorEvent =
    std::function<void(TCustomAsyncSocket* Sender, int Error, const std::string& Msg)>;
using TSocksAuthStateEvent = std::function<void(TCustomAsyncSocket* Sender, int AuthState)>;

class TCustomSocksSocket : public TCustomAsyncSocket {
public:
    TCustomSocksSocket() = default;

    void Connect() override;
    void Listen() override;

    const std::string& SocksServer() const { return FSocksServer; }
    void SetSocksServer(const std::string& Value) { SetSocksServerValue(Value); }
    const std::string& SocksPort() const { return FSocksPort; }
    void SetSocksPort(const std::string& Value) { SetSocksPortValue(Value); }
    const std::string& SocksLevel() const { return FSocksLevel; }
    void SetSocksLevel(const std::string& Value);
    std::string SocksUsercode;
    std::string SocksPassword;
    TSocksAuthentication SocksAuthentication = socksNoAuthentication;

    TSessionConnected OnSocksConnected;
    TSocksErrorEvent OnSocksError;
    TSocksAuthStateEvent OnSocksAuthState;

protected:
    enum : std::uint8_t {
        socksStateNone = 0,        // data passes through
        socksStateNegotiating = 1, // connecting to the proxy, then its method reply
        socksStateAuthenticating = 2,
        socksStateConnecting = 3 // awaiting the connect reply
    };

    virtual void FireSocksConnected(WORD Error);
    virtual void SetSocksPortValue(const std::string& Value);
    virtual void SetSocksServerValue(const std::string& Value);
    virtual void FireSocksError(int Error, const std::string& Msg);
    void FireSocksAuthState(int AuthState);

    void ResetDefaults() override;
    int GetRcvdCount() override;
    bool FireDataAvailable(WORD Error) override { return SocksDataAvailable(Error); }
    void FireSessionConnected(WORD Error) override;
    void FireSessionClosed(WORD Error) override;
    int RecvRaw(void* Buffer, int BufferSize, int Flags) override;

    bool SocksDataAvailable(WORD Error);
    void SocksDoError(int Error, const std::string& Msg);
    void SocksDoAuthenticate();
    void SocksDoConnect();
    void SocksDoSuccess(std::size_t ReplyLength);
    // Reads into the reply buffer behind what is there, at most Want bytes;
    // false when nothing could be read (the step waits for the next event).
    bool SocksReceive(std::size_t Want);
    bool IsSocks4() const { return !FSocksLevel.empty() && FSocksLevel[0] == '4'; }

    std::string FSocksServer, FSocksPort, FSocksLevel = "5";
    bool FSocksServerAssigned = false, FSocksPortAssigned = false;
    std::uint8_t FSocksState = socksStateNone;
    std::uint8_t FSocksMethod = socks::MethodNone;
    std::uint16_t FSocksDestPort = 0; // host order
    std::uint8_t FRcvBuf[socks::ReplyBufferSize] = {};
    std::size_t FRcvCnt = 0;
    std::size_t FKeptCount = 0, FKeptPos = 0; // bytes that came behind the reply
};

} // namespace net

#endif
