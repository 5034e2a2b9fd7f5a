// SOCKS 4, 4A and 5 client frames: the requests a client sends and the
// judgement of the proxy's replies, as pure functions over bytes, so the
// socket layer only moves bytes and fires events.
//
// Every request is built in a string sized for it; lengths that do not fit
// the protocol's single length bytes are refused before anything is sent.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace socks {

// Error codes reported to the owner of a socket (with the texts below).
constexpr int ErrLogic = 20001;            // "TAsyncSocket logic error"
constexpr int ErrVersion = 20002;          // "socks version error"
constexpr int ErrMethod = 20003;           // "authentification method not acceptable"
constexpr int ErrGeneralFailure = 20004;   // reply code 1
constexpr int ErrNotAllowed = 20005;       // 2
constexpr int ErrNetUnreachable = 20006;   // 3
constexpr int ErrHostUnreachable = 20007;  // 4
constexpr int ErrConnRefused = 20008;      // 5
constexpr int ErrTtlExpired = 20009;       // 6
constexpr int ErrCmdNotSupported = 20010;  // 7
constexpr int ErrAddrNotSupported = 20011; // 8
constexpr int ErrUnassigned = 20012;       // any other reply code
constexpr int ErrInternal = 20013;         // a data event in an unknown state
constexpr int ErrAuthFailed = 20015;       // user/password refused
constexpr int ErrRejected = 20016;         // SOCKS 4 code 91
constexpr int ErrResolve = 20017;          // SOCKS 4 could not resolve the destination

// Methods offered in the SOCKS 5 greeting.
constexpr std::uint8_t MethodNone = 0;
constexpr std::uint8_t MethodUserPass = 2;

// A SOCKS 5 reply is at most 4 header bytes, a length byte with 255 name
// bytes, and the port: the reply buffer holds that with room to spare for
// bytes the proxy relays right behind it.
constexpr std::size_t MaxSocks5Reply = 4 + 1 + 255 + 2;
constexpr std::size_t ReplyBufferSize = 512;
constexpr std::size_t Socks4ReplySize = 8;

// Longest text a single length byte can carry.
constexpr std::size_t MaxField = 255;

// The SOCKS 5 reply code's error and text ("unassigned error #N" for codes
// the protocol does not define).
int Socks5ReplyError(std::uint8_t code);
std::string Socks5ReplyText(std::uint8_t code);

// Refusal text when a request could not be built from these values, empty
// when it can. level is "4", "4A" or "5".
std::string CheckRequest(std::string_view level, std::string_view host, std::string_view usercode,
                         std::string_view password, bool authenticate);

// Request builders. The callers check lengths with CheckRequest first; a
// field that was not checked and is too long for its length byte is cut to
// 255 bytes, so a length byte never wraps.
std::string Socks5Greeting(std::uint8_t method);
std::string Socks5UserPassRequest(std::string_view usercode, std::string_view password);
std::string Socks5ConnectRequest(std::string_view host, std::uint16_t port);
// SOCKS 4: ipv4 is the destination in network byte order. SOCKS 4A: pass the
// host name; the address field then carries 0.0.0.1.
std::string Socks4ConnectRequest(std::uint16_t port, std::uint32_t ipv4NetOrder,
                                 std::string_view usercode);
std::string Socks4AConnectRequest(std::uint16_t port, std::string_view usercode,
                                  std::string_view host);

// The judgement of the bytes received so far in one negotiation step.
struct TVerdict {
    enum EKind { NeedMore, Done, Error } Kind = NeedMore;
    int Code = 0;           // error code when Kind == Error
    std::string Text;       // error text when Kind == Error
    std::size_t Used = 0;   // bytes of the reply when Kind == Done
    std::uint8_t Value = 0; // the chosen method or the reply code
};

TVerdict JudgeMethodReply(const std::uint8_t* data, std::size_t n);
TVerdict JudgeUserPassReply(const std::uint8_t* data, std::size_t n);
TVerdict JudgeSocks5Reply(const std::uint8_t* data, std::size_t n);
TVerdict JudgeSocks4Reply(const std::uint8_t* data, std::size_t n);

} // namespace socks
