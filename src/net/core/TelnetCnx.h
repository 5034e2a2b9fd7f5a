// Telnet over one asynchronous socket: separates commands from data,
// answers option negotiation with a fixed policy (the one BBS hosts expect),
// answers the terminal-type and send-location requests, and hands data to its
// owner in blocks.
#pragma once
#include "net/core/AsyncSocket.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace net {

namespace tn {
constexpr std::uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250;
constexpr std::uint8_t GA = 249, EL = 248, EC = 247, AYT = 246, AO = 245, IP = 244;
constexpr std::uint8_t BRK = 243, DM = 242, NOP = 241, SE = 240, EOR = 239;
constexpr std::uint8_t BINARY = 0, ECHO = 1, SGA = 3, SENDLOC = 23, TERMTYPE = 24, OPT_EOR = 25;
} // namespace tn

class TTelnetCnx;

using TTnSessionConnected = std::function<void(TTelnetCnx* Sender, WORD Error)>;
using TTnSessionClosed = std::function<void(TTelnetCnx* Sender, WORD Error)>;
using TTnDataAvailable = std::function<void(TTelnetCnx* Sender, char* Buffer, int Len)>;
using TTnDisplay = std::function<void(TTelnetCnx* Sender, const std::string& Str)>;
using TTnNotifyEvent = std::function<void(TTelnetCnx* Sender)>;

class TTelnetCnx {
public:
    static constexpr int DataBufferSize = 2049;
    static constexpr int ReadSize = 2048;
    // A sub-negotiation keeps at most this many bytes; the rest of an
    // overlong one is skipped while the parser looks for its end.
    static constexpr std::size_t MaxSubnegotiation = 512;

    TTelnetCnx();
    virtual ~TTelnetCnx();
    TTelnetCnx(const TTelnetCnx&) = delete;
    TTelnetCnx& operator=(const TTelnetCnx&) = delete;

    // Closes a socket still in use, then connects to Host:Port over TCP.
    // Socket errors (resolution, socket creation, a refused start) raise
    // ESocketException. May run on another thread than the owner's.
    void Connect();
    bool IsConnected() const;
    void Close();
    virtual int Send(const void* Buffer, int Len);
    int SendStr(const std::string& S) { return Send(S.data(), static_cast<int>(S.size())); }

    // Runs received bytes through the parser and hands the data on (the
    // socket's data handler does this for every read).
    void ProcessBytes(const char* Buffer, int Len);
    // Back to the state of a fresh connection: parser, options, buffered
    // data. Connect does this, so nothing of a previous session leaks into
    // the next one.
    void ResetProtocol();

    TAsyncSocket* Socket() const { return FSocket.get(); }
    // Storage held for the sub-negotiation being read (bounded by
    // MaxSubnegotiation however long the peer makes it).
    std::size_t SubnegotiationCapacity() const { return FSubBuffer.capacity(); }
    win::HWND Handle() const { return FWindowHandle; }

    std::string Port = "23";
    std::string Host;
    std::string Location = "TELNETCNX";
    std::string TermType = "VT100";

    bool LocalEcho() const { return FLocalEcho; }
    bool Binary() const { return FLocalBinary && FRemoteBinary; }
    bool SGA() const { return FSGA; }
    bool TermTypeOrEor() const { return FTermTypeOrEor; }

    TTnSessionConnected OnSessionConnected;
    TTnSessionClosed OnSessionClosed;
    TTnDataAvailable OnDataAvailable;
    TTnDisplay OnDisplay;
    TTnNotifyEvent OnEndOfRecord;
    TTnNotifyEvent OnSendLoc;
    TTnNotifyEvent OnTermType;
    TTnNotifyEvent OnLocalEcho;

protected:
    void SocketSessionConnected(WORD Error);
    void SocketDataAvailable(WORD Error);
    void SocketSessionClosed(WORD Error);
    void Display(const std::string& Str);
    void ProcessByte(std::uint8_t B);
    void AppendData(std::uint8_t B);
    void DataSeen();
    void FlushData();
    void SendOptionReply(std::uint8_t Verb, std::uint8_t Option);
    void ReplyToOption(std::uint8_t Verb, std::uint8_t Option);
    void ReplyToSubnegotiation(const std::string& Buffer);

private:
    std::unique_ptr<TAsyncSocket> FSocket;
    win::HWND FWindowHandle = 0;
    bool FLocalBinary = false, FRemoteBinary = false;
    bool FLocalEcho = false, FSGA = false, FTermTypeOrEor = false;
    char FBuffer[DataBufferSize] = {};
    int FBufferCnt = 0;
    // Parser state of the current connection.
    bool FIacSeen = false;
    std::uint8_t FVerb = 0;
    bool FSubNegotiation = false;
    std::string FSubBuffer;
    // Replies per option since the last data byte, against negotiation loops.
    std::array<int, 256> FReplyCounts{};
    bool FRepliedSinceData = false;
    std::vector<char> FCopy;
    bool FInFlush = false;
};

// Telnet names for trace lines.
std::string TelnetVerbName(std::uint8_t verb);
std::string TelnetOptionName(std::uint8_t option);
// One debug line: a running number (4 hex digits), a blank, the text.
void TnTrace(const std::string& Text);

} // namespace net
