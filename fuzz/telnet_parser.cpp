// Telnet parser over arbitrary bytes in arbitrary pieces: no crash, bounded
// memory, every reply a well-formed command, and the same data and replies
// whatever the pieces.
#include "net/core/TelnetCnx.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class TRecorder : public net::TTelnetCnx {
public:
    TRecorder() {
        OnDataAvailable = [this](net::TTelnetCnx*, char* buf, int len) {
            if (len <= 0 || len > DataBufferSize || buf[len] != '\0') std::abort();
            Data.append(buf, static_cast<std::size_t>(len));
        };
    }
    int Send(const void* buf, int len) override {
        Replies.emplace_back(static_cast<const char*>(buf), static_cast<std::size_t>(len));
        return len;
    }
    std::string Data;
    std::vector<std::string> Replies;
};

void CheckReply(const std::string& r) {
    auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(r[i]); };
    if (r.size() == 3) {
        if (at(0) != net::tn::IAC || at(1) < net::tn::WILL) std::abort();
        return;
    }
    if (r.size() < 5 || at(0) != net::tn::IAC || at(1) != net::tn::SB ||
        at(r.size() - 2) != net::tn::IAC || at(r.size() - 1) != net::tn::SE)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t seed = data[0];
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t n = size - 1;

    TRecorder whole;
    whole.ProcessBytes(bytes, static_cast<int>(n));

    TRecorder pieces;
    std::size_t off = 0;
    unsigned state = seed | 1u;
    while (off < n) {
        state = state * 1103515245u + 12345u;
        std::size_t len = 1 + (state >> 16) % 7;
        if (len > n - off) len = n - off;
        pieces.ProcessBytes(bytes + off, static_cast<int>(len));
        off += len;
    }
    if (whole.Data != pieces.Data || whole.Replies != pieces.Replies) std::abort();
    for (const auto& r : whole.Replies)
        CheckReply(r);
    // Replies are bounded by the input: at most two per 3-byte request.
    if (whole.Replies.size() > n) std::abort();
    return 0;
}
