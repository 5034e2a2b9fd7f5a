#include "net/core/SocksSocket.h"
#include "net/core/ip_misc.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace net {
namespace {

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

// ---- properties -------------------------------------------------------------------

void TCustomSocksSocket::SetSocksServerValue(const std::string& Value) {
    if (FState != wsClosed) {
        RaiseError("Can't change socks server if not closed");
        return;
    }
    FSocksServer = Trim(Value);
    FSocksServerAssigned = !FSocksServer.empty();
}

void TCustomSocksSocket::SetSocksPortValue(const std::string& Value) {
    if (FState != wsClosed) {
        RaiseError("Can't change socks port if not closed");
        return;
    }
    FSocksPort = Trim(Value);
    FSocksPortAssigned = !FSocksPort.empty();
}

void TCustomSocksSocket::SetSocksLevel(const std::string& Value) {
    if (FState != wsClosed) {
        RaiseError("Can't change socks level if not closed");
        return;
    }
    if (Value != "4" && Value != "5" && Value != "4A" && Value != "4a") {
        RaiseError("Invalid socks level. Must be 4, 4A or 5.");
        return;
    }
    FSocksLevel = Value == "4a" ? "4A" : Value;
}

void TCustomSocksSocket::ResetDefaults() {
    TCustomAsyncSocket::ResetDefaults();
    FSocksState = socksStateNone;
    FSocksServer.clear();
    FSocksServerAssigned = false;
    FSocksPort.clear();
    FSocksPortAssigned = false;
    FSocksLevel.assign(1, '5'); // (assign: avoids a false -Wrestrict of GCC 12)
    FRcvCnt = 0;
    FKeptCount = 0;
    FKeptPos = 0;
}

// ---- events -------------------------------------------------------------------------

void TCustomSocksSocket::FireSocksConnected(WORD Error) {
    if (OnSocksConnected) OnSocksConnected(this, Error);
}

void TCustomSocksSocket::FireSocksError(int Error, const std::string& Msg) {
    if (OnSocksError) OnSocksError(this, Error, Msg);
}

void TCustomSocksSocket::FireSocksAuthState(int AuthState) {
    if (OnSocksAuthState) OnSocksAuthState(this, AuthState);
}

// ---- connecting -----------------------------------------------------------------------

void TCustomSocksSocket::Connect() {
    if (FHSocket != win::INVALID_SOCKET && FState != wsClosed) {
        // Refused by the base ("already in use"); the live session is left alone.
        TCustomAsyncSocket::Connect();
        return;
    }
    if (!FSocksServerAssigned) {
        // A direct connection, also after a proxy attempt that failed early.
        FSocksState = socksStateNone;
        TCustomAsyncSocket::Connect();
        return;
    }
    if (Lower(FProtoStr) != "tcp") {
        RaiseError("tcp is the only protocol supported thru socks server");
        return;
    }
    // Every request must fit its length fields: refuse before connecting.
    const std::string refusal =
        socks::CheckRequest(FSocksLevel, FAddrStr, SocksUsercode, SocksPassword,
                            SocksAuthentication == socksAuthenticateUsercode);
    if (!refusal.empty()) {
        RaiseError("connect: " + refusal);
        return;
    }
    try {
        if (!FPortResolved) {
            sin.sin_port = NetOrder16(SocketResolvePort(FSocksPort, FProtoStr));
            FPortResolved = true;
        }
        if (!FAddrResolved) {
            sin.sin_addr.s_addr = SocketResolveHost(FSocksServer);
            FAddrResolved = true;
        }
        FSocksDestPort = SocketResolvePort(FPortStr, FProtoStr);
    } catch (const std::exception& e) {
        RaiseError(std::string("connect: ") + e.what());
        return;
    }
    FSocksState = socksStateNegotiating;
    FRcvCnt = 0;
    FKeptCount = 0;
    FKeptPos = 0;
    TCustomAsyncSocket::Connect();
}

void TCustomSocksSocket::Listen() {
    if (FSocksServerAssigned) {
        RaiseError("Listening is not supported thru socks server");
        return;
    }
    TCustomAsyncSocket::Listen();
}

void TCustomSocksSocket::FireSessionConnected(WORD Error) {
    if (FSocksState != socksStateNegotiating) {
        TCustomAsyncSocket::FireSessionConnected(Error);
        return;
    }
    FireSocksConnected(Error);
    if (Error != 0) {
        TCustomAsyncSocket::FireSessionConnected(Error);
        return;
    }
    if (IsSocks4()) {
        SocksDoConnect();
        return;
    }
    FSocksMethod = SocksAuthentication == socksAuthenticateUsercode ? socks::MethodUserPass
                                                                    : socks::MethodNone;
    SendStr(socks::Socks5Greeting(FSocksMethod));
}

void TCustomSocksSocket::FireSessionClosed(WORD Error) {
    if (FSocksState == socksStateAuthenticating) FireSocksAuthState(socksAuthFailure);
    TCustomAsyncSocket::FireSessionClosed(Error);
}

void TCustomSocksSocket::SocksDoAuthenticate() {
    FSocksState = socksStateAuthenticating;
    FireSocksAuthState(socksAuthStart);
    try {
        SendStr(socks::Socks5UserPassRequest(SocksUsercode, SocksPassword));
    } catch (const std::exception&) {
        // The attempt then ends through the socket's own events.
    }
}

void TCustomSocksSocket::SocksDoConnect() {
    FSocksState = socksStateConnecting;
    std::string request;
    if (!IsSocks4()) {
        request = socks::Socks5ConnectRequest(FAddrStr, FSocksDestPort);
    } else if (FSocksLevel == "4A") {
        request = socks::Socks4AConnectRequest(FSocksDestPort, SocksUsercode, FAddrStr);
    } else {
        win::u_long ip = 0;
        try {
            ip = SocketResolveHost(FAddrStr);
        } catch (const std::exception& e) {
            FireSocksError(socks::ErrResolve, std::string("ESocketException ") + e.what());
            InternalClose(true, socks::ErrResolve);
            return;
        }
        request = socks::Socks4ConnectRequest(FSocksDestPort, ip, SocksUsercode);
    }
    try {
        SendStr(request);
    } catch (const std::exception&) {
        // The attempt then ends through the socket's own events.
    }
}

void TCustomSocksSocket::SocksDoError(int Error, const std::string& Msg) {
    FireSocksError(Error, Msg);
    FSocksState = socksStateNone;
    FireSessionConnected(static_cast<WORD>(Error));
    InternalClose(true, static_cast<WORD>(Error));
}

void TCustomSocksSocket::SocksDoSuccess(std::size_t ReplyLength) {
    FSocksState = socksStateNone;
    if (!IsSocks4() && FRcvCnt > ReplyLength) {
        FKeptPos = ReplyLength;
        FKeptCount = FRcvCnt - ReplyLength;
    }
    FRcvCnt = 0;
    FireSessionConnected(0);
}

// ---- receiving ------------------------------------------------------------------------

bool TCustomSocksSocket::SocksReceive(std::size_t Want) {
    if (Want == 0) return true;
    const int n = Receive(FRcvBuf + FRcvCnt, static_cast<int>(Want));
    if (n <= 0) return false;
    FRcvCnt += static_cast<std::size_t>(n);
    return true;
}

bool TCustomSocksSocket::SocksDataAvailable(WORD Error) {
    if (FSocksState == socksStateNone) return TCustomAsyncSocket::FireDataAvailable(Error);
    if (Error != 0) {
        SocksDoError(Error, "data receive error");
        return false;
    }
    const std::size_t room = socks::ReplyBufferSize - 1 - FRcvCnt;
    socks::TVerdict v;
    switch (FSocksState) {
    case socksStateNegotiating:
        if (IsSocks4()) {
            SocksDoError(socks::ErrLogic, "TAsyncSocket logic error");
            return true;
        }
        if (!SocksReceive(room)) return true;
        v = socks::JudgeMethodReply(FRcvBuf, FRcvCnt);
        if (v.Kind == socks::TVerdict::NeedMore) return true;
        if (v.Kind == socks::TVerdict::Error) {
            SocksDoError(v.Code, v.Text);
            return true;
        }
        FRcvCnt = 0;
        if (v.Value == socks::MethodUserPass) {
            SocksDoAuthenticate();
        } else {
            if (FSocksMethod == socks::MethodUserPass) FireSocksAuthState(socksAuthNotRequired);
            SocksDoConnect();
        }
        return true;
    case socksStateAuthenticating:
        if (!SocksReceive(room)) return true;
        v = socks::JudgeUserPassReply(FRcvBuf, FRcvCnt);
        if (v.Kind == socks::TVerdict::NeedMore) return true;
        if (v.Kind == socks::TVerdict::Error) {
            SocksDoError(v.Code, v.Text);
            return true;
        }
        FRcvCnt = 0;
        FireSocksAuthState(socksAuthSuccess);
        SocksDoConnect();
        return true;
    case socksStateConnecting:
        if (IsSocks4()) {
            if (!SocksReceive(socks::Socks4ReplySize - std::min(FRcvCnt, socks::Socks4ReplySize)))
                return true;
            v = socks::JudgeSocks4Reply(FRcvBuf, FRcvCnt);
        } else {
            if (!SocksReceive(room)) return true;
            v = socks::JudgeSocks5Reply(FRcvBuf, FRcvCnt);
        }
        if (v.Kind == socks::TVerdict::NeedMore) return true;
        if (v.Kind == socks::TVerdict::Error) {
            SocksDoError(v.Code, v.Text);
            return true;
        }
        SocksDoSuccess(v.Used);
        if (FHSocket == win::INVALID_SOCKET) return true;
        {
            // Bytes that came behind the reply are offered at once, and
            // again while the owner keeps taking them.
            bool ran = FireDataAvailable(0);
            while (ran && FKeptCount > 0 && FHSocket != win::INVALID_SOCKET) {
                const std::size_t before = FKeptCount;
                ran = FireDataAvailable(0);
                if (FKeptCount == before) break;
            }
            return ran;
        }
    default:
        SocksDoError(socks::ErrInternal, "internal error");
        return true;
    }
}

int TCustomSocksSocket::GetRcvdCount() {
    if (FKeptCount > 0) return static_cast<int>(FKeptCount);
    return TCustomAsyncSocket::GetRcvdCount();
}

int TCustomSocksSocket::RecvRaw(void* Buffer, int BufferSize, int Flags) {
    if (FKeptCount == 0) return TCustomAsyncSocket::RecvRaw(Buffer, BufferSize, Flags);
    if (BufferSize <= 0) return 0;
    const std::size_t n = std::min(static_cast<std::size_t>(BufferSize), FKeptCount);
    std::memcpy(Buffer, FRcvBuf + FKeptPos, n);
    FKeptPos += n;
    FKeptCount -= n;
    return static_cast<int>(n);
}

} // namespace net
