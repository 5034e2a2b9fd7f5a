#include "net/core/TelnetSession.h"

#include "platform/core/Big5.h"

#include <algorithm>

namespace net {
namespace {

constexpr std::uint8_t CR = 13, LF = 10, ESC = 27;

int HexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsLead(std::uint8_t b) {
    return b >= 0x82 && b <= 0xFE;
}

} // namespace

TTelnetSession::TTelnetSession(TScreenBuffer& screen, TVtInterpreter& vt)
    : FScreen(screen), FVt(vt) {
    FCnx.OnDataAvailable = [this](TTelnetCnx*, char* buf, int len) { HandleTelnetData(buf, len); };
    FCnx.OnSessionConnected = [this](TTelnetCnx*, WORD e) { HandleTelnetConnected(e); };
    FCnx.OnSessionClosed = [this](TTelnetCnx*, WORD e) { HandleTelnetClosed(e); };
}

void TTelnetSession::WriteStatus(const char* Utf8Text) {
    FScreen.WriteLn(win::Utf8ToBig5(Utf8Text));
}

void TTelnetSession::ResetInputState() {
    FQpAfterEquals = FQpHalfByte = FQpSkipEol = false;
    FQpDigitChar = 0;
    FQpFirstNibble = 0;
    FLeadHeld = false;
    FLeadByte = 0;
}

void TTelnetSession::Connect() {
    if (HostName.empty()) return;
    BeginConnect();
    ConnectTo(HostName);
}

void TTelnetSession::BeginConnect() {
    FIsConnecting = true;
    FScreen.ClearScreen();
    FScreen.WriteLn(win::Utf8ToBig5("正在連線到 '") + HostName + "'");
}

void TTelnetSession::ConnectTo(const std::string& Address) {
    try {
        FIsConnecting = true;
        FWasUp = false;
        ResetInputState();
        FCnx.Port = Port;
        FCnx.Host = Address;
        FCnx.Connect();
    } catch (...) {
        FIsConnecting = false;
        throw;
    }
}

void TTelnetSession::Disconnect() {
    FCnx.Close();
    FIsConnecting = false;
}

void TTelnetSession::HandleTelnetConnected(WORD Error) {
    FVt.ResetScrollState();
    FError = Error;
    FIsConnecting = false;
    FWasUp = Error == 0;
    if (Error == 0) {
        WriteStatus("連線成功");
        if (OnSessionConnected) OnSessionConnected();
    } else {
        WriteStatus("連線失敗!");
    }
}

void TTelnetSession::HandleTelnetClosed(WORD Error) {
    // After a failed connect the failure line says it all.
    if (FWasUp.exchange(false)) WriteStatus("\r*** 遠端主機已中斷連線 ***");
    FError = Error;
    FIsConnecting = false;
    if (OnSessionClosed) OnSessionClosed();
}

void TTelnetSession::HandleTelnetData(char* Buffer, int Len) {
    if (!Buffer || Len <= 0) return;
    const int given = Len;
    if (OnDataAvailable) OnDataAvailable(Buffer, Len);
    // The handler may shorten the block, never lengthen it past its end.
    Len = std::clamp(Len, 0, given);
    auto* p = reinterpret_cast<std::uint8_t*>(Buffer);
    try {
        if (!qpEnabled) {
            FVt.ProcessBuffer(p, static_cast<std::size_t>(Len));
            return;
        }
        for (int i = 0; i < Len; ++i)
            QpByte(p[i]);
    } catch (...) {
        // A fault while one byte is shown drops the rest of the block.
    }
}

void TTelnetSession::QpByte(std::uint8_t B) {
    if (!FQpAfterEquals && FQpSkipEol && (B == CR || B == LF)) {
        FQpSkipEol = false;
        return;
    }
    if (!FQpAfterEquals && B == '=') {
        FQpAfterEquals = true;
        return;
    }
    if (FQpAfterEquals) {
        int v = HexValue(B);
        if (v >= 0) {
            if (FQpHalfByte) {
                Output(static_cast<std::uint8_t>(FQpFirstNibble * 16 + v));
                FQpHalfByte = false;
                FQpAfterEquals = false;
            } else {
                FQpDigitChar = B;
                FQpFirstNibble = v;
                FQpHalfByte = true;
            }
            return;
        }
        if (B == CR) return;
        if (B == LF) {
            // Soft line break; a half byte before it stays pending.
            FQpAfterEquals = false;
            FQpSkipEol = true;
            return;
        }
        Output('=');
        if (FQpHalfByte) {
            Output(FQpDigitChar);
            FQpHalfByte = false;
        }
        Output(B);
        FQpAfterEquals = false;
        return;
    }
    Output(B);
}

void TTelnetSession::KeyPress(std::uint8_t Key) {
    if (Key == 0 && !SendNul) return;
    if (FLeadHeld) {
        FLeadHeld = false;
        std::string pair = {static_cast<char>(FLeadByte), static_cast<char>(Key)};
        FCnx.SendStr(pair);
        if (LocalEcho) FScreen.WriteStr(pair);
        return;
    }
    if (IsLead(Key)) {
        FLeadHeld = true;
        FLeadByte = Key;
        return;
    }
    std::string out;
    if (Key == CR && CRLF == 1)
        out = "\n";
    else if (Key == CR && CRLF != 0)
        out = "\r\n";
    else
        out = std::string(1, static_cast<char>(Key));
    FCnx.SendStr(out);
    if (LocalEcho) FScreen.WriteStr(out);
    if (HeadStringEnabled) {
        if (Key != CR) {
            FHeadString.push_back(static_cast<char>(Key));
        } else if (!FHeadString.empty()) {
            HeadStringEnabled = false;
            if (OnHeadString) OnHeadString(FHeadString);
        }
    }
}

void TTelnetSession::SetHeadString(const std::string& Value) {
    FHeadString = Value;
    if (Value.empty()) HeadStringEnabled = true;
}

void TTelnetSession::HeadStringBackspace() {
    if (!FHeadString.empty()) FHeadString.pop_back();
}

void TTelnetSession::SendLines(const std::string& Text, int AnsiMode) {
    if (!IsConnected()) return;
    // Lines as a multi-line edit control without word wrap splits them: at
    // CR LF, and at a bare LF as clipboards of this system carry it.
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < Text.size(); ++i) {
        char c = Text[i];
        if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') {
            lines.emplace_back();
            ++i;
        } else if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string line;
        const std::string& src = lines[n];
        for (std::size_t i = 0; i < src.size(); ++i) {
            auto b = static_cast<std::uint8_t>(src[i]);
            if (AnsiMode >= 0 && IsLead(b)) {
                line.push_back(src[i]);
                if (i + 1 < src.size()) line.push_back(src[++i]);
            } else if (AnsiMode >= 0 && b == ESC) {
                if (AnsiMode == 0)
                    line += "\x1b\x1b";
                else if (AnsiMode == 1)
                    line.push_back('\x15');
                else if (AnsiMode != 2)
                    line.push_back(src[i]);
            } else {
                line.push_back(src[i]);
            }
        }
        if (n + 1 < lines.size()) line.push_back('\r');
        if (!line.empty()) FCnx.SendStr(line);
    }
}

void TTelnetSession::PasteText(const std::string& Text) {
    SendLines(Text, -1);
}

void TTelnetSession::PasteAnsiText(const std::string& Text, int Mode) {
    SendLines(Text, Mode);
}

} // namespace net
