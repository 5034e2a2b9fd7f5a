#include "net/core/SocksFrames.h"

namespace socks {

int Socks5ReplyError(std::uint8_t code) {
    if (code >= 1 && code <= 8) return ErrGeneralFailure + code - 1;
    return ErrUnassigned;
}

std::string Socks5ReplyText(std::uint8_t code) {
    switch (code) {
    case 1:
        return "general SOCKS server failure";
    case 2:
        return "connection not allowed by ruleset";
    case 3:
        return "network unreachable";
    case 4:
        return "host unreachable";
    case 5:
        return "connection refused";
    case 6:
        return "time to live expired";
    case 7:
        return "command not supported";
    case 8:
        return "address type not supported";
    default:
        return "unassigned error #" + std::to_string(code);
    }
}

std::string CheckRequest(std::string_view level, std::string_view host, std::string_view usercode,
                         std::string_view password, bool authenticate) {
    const bool v4 = !level.empty() && level[0] == '4';
    const bool v4a = level == "4A";
    if (v4) {
        // SOCKS 4 ends the user code and the 4A host name with a NUL byte.
        if (usercode.size() > MaxField) return "Socks usercode too long (255 bytes at most)";
        if (usercode.find('\0') != std::string_view::npos)
            return "Socks usercode must not contain a NUL byte";
        if (v4a) {
            if (host.size() > MaxField)
                return "Host name too long for socks server (255 bytes at most)";
            if (host.find('\0') != std::string_view::npos)
                return "Host name must not contain a NUL byte";
        }
        return {};
    }
    // SOCKS 5 carries each of these behind a single length byte.
    if (host.size() > MaxField) return "Host name too long for socks server (255 bytes at most)";
    if (authenticate) {
        if (usercode.size() > MaxField) return "Socks usercode too long (255 bytes at most)";
        if (password.size() > MaxField) return "Socks password too long (255 bytes at most)";
    }
    return {};
}

namespace {

void PutPort(std::string& out, std::uint16_t port) {
    out.push_back(static_cast<char>(port >> 8));
    out.push_back(static_cast<char>(port & 0xFF));
}

char LengthByte(std::size_t n) {
    return static_cast<char>(n > MaxField ? MaxField : n);
}

TVerdict Fail(int code, std::string text) {
    TVerdict v;
    v.Kind = TVerdict::Error;
    v.Code = code;
    v.Text = std::move(text);
    return v;
}

TVerdict Complete(std::size_t used, std::uint8_t value) {
    TVerdict v;
    v.Kind = TVerdict::Done;
    v.Used = used;
    v.Value = value;
    return v;
}

} // namespace

std::string Socks5Greeting(std::uint8_t method) {
    return std::string{'\x05', '\x01', static_cast<char>(method)};
}

std::string Socks5UserPassRequest(std::string_view usercode, std::string_view password) {
    // Over-long fields are refused by CheckRequest before this is reached;
    // should one slip through, it is cut to what its length byte says.
    usercode = usercode.substr(0, MaxField);
    password = password.substr(0, MaxField);
    std::string out;
    out.reserve(3 + usercode.size() + password.size());
    out.push_back('\x01');
    out.push_back(LengthByte(usercode.size()));
    out.append(usercode);
    out.push_back(LengthByte(password.size()));
    out.append(password);
    return out;
}

std::string Socks5ConnectRequest(std::string_view host, std::uint16_t port) {
    host = host.substr(0, MaxField);
    std::string out{'\x05', '\x01', '\x00', '\x03'};
    out.push_back(LengthByte(host.size()));
    out.append(host);
    PutPort(out, port);
    return out;
}

std::string Socks4ConnectRequest(std::uint16_t port, std::uint32_t ipv4NetOrder,
                                 std::string_view usercode) {
    std::string out{'\x04', '\x01'};
    PutPort(out, port);
    // The address is already in network order: its bytes go out as they lie.
    const auto* b = reinterpret_cast<const unsigned char*>(&ipv4NetOrder);
    out.append(reinterpret_cast<const char*>(b), 4);
    out.append(usercode);
    out.push_back('\0');
    return out;
}

std::string Socks4AConnectRequest(std::uint16_t port, std::string_view usercode,
                                  std::string_view host) {
    std::string out{'\x04', '\x01'};
    PutPort(out, port);
    out.append({'\x00', '\x00', '\x00', '\x01'});
    out.append(usercode);
    out.push_back('\0');
    out.append(host);
    out.push_back('\0');
    return out;
}

TVerdict JudgeMethodReply(const std::uint8_t* data, std::size_t n) {
    if (n < 2) return {};
    if (data[0] != 5) return Fail(ErrVersion, "socks version error");
    if (data[1] != MethodNone && data[1] != MethodUserPass)
        return Fail(ErrMethod, "authentification method not acceptable");
    return Complete(2, data[1]);
}

TVerdict JudgeUserPassReply(const std::uint8_t* data, std::size_t n) {
    if (n >= 1 && data[0] != 1) return Fail(ErrVersion, "socks version error");
    if (n > 2) return Fail(ErrLogic, "too much data availaible");
    if (n < 2) return {};
    if (data[1] != 0) return Fail(ErrAuthFailed, "socks authentication failed");
    return Complete(2, 0);
}

TVerdict JudgeSocks5Reply(const std::uint8_t* data, std::size_t n) {
    if (n >= 1 && data[0] != 5) return Fail(ErrVersion, "socks version error");
    if (n < 2) return {};
    if (data[1] != 0) return Fail(Socks5ReplyError(data[1]), Socks5ReplyText(data[1]));
    if (n < 5) return {};
    std::size_t need = 0;
    switch (data[3]) {
    case 1:
        need = 4 + 4 + 2;
        break;
    case 3:
        need = 4 + 1 + data[4] + 2;
        break;
    // An IPv6 bound address is legal and, like the others, not used.
    case 4:
        need = 4 + 16 + 2;
        break;
    default:
        return Fail(ErrAddrNotSupported, "address type not supported");
    }
    if (n < need) return {};
    return Complete(need, 0);
}

TVerdict JudgeSocks4Reply(const std::uint8_t* data, std::size_t n) {
    if (n < Socks4ReplySize) return {};
    if (data[0] != 0) return Fail(ErrVersion, "socks version error");
    switch (data[1]) {
    case 90:
        return Complete(Socks4ReplySize, 90);
    case 91:
        return Fail(ErrRejected, "request rejected or failed");
    case 92:
        return Fail(ErrConnRefused, "connection refused");
    case 93:
        return Fail(ErrAuthFailed, "authentification failed");
    default:
        return Fail(ErrUnassigned, "unassigned error #" + std::to_string(data[1]));
    }
}

} // namespace socks
