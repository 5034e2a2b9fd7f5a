// telnetdump: connects a telnet session to a host, optionally types keys,
// and prints the screen in DumpScreen's format.
//
//   telnetdump HOST PORT [--keys TEXT] [--wait MS] [--rows N] [--trace]
//
// The session waits for the negotiation (MS milliseconds with nothing
// received, default 500), types TEXT as key presses ("\r" is Enter, "\n",
// "\t", "\\" and "\xHH" any byte), waits MS milliseconds after the last byte
// received again (any byte, negotiation included) and prints the screen.
// With --trace the telnet layer's trace lines (options received, replies
// sent) follow the dump. Exit status
// 0 when the session connected, 1 otherwise (the error text the session
// screen shows goes to standard error), 2 for a bad command line.
#include "net/core/TelnetSession.h"
#include "platform/core/Big5.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/Ticks.h"
#include "screen/core/ScreenDump.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

int Usage(const char* why) {
    std::fprintf(stderr,
                 "telnetdump: %s\nusage: telnetdump HOST PORT [--keys TEXT] [--wait MS] "
                 "[--rows N] [--trace]\n",
                 why);
    return 2;
}

std::optional<long> Number(const char* text, long lo, long hi) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi) return std::nullopt;
    return v;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The key text with its escapes resolved; nullopt when an escape is bad.
std::optional<std::string> Keys(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
        case 'r':
            out.push_back('\r');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case '\\':
            out.push_back('\\');
            break;
        case 'x': {
            if (i + 2 >= text.size()) return std::nullopt;
            int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

// The screen's non-blank lines as UTF-8 (status and error lines).
std::string ScreenText(const TScreenBuffer& screen) {
    std::string all;
    for (int y = 0; y < screen.Rows(); ++y) {
        std::string line;
        for (const TCell& c : screen.ScreenRow(y).Cells)
            line.push_back(static_cast<char>(c.Char));
        while (!line.empty() && (line.back() == ' ' || line.back() == '\0'))
            line.pop_back();
        if (!line.empty()) all += win::Big5ToUtf8(line) + "\n";
    }
    return all;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> positional;
    std::string keys;
    long waitMs = 500;
    std::optional<long> rows;
    bool trace = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--keys" || a == "--wait" || a == "--rows") {
            if (i + 1 >= argc) return Usage(("missing value after " + a).c_str());
            const char* v = argv[++i];
            if (a == "--keys") {
                auto k = Keys(v);
                if (!k) return Usage("bad escape in --keys");
                keys = *k;
            } else if (a == "--wait") {
                auto n = Number(v, 0, 600000);
                if (!n) return Usage("--wait needs milliseconds (0..600000)");
                waitMs = *n;
            } else {
                auto n = Number(v, TScreenBuffer::MinRows, TScreenBuffer::MaxRows);
                if (!n) return Usage("--rows needs a number of rows (1..200)");
                rows = *n;
            }
        } else if (a == "--trace") {
            trace = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return Usage(("unknown option " + a).c_str());
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return Usage("HOST and PORT are needed");

    std::vector<std::string> traceLines;
    if (trace) win::SetDebugOutputHandler([&](const std::string& l) { traceLines.push_back(l); });

    TScreenBuffer screen;
    TVtInterpreter vt(screen);
    if (rows) screen.SetRows(static_cast<int>(*rows));
    net::TTelnetSession session(screen, vt);
    session.HostName = positional[0];
    session.Port = positional[1];

    bool connected = false, closed = false;
    win::DWORD lastRx = win::GetTickCount();
    session.OnSessionConnected = [&] { connected = true; };
    session.OnSessionClosed = [&] { closed = true; };
    // Every byte received counts, negotiation included: a peer that takes
    // its time over the options is still talking. The socket counts what it
    // reads, whichever handler its events have by then (the session's own
    // handlers may be set anew as it connects), so the count is watched.
    const net::TAsyncSocket* socket = session.TelnetCnx().Socket();
    int readSeen = socket->ReadCount();
    auto heard = [&] {
        const int n = socket->ReadCount();
        if (n == readSeen) return;
        readSeen = n;
        lastRx = win::GetTickCount();
    };

    try {
        session.Connect();
    } catch (const std::exception& e) {
        screen.WriteLn(e.what());
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    win::PumpUntil(
        [&] {
            heard();
            return connected || closed;
        },
        30000);
    if (!connected) {
        std::string text = ScreenText(screen);
        std::fprintf(stderr, "%s", text.c_str());
        int code = session.TelnetCnx().Socket()->LastError();
        if (session.Error() != 0 || code != 0) {
            int shown = session.Error() != 0 ? session.Error() : code;
            std::fprintf(stderr, "Error %d: %s\n", shown, net::WinsockErrorText(shown).c_str());
        } else if (!closed) {
            std::fprintf(stderr, "no answer within 30 s\n");
        }
        return 1;
    }

    // Quiet for waitMs since the last byte received (bounded, for a peer
    // that never stops sending).
    auto settle = [&](win::DWORD since) {
        lastRx = since;
        const long cap = waitMs + 30000;
        win::DWORD start = win::GetTickCount();
        win::PumpUntil(
            [&] {
                heard();
                win::DWORD now = win::GetTickCount();
                return closed || static_cast<long>(now - lastRx) >= waitMs ||
                       static_cast<long>(now - start) >= cap;
            },
            static_cast<int>(cap) + 1000);
    };
    settle(lastRx);
    if (!keys.empty() && !closed) {
        try {
            for (char c : keys)
                session.KeyPress(static_cast<std::uint8_t>(c));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        settle(win::GetTickCount());
    }
    win::ProcessMessages();
    std::string dump = DumpScreen(screen);
    std::fwrite(dump.data(), 1, dump.size(), stdout);
    win::SetDebugOutputHandler({});
    for (const auto& l : traceLines)
        std::fwrite(l.data(), 1, l.size(), stdout);
    session.Disconnect();
    return 0;
}
