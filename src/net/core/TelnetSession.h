// A telnet session on a screen: joins a TTelnetCnx to the VT interpreter and
// screen buffer of an emulator. It starts and ends the session with status
// lines on the screen, feeds received bytes to the interpreter (optionally
// decoding quoted-printable), and sends typed keys and pasted text, with
// Big5 two-byte characters sent as one unit and a choice of line ending.
//
// The session widget (TTelnetEmul) is a thin layer over this class; tools and
// tests use it headless with a buffer and interpreter of their own.
#pragma once
#include "net/core/TelnetCnx.h"
#include "screen/core/ScreenBuffer.h"
#include "screen/core/VtInterpreter.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace net {

class TTelnetSession {
public:
    using TNotify = std::function<void()>;
    // May change Len (clamped to the block it was given).
    using TDataAvailable = std::function<void(char* Buffer, int& Len)>;
    using THeadString = std::function<void(const std::string& HeadString)>;

    TTelnetSession(TScreenBuffer& screen, TVtInterpreter& vt);
    TTelnetSession(const TTelnetSession&) = delete;
    TTelnetSession& operator=(const TTelnetSession&) = delete;

    // Clears the screen, writes the connecting line and starts connecting to
    // HostName:Port. Nothing when HostName is empty. A socket error is
    // raised again (ESocketException) with IsConnecting off. May run on a
    // worker thread.
    void Connect();
    // The same in two steps, for an owner that resolves the name elsewhere:
    // BeginConnect clears the screen and writes the connecting line;
    // ConnectTo forgets what the previous session left half done (telnet
    // parser, quoted-printable and lead-byte state) and connects to the
    // resolved address (socket errors raised as by Connect). Both run on the
    // owner thread. ConnectAborted ends a begun connect that never started.
    void BeginConnect();
    void ConnectTo(const std::string& Address);
    void ConnectAborted() { FIsConnecting = false; }
    void Disconnect();
    int SendStr(const std::string& S) { return FCnx.SendStr(S); }
    bool IsConnected() const { return FCnx.IsConnected(); }

    // A typed key (a byte): holds a Big5 lead byte until its second byte,
    // sends Enter as the line end CRLF selects, echoes with LocalEcho and
    // captures the first typed line as HeadString.
    void KeyPress(std::uint8_t Key);
    // Clipboard text (Big5 bytes), only while connected: every line but the
    // last is sent with CR after it; the last without a line ending.
    void PasteText(const std::string& Text);
    // The same after the ESC bytes were made harmless: Mode 0 doubles them,
    // 1 turns them into Ctrl-U, 2 removes them. Big5 pairs are kept whole.
    void PasteAnsiText(const std::string& Text, int Mode);

    void SetHeadString(const std::string& Value);
    const std::string& HeadString() const { return FHeadString; }
    void HeadStringBackspace();

    // Received data as the connection hands it over (public for tools and
    // tests that feed recorded streams).
    void HandleTelnetData(char* Buffer, int Len);

    TTelnetCnx& TelnetCnx() { return FCnx; }
    TScreenBuffer& Screen() { return FScreen; }
    TVtInterpreter& Interpreter() { return FVt; }

    bool IsConnecting() const { return FIsConnecting; }
    WORD Error() const { return FError; }
    std::string HostName;
    std::string Port = "telnet";
    bool LocalEcho = false;
    bool HeadStringEnabled = true;
    bool qpEnabled = false;
    int CRLF = 0;
    bool SendNul = false;

    TNotify OnSessionClosed;
    TNotify OnSessionConnected;
    TDataAvailable OnDataAvailable;
    THeadString OnHeadString;

private:
    void HandleTelnetConnected(WORD Error);
    void HandleTelnetClosed(WORD Error);
    // Forgets what a previous session left half done: the held lead byte and
    // the quoted-printable decoder state.
    void ResetInputState();
    void Output(std::uint8_t B) { FVt.ProcessChar(B); }
    void QpByte(std::uint8_t B);
    void SendLines(const std::string& Text, int AnsiMode);
    void WriteStatus(const char* Utf8Text);

    TScreenBuffer& FScreen;
    TVtInterpreter& FVt;
    TTelnetCnx FCnx;
    // Written by Connect, possibly on a worker thread, read by the owner.
    std::atomic<bool> FIsConnecting{false};
    std::atomic<WORD> FError{0};
    // The connection came up: only then does its end say the far end hung up.
    std::atomic<bool> FWasUp{false};
    std::string FHeadString;
    // Quoted-printable decoder.
    bool FQpAfterEquals = false;
    bool FQpHalfByte = false;
    std::uint8_t FQpDigitChar = 0;
    int FQpFirstNibble = 0;
    bool FQpSkipEol = false;
    // Held Big5 lead byte.
    bool FLeadHeld = false;
    std::uint8_t FLeadByte = 0;
};

} // namespace net
