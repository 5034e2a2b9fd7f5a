// Proxy replies, HTTP response lines, URLs and line editing from arbitrary
// bytes: none may crash, hang or read outside its input.
#include "net/core/LineSocket.h"
#include "net/core/SocksFrames.h"
#include "net/core/ip_misc.h"
#include "net/core/tcpip.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    socks::JudgeMethodReply(data, size);
    socks::JudgeUserPassReply(data, size);
    socks::TVerdict v = socks::JudgeSocks5Reply(data, size);
    if (v.Kind == socks::TVerdict::Done && (v.Used > size || v.Used > socks::MaxSocks5Reply))
        __builtin_trap();
    socks::JudgeSocks4Reply(data, size);

    const std::string_view s(reinterpret_cast<const char*>(data), size);
    const std::string_view half = s.substr(0, size / 2);
    socks::CheckRequest(size % 2 ? "4A" : "5", half, s.substr(size / 2), half, true);
    SplitUrl(s);
    HttpTarget(s, size % 3 ? std::string_view{} : half);
    int code = 0;
    std::string text, name, value;
    try {
        ParseStatusLine(s, code, text);
    } catch (const EConvertError&) {
    }
    ParseHeaderLine(s, name, value);
    FindNthOccurrence(s.substr(0, size % 4), s, static_cast<int>(size % 9) - 4);

    std::string buf(s), echo;
    const std::size_t from = size ? data[0] % (size + 1) : 0;
    const std::size_t lowest = net::EditLineBytes(buf, from, from / 2, echo);
    if (lowest > buf.size() || lowest < from / 2) __builtin_trap();
    return 0;
}
