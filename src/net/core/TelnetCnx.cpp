#include "net/core/TelnetCnx.h"

#include "platform/core/DebugOutput.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace net {
namespace {

std::atomic<unsigned> gTraceCount{0};

// A peer that answers every reply with the same request again would keep
// both ends negotiating for ever; past this many replies for one option with
// no data byte in between, requests for it are no longer answered. Any data
// starts the count again, so a host that toggles an option around its
// prompts (echo off for passwords) is answered however long the session.
constexpr int kMaxRepliesPerOption = 50;

std::string Hex2(std::uint8_t b) {
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02X", b);
    return buf;
}

} // namespace

std::string TelnetVerbName(std::uint8_t verb) {
    switch (verb) {
    case tn::WILL:
        return "WILL";
    case tn::WONT:
        return "WONT";
    case tn::DO:
        return "DO";
    case tn::DONT:
        return "DONT";
    default:
        return std::to_string(verb);
    }
}

std::string TelnetOptionName(std::uint8_t option) {
    switch (option) {
    case tn::BINARY:
        return "BINARY";
    case tn::ECHO:
        return "ECHO";
    case tn::SGA:
        return "SGA";
    case tn::SENDLOC:
        return "SEND-LOCATION";
    case tn::TERMTYPE:
        return "TERMINAL-TYPE";
    case tn::OPT_EOR:
        return "EOR";
    default:
        return std::to_string(option);
    }
}

void TnTrace(const std::string& Text) {
    if (!win::DebugOutputEnabled()) return;
    unsigned n = ++gTraceCount;
    char num[8];
    std::snprintf(num, sizeof num, "%04X", n & 0xFFFF);
    win::OutputDebugString(std::string(num) + " " + Text);
}

TTelnetCnx::TTelnetCnx() {
    // A utility window of its own; nothing is sent to it.
    FWindowHandle = win::AllocateHWnd([](win::TMessage&) {});
    FSocket = std::make_unique<TAsyncSocket>();
    FSocket->OnSessionConnected = [this](TCustomAsyncSocket*, WORD e) {
        SocketSessionConnected(e);
    };
    FSocket->OnDataAvailable = [this](TCustomAsyncSocket*, WORD e) { SocketDataAvailable(e); };
    FSocket->OnSessionClosed = [this](TCustomAsyncSocket*, WORD e) { SocketSessionClosed(e); };
}

TTelnetCnx::~TTelnetCnx() {
    FSocket.reset();
    win::DeallocateHWnd(FWindowHandle);
}

void TTelnetCnx::Connect() {
    if (!FSocket) return;
    if (FSocket->State() != wsClosed) FSocket->Close();
    ResetProtocol();
    FSocket->SetProto("tcp");
    FSocket->SetPort(Port);
    FSocket->SetAddr(Host);
    FSocket->Connect();
}

bool TTelnetCnx::IsConnected() const {
    return FSocket && FSocket->State() == wsConnected;
}

void TTelnetCnx::Close() {
    if (FSocket) FSocket->Close();
}

int TTelnetCnx::Send(const void* Buffer, int Len) {
    if (!FSocket) return -1;
    return FSocket->Send(Buffer, Len);
}

void TTelnetCnx::ResetProtocol() {
    FLocalBinary = FRemoteBinary = false;
    FLocalEcho = FSGA = FTermTypeOrEor = false;
    FBufferCnt = 0;
    FIacSeen = false;
    FVerb = 0;
    FSubNegotiation = false;
    FSubBuffer.clear();
    FReplyCounts.fill(0);
    FRepliedSinceData = false;
}

void TTelnetCnx::SocketSessionConnected(WORD Error) {
    if (OnSessionConnected) OnSessionConnected(this, Error);
}

void TTelnetCnx::SocketSessionClosed(WORD Error) {
    if (FSocket && FSocket->State() != wsClosed) FSocket->Close();
    if (OnSessionClosed) OnSessionClosed(this, Error);
}

void TTelnetCnx::Display(const std::string& Str) {
    if (OnDisplay) OnDisplay(this, Str);
}

void TTelnetCnx::SocketDataAvailable(WORD) {
    char buf[ReadSize];
    int n = FSocket->Receive(buf, ReadSize);
    if (n == 0) {
        Display("\r\n**** Remote has closed ****\r\n");
    } else if (n < 0) {
        if (FSocket->LastError() != win::WSAEWOULDBLOCK)
            Display("\r\n**** ERROR: " + std::to_string(FSocket->LastError()) + " ****\r\n");
    } else {
        ProcessBytes(buf, n);
    }
}

void TTelnetCnx::ProcessBytes(const char* Buffer, int Len) {
    if (!Buffer) return;
    const auto* p = reinterpret_cast<const std::uint8_t*>(Buffer);
    int i = 0;
    while (i < Len) {
        if (FVerb != 0 || FSubNegotiation || FIacSeen) {
            ProcessByte(p[i++]);
            continue;
        }
        // Plain data up to the next byte that means something to the parser
        // (IAC and the command bytes 244..248, all from 244 up) goes into
        // the data buffer in one piece.
        int run = i;
        while (run < Len && p[run] < tn::IP)
            ++run;
        if (run > i) DataSeen();
        while (i < run) {
            int n = std::min(run - i, DataBufferSize - FBufferCnt);
            std::memcpy(FBuffer + FBufferCnt, p + i, static_cast<std::size_t>(n));
            FBufferCnt += n;
            i += n;
            if (FBufferCnt >= DataBufferSize) FlushData();
        }
        if (i < Len) ProcessByte(p[i++]);
    }
    FlushData();
}

void TTelnetCnx::ProcessByte(std::uint8_t B) {
    if (FVerb != 0) {
        std::uint8_t verb = FVerb;
        FVerb = 0;
        FSubBuffer.clear();
        ReplyToOption(verb, B);
        return;
    }
    if (FSubNegotiation) {
        if (B == tn::SE) {
            FSubNegotiation = false;
            std::string sub;
            sub.swap(FSubBuffer);
            ReplyToSubnegotiation(sub);
        } else if (FSubBuffer.size() < MaxSubnegotiation) {
            FSubBuffer.push_back(static_cast<char>(B));
        }
        return;
    }
    if (!FIacSeen) {
        switch (B) {
        case tn::IAC:
            FIacSeen = true;
            return;
        case tn::IP:
            TnTrace("TNCH_IP\r\n");
            break;
        case tn::AO:
            TnTrace("TNCH_AO\r\n");
            break;
        case tn::AYT:
            TnTrace("TNCH_AYT\r\n");
            break;
        case tn::EC:
            TnTrace("TNCH_EC\r\n");
            break;
        case tn::EL:
            TnTrace("TNCH_EL\r\n");
            break;
        default:
            break;
        }
        AppendData(B);
        return;
    }
    FIacSeen = false;
    switch (B) {
    case tn::EOR:
        TnTrace("TNCH_EOR\r\n");
        if (OnEndOfRecord) OnEndOfRecord(this);
        break;
    case tn::SB:
        FSubNegotiation = true;
        FSubBuffer.clear();
        break;
    case tn::WILL:
    case tn::WONT:
    case tn::DO:
    case tn::DONT:
        FVerb = B;
        break;
    case tn::IAC:
        AppendData(B);
        break;
    default:
        TnTrace("Unknown " + Hex2(B) + " '" + std::string(1, static_cast<char>(B)) + "'\r\n");
        break;
    }
}

void TTelnetCnx::DataSeen() {
    if (!FRepliedSinceData) return;
    FRepliedSinceData = false;
    FReplyCounts.fill(0);
}

void TTelnetCnx::AppendData(std::uint8_t B) {
    DataSeen();
    FBuffer[FBufferCnt++] = static_cast<char>(B);
    if (FBufferCnt >= DataBufferSize) FlushData();
}

void TTelnetCnx::FlushData() {
    if (FBufferCnt == 0) return;
    int count = FBufferCnt;
    FBufferCnt = 0;
    if (!OnDataAvailable) return;
    // The handler gets its own NUL-terminated copy: it may connect again or
    // feed bytes back through ProcessBytes without disturbing this one. The
    // copy's storage is reused unless a handler is already using it.
    std::vector<char> nested;
    std::vector<char>& copy = FInFlush ? nested : FCopy;
    copy.assign(FBuffer, FBuffer + count);
    copy.push_back('\0');
    const bool outer = !FInFlush;
    FInFlush = true;
    try {
        OnDataAvailable(this, copy.data(), count);
    } catch (...) {
        if (outer) FInFlush = false;
        throw;
    }
    if (outer) FInFlush = false;
}

void TTelnetCnx::SendOptionReply(std::uint8_t Verb, std::uint8_t Option) {
    TnTrace("SENT " + TelnetVerbName(Verb) + " " + TelnetOptionName(Option) + "\r\n");
    const char reply[3] = {static_cast<char>(tn::IAC), static_cast<char>(Verb),
                           static_cast<char>(Option)};
    Send(reply, 3);
}

void TTelnetCnx::ReplyToOption(std::uint8_t Verb, std::uint8_t Option) {
    TnTrace("RCVD " + TelnetVerbName(Verb) + " " + TelnetOptionName(Option) + "\r\n");
    bool mayReply = FReplyCounts[Option] < kMaxRepliesPerOption;
    auto reply = [&](std::uint8_t v) {
        if (!mayReply) return;
        ++FReplyCounts[Option];
        FRepliedSinceData = true;
        SendOptionReply(v, Option);
    };
    switch (Option) {
    case tn::BINARY:
        if (Verb == tn::WILL) {
            reply(tn::DO);
            FLocalBinary = FRemoteBinary = true;
        } else if (Verb == tn::WONT) {
            FLocalBinary = FRemoteBinary = false;
        }
        break;
    case tn::ECHO:
        if (Verb == tn::WILL) {
            reply(tn::DO);
            FLocalEcho = false;
        } else if (Verb == tn::WONT) {
            FLocalEcho = true;
        }
        if (OnLocalEcho) OnLocalEcho(this);
        break;
    case tn::SGA:
        if (Verb == tn::WILL) {
            reply(tn::DO);
            FSGA = true;
        }
        break;
    case tn::SENDLOC:
        if (Verb == tn::DO && mayReply) {
            reply(tn::WILL);
            if (OnSendLoc) OnSendLoc(this);
            std::string sb = {static_cast<char>(tn::IAC), static_cast<char>(tn::SB),
                              static_cast<char>(tn::SENDLOC)};
            sb += Location;
            sb += {static_cast<char>(tn::IAC), static_cast<char>(tn::SE)};
            TnTrace("SENT SB SEND-LOCATION " + Location + "\r\n");
            SendStr(sb);
        }
        break;
    case tn::TERMTYPE:
    case tn::OPT_EOR:
        if (Verb == tn::DO) {
            reply(tn::WILL);
            FTermTypeOrEor = true;
        }
        break;
    default:
        reply(Verb == tn::WILL ? tn::DONT : tn::WONT);
        break;
    }
}

void TTelnetCnx::ReplyToSubnegotiation(const std::string& Buffer) {
    std::string line = "RCVD SB";
    for (std::size_t i = 0; i < Buffer.size() && i < 16; ++i) {
        line.push_back(' ');
        line.append(Hex2(static_cast<std::uint8_t>(Buffer[i])));
    }
    if (Buffer.size() > 16) line.append(" ...");
    line.append("\r\n");
    TnTrace(line);
    if (Buffer.size() < 2 || static_cast<std::uint8_t>(Buffer[0]) != tn::TERMTYPE || Buffer[1] != 1)
        return;
    if (OnTermType) OnTermType(this);
    std::string sb = {static_cast<char>(tn::IAC), static_cast<char>(tn::SB),
                      static_cast<char>(tn::TERMTYPE), 0};
    sb += TermType;
    sb += {static_cast<char>(tn::IAC), static_cast<char>(tn::SE)};
    TnTrace("SENT SB TERMINAL-TYPE IS " + TermType + "\r\n");
    SendStr(sb);
}

} // namespace net
