#include "net/core/tcpip.h"

#include "net/core/ip_misc.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

int StrToInt(std::string_view s) {
    auto bad = [&] {
        return EConvertError("'" + std::string(s) + "' is not a valid integer value");
    };
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i >= s.size()) throw bad();
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) throw bad();
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) throw bad();
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) throw bad();
    return static_cast<int>(v);
}

TUrlParts SplitUrl(std::string_view url) {
    TUrlParts p;
    std::string_view rest = url;
    if (auto at = url.find("://"); at != std::string_view::npos) {
        p.Proto = url.substr(0, at);
        rest = url.substr(at + 3);
    } else {
        std::string head(url.substr(0, 7));
        for (char& c : head)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (head == "mailto:") {
            p.Proto = "mailto";
            rest = url.substr(url.find(':') + 1);
        }
    }
    if (auto slash = rest.find('/'); slash != std::string_view::npos) {
        p.Path = rest.substr(slash);
        rest = rest.substr(0, slash);
    }
    const int len = static_cast<int>(rest.size());
    int c = FindNthOccurrence(":", rest, -1);
    int a = FindNthOccurrence("@", rest, -1);
    if (c > len) c = 0;
    if (a > len) a = 0;
    if (c == 0 && a == 0) {
        p.Host = rest;
    } else if (c <= a) {
        p.Host = rest.substr(a);
    } else {
        p.Port = rest.substr(c);
        p.Host = rest.substr(a, c - 1 - a);
    }
    if (a > 0) {
        std::string_view cred = rest.substr(0, a - 1);
        if (auto colon = cred.find(':'); colon != std::string_view::npos) {
            p.User = cred.substr(0, colon);
            p.Password = cred.substr(colon + 1);
        } else {
            p.User = cred;
        }
    }
    return p;
}

THttpTarget HttpTarget(std::string_view url, std::string_view proxy) {
    THttpTarget t;
    if (proxy.empty()) {
        TUrlParts u = SplitUrl(url);
        t.Host = u.Host;
        t.Port = u.Port.empty() ? "80" : u.Port;
        t.Path = u.Path;
    } else {
        t.Path = url.find("://") == std::string_view::npos ? "http://" + std::string(url)
                                                           : std::string(url);
        TUrlParts p = SplitUrl(proxy);
        t.Host = p.Host;
        t.Port = p.Port.empty() ? "8080" : p.Port;
    }
    if (t.Path.empty()) t.Path.push_back('/');
    return t;
}

bool ParseStatusLine(std::string_view line, int& code, std::string& text) {
    // Any HTTP/1.x version: a 1.1 server's error must not pass for a body.
    if (line.size() < 8 || line.substr(0, 7) != "HTTP/1.") return false;
    code = StrToInt(line.size() > 9 ? line.substr(9, 3) : std::string_view{});
    text = line.size() > 13 ? std::string(line.substr(13)) : std::string();
    return true;
}

bool ParseHeaderLine(std::string_view line, std::string& name, std::string& value) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    name = line.substr(0, colon);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t v = colon + 1;
    while (v < line.size() && (line[v] == ' ' || line[v] == '\t'))
        ++v;
    value = line.substr(v);
    return true;
}

// ---- T_NetComponent -----------------------------------------------------------

T_NetComponent::~T_NetComponent() {
    // Each notified component may detach itself meanwhile: work on a copy.
    const auto attached = Attached;
    for (T_NetComponent* c : attached)
        c->NotifyDestroy(this);
}

void T_NetComponent::Attach(T_NetComponent* other) {
    if (other && std::find(Attached.begin(), Attached.end(), other) == Attached.end())
        Attached.push_back(other);
}

void T_NetComponent::Detach(T_NetComponent* other) {
    Attached.erase(std::remove(Attached.begin(), Attached.end(), other), Attached.end());
}

void T_NetComponent::NotifyDestroy(T_NetComponent*) {}

// ---- T_TcpIp ------------------------------------------------------------------

namespace ws = win::wsock32;

T_TcpIp::T_TcpIp() : Buffer_(ReceiveBufferSize) {
    StartWinsock();
    Wnd_ = win::AllocateHWnd([this](win::TMessage& m) { WndProc(m); });
}

T_TcpIp::~T_TcpIp() {
    CloseSocket(Socket_);
    win::DeallocateHWnd(Wnd_);
}

void T_TcpIp::Trace(const std::string& text, int level) {
    if (OnTrace) OnTrace(text, level);
}

void T_TcpIp::WndProc(win::TMessage& msg) {
    constexpr win::UINT WM_QUERYENDSESSION = 0x0011;
    if (msg.Msg == WM_DATA_READY) {
        if (msg.LParam == 1) DataReady_ = true;
        msg.Result = 0;
    } else if (msg.Msg == WM_QUERYENDSESSION) {
        msg.Result = 1;
    } else {
        msg.Result = 0;
    }
}

void T_TcpIp::OpenSocketOut(win::SOCKET& handle, std::uint16_t port, std::uint32_t address) {
    if (handle != win::INVALID_SOCKET) CloseSocket(handle);
    handle = ws::socket(AF_INET, SOCK_STREAM, 0);
    if (handle == win::INVALID_SOCKET) return;
    if (ReceiveTimeout > 0) {
        timeval tv{ReceiveTimeout / 1000, (ReceiveTimeout % 1000) * 1000};
        ws::setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&tv),
                       sizeof tv);
    }
    ConnectSocket(handle, port, address);
}

void T_TcpIp::ConnectSocket(win::SOCKET& handle, std::uint16_t port, std::uint32_t address) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = NetOrder16(port);
    a.sin_addr.s_addr = address;
    if (ws::connect(handle, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) {
        Trace("Opened output socket " + std::to_string(port) + " to host " +
                  IpToDottedText(address) + " successfully; ID " + std::to_string(handle),
              2);
        return;
    }
    const int err = ws::WSAGetLastError();
    if (err == win::WSAEWOULDBLOCK) return;
    CloseSocket(handle);
    ws::WSASetLastError(err); // the caller reports the connect's error
    Trace("Failed to open output socket " + std::to_string(port) + " to host " +
              IpToDottedText(address),
          2);
}

void T_TcpIp::CloseSocket(win::SOCKET& handle) {
    if (handle == win::INVALID_SOCKET) return;
    ws::closesocket(handle);
    Trace("Closed socket ID " + std::to_string(handle), 2);
    handle = win::INVALID_SOCKET;
}

void T_TcpIp::Login() {
    if (Connected_) Logout();
    Address_ = ResolveHostAddress(Host);
    if (Address_ == 0xFFFFFFFFu) throw ETcpIpError("Couldn't resolve hostname " + Host);
    OpenSocketOut(Socket_, Port, Address_);
    if (Socket_ == win::INVALID_SOCKET) throw ESocketError(ws::WSAGetLastError());
    EndOfData_ = false;
    Connected_ = true;
}

void T_TcpIp::Logout() {
    CloseSocket(Socket_);
    Socket_ = win::INVALID_SOCKET;
    Connected_ = false;
}

T_TcpIp::EStatus T_TcpIp::ConnectionStatus(win::SOCKET handle) {
    if (handle == win::INVALID_SOCKET) return EStatus::NotConnected;
    sockaddr_in a{};
    int len = sizeof a;
    if (ws::getpeername(handle, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        return EStatus::Connected;
    return ws::WSAGetLastError() == win::WSAENOTCONN ? EStatus::NotYetConnected : EStatus::Broken;
}

bool T_TcpIp::AtEnd(win::SOCKET handle) {
    if (EndOfData_) return true;
    return ConnectionStatus(handle) != EStatus::Connected;
}

void T_TcpIp::WriteBuf(win::SOCKET handle, const char* data, int& len) {
    len = ws::send(handle, data, len, 0);
    Trace("Sent " + std::to_string(len) + " bytes on socket ID " + std::to_string(handle), 2);
}

void T_TcpIp::WriteString(win::SOCKET handle, const std::string& s) {
    int len = static_cast<int>(s.size());
    WriteBuf(handle, s.data(), len);
}

void T_TcpIp::SendCommand(const std::string& s) {
    WriteString(Socket_, s + "\r\n");
    Trace(s, 0);
}

void T_TcpIp::ReadVar(win::SOCKET handle, char* buffer, int& count, int size) {
    std::vector<char> temp;
    if (!buffer) {
        temp.resize(static_cast<std::size_t>(size > 0 ? size : 1));
        buffer = temp.data();
    }
    for (;;) {
        count = ws::recv(handle, buffer, size, 0);
        if (count >= 1) {
            Trace("Received " + std::to_string(count) + " bytes on socket ID " +
                      std::to_string(handle),
                  2);
            return;
        }
        const int err = count < 0 ? ws::WSAGetLastError() : 0;
        if (count < 0 && err == win::WSAEWOULDBLOCK && AsyncWait_) {
            DataReady_ = false;
            win::PumpUntil([this] { return DataReady_; }, ReceiveTimeout > 0 ? ReceiveTimeout : -1);
            if (DataReady_) continue;
        }
        // The peer closed, the connection broke, or it stayed silent past
        // ReceiveTimeout: either way no more data comes.
        EndOfData_ = true;
        return;
    }
}

bool T_TcpIp::ReadLine(win::SOCKET handle, std::string& line) {
    constexpr std::size_t MaxLine = 65536;
    std::string s;
    for (;;) {
        char c = 0;
        int n = 0;
        ReadVar(handle, &c, n, 1);
        if (n == 1) {
            if (c == '\n') {
                line = std::move(s);
                return true;
            }
            if (c != '\r') s.push_back(c);
            if (s.size() > MaxLine) throw EProtocolError("HTTP", 0, "Response line too long");
        }
        if (AtEnd(handle)) return false;
    }
}

void T_TcpIp::ReadBody() {
    Stream.Clear();
    while (!AtEnd(Socket_)) {
        int count = 0;
        ReadVar(Socket_, Buffer_.data(), count, ReceiveBufferSize);
        if (count > 0) Stream.Data.append(Buffer_.data(), static_cast<std::size_t>(count));
    }
    Stream.Position = 0;
}

void T_TcpIp::Get() {
    Login();
    ReadBody();
}

// ---- T_HTTP -------------------------------------------------------------------

namespace {

std::uint16_t PortNumber(const std::string& text) {
    const int p = StrToInt(text);
    if (p < 0 || p > 65535) throw EConvertError("'" + text + "' is not a valid port number");
    return static_cast<std::uint16_t>(p);
}

} // namespace

T_HTTP::T_HTTP() = default;

void T_HTTP::Get() {
    THttpTarget t = HttpTarget(URL, Proxy);
    Host = t.Host;
    Path_ = t.Path;
    Port = PortNumber(t.Port);
    RequestHead();
    RequestGet();
}

void T_HTTP::RequestHead() {
    Login();
    WriteRequestHeaders("HEAD", "1.0");
    ReadResponseHeaders();
    Logout();
}

void T_HTTP::RequestGet() {
    Login();
    WriteRequestHeaders("GET", "1.0");
    ReadResponseHeaders();
    ReadBody();
    Logout();
}

void T_HTTP::WriteRequestHeaders(const std::string& method, const std::string& version) {
    SendCommand(method + " " + Path_ + " HTTP/" + version);
    if (!Sender.empty()) SendCommand("From: " + Sender);
    if (!Reference.empty()) SendCommand("Referer: " + Reference);
    if (!Agent.empty()) SendCommand("User-Agent: " + Agent);
    if (NoCache) SendCommand("Pragma: no-cache");
    if (method == "POST") {
        SendCommand("Content-Length: " + std::to_string(Stream.Data.size()));
        if (!ContentTypePost.empty()) SendCommand("Content-Type: " + ContentTypePost);
    }
    if (!Authorization.empty()) {
        WriteString(Socket_, "Authorization: " + Authorization + "\r\n");
        Trace("Authorization: *****", 0);
    }
    WriteString(Socket_, "\r\n");
}

void T_HTTP::ReadResponseHeaders() {
    Challenges_.clear();
    ContentType_.clear();
    ContentLength_ = 0;
    // Each response is judged by its own status line.
    StatusCode_ = 0;
    StatusText_.clear();
    std::string line;
    // A response cut before its empty line ends the headers there.
    while (ReadLine(Socket_, line) && !line.empty()) {
        Trace(line, 1);
        int code = 0;
        std::string text;
        if (ParseStatusLine(line, code, text)) {
            StatusCode_ = code;
            StatusText_ = text;
            if (code >= 400) throw EProtocolError("HTTP", code, text);
            continue;
        }
        std::string name, value;
        if (!ParseHeaderLine(line, name, value)) continue;
        if (name == "location") {
            if (Proxy.empty()) {
                TUrlParts u = SplitUrl(value);
                // A relative location keeps the server it came from.
                if (!u.Host.empty()) Host = u.Host;
                Path_ = u.Path.empty() ? "/" : u.Path;
                if (!u.Port.empty()) Port = PortNumber(u.Port);
            } else if (value.find("://") == std::string::npos) {
                TUrlParts u = SplitUrl(Path_);
                Path_ = u.Proto + "://" + u.Host + (u.Port.empty() ? "" : ":" + u.Port) +
                        (value.empty() || value[0] != '/' ? "/" : "") + value;
            } else {
                Path_ = value;
            }
        } else if (name == "content-length") {
            try {
                ContentLength_ = StrToInt(value);
            } catch (const EConvertError&) {
                ContentLength_ = 0; // not used for reading: the body runs to the end
            }
        } else if (name == "content-type") {
            ContentType_ = value;
        } else if (name == "www-authenticate") {
            Challenges_.push_back(value);
        }
    }
    if (StatusCode_ >= 400) throw EProtocolError("HTTP", StatusCode_, StatusText_);
}
