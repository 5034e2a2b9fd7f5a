#include "platform/core/CrossProcessFrames.h"

#include <cstring>

namespace win {
namespace {

const char kMagic[4] = {'B', 'P', 'W', 'C'};
// kind, seq, target, msg, wParam, lParam, result, op, arg, flags, dwData
constexpr std::size_t kFixedSize = 1 + 4 + 8 + 4 + 8 + 8 + 8 + 1 + 4 + 1 + 8;

void PutLe(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

class TBodyReader {
public:
    TBodyReader(const char* p, std::size_t n)
        : P_(reinterpret_cast<const unsigned char*>(p)), N_(n) {}
    bool Le(int bytes, std::uint64_t& v) {
        if (N_ - Pos_ < static_cast<std::size_t>(bytes)) return false;
        v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= static_cast<std::uint64_t>(P_[Pos_ + i]) << (8 * i);
        Pos_ += static_cast<std::size_t>(bytes);
        return true;
    }
    bool Counted(int lenBytes, std::size_t limit, std::string& s) {
        std::uint64_t len = 0;
        if (!Le(lenBytes, len) || len > limit || len > N_ - Pos_) return false;
        s.assign(reinterpret_cast<const char*>(P_ + Pos_), static_cast<std::size_t>(len));
        Pos_ += static_cast<std::size_t>(len);
        return true;
    }
    bool AtEnd() const { return Pos_ == N_; }

private:
    const unsigned char* P_;
    std::size_t N_;
    std::size_t Pos_ = 0;
};

bool KnownKind(std::uint64_t k) {
    return k >= 1 && k <= 5;
}

} // namespace

std::string EncodeFrame(const TChannelFrame& f) {
    if (f.MsgName.size() > kMaxFrameName || f.ClassName.size() > kMaxFrameName) return {};
    std::size_t body =
        kFixedSize + 2 + f.MsgName.size() + 2 + f.ClassName.size() + 4 + f.CopyBytes.size();
    if (body > kMaxFrameBody) return {};
    std::string out(kMagic, sizeof kMagic);
    out.reserve(kFrameHeaderSize + body);
    PutLe(out, body, 4);
    PutLe(out, static_cast<std::uint8_t>(f.Kind), 1);
    PutLe(out, f.Seq, 4);
    PutLe(out, f.Target, 8);
    PutLe(out, f.Msg, 4);
    PutLe(out, f.WParam, 8);
    PutLe(out, static_cast<std::uint64_t>(f.LParam), 8);
    PutLe(out, static_cast<std::uint64_t>(f.Result), 8);
    PutLe(out, f.Op, 1);
    PutLe(out, static_cast<std::uint32_t>(f.Arg), 4);
    PutLe(out, f.HasCopyData ? 1 : 0, 1);
    PutLe(out, f.CopyDwData, 8);
    PutLe(out, f.MsgName.size(), 2);
    out += f.MsgName;
    PutLe(out, f.ClassName.size(), 2);
    out += f.ClassName;
    PutLe(out, f.CopyBytes.size(), 4);
    out += f.CopyBytes;
    return out;
}

bool DecodeFrameBody(const char* body, std::size_t size, TChannelFrame& f) {
    if (size < kFixedSize || size > kMaxFrameBody) return false;
    TBodyReader r(body, size);
    std::uint64_t v[11];
    const int widths[11] = {1, 4, 8, 4, 8, 8, 8, 1, 4, 1, 8};
    for (int i = 0; i < 11; ++i)
        if (!r.Le(widths[i], v[i])) return false;
    if (!KnownKind(v[0]) || v[9] > 1) return false;
    TChannelFrame out;
    out.Kind = static_cast<TFrameKind>(v[0]);
    out.Seq = static_cast<std::uint32_t>(v[1]);
    out.Target = v[2];
    out.Msg = static_cast<std::uint32_t>(v[3]);
    out.WParam = v[4];
    out.LParam = static_cast<std::int64_t>(v[5]);
    out.Result = static_cast<std::int64_t>(v[6]);
    out.Op = static_cast<std::uint8_t>(v[7]);
    out.Arg = static_cast<std::int32_t>(static_cast<std::uint32_t>(v[8]));
    out.HasCopyData = v[9] != 0;
    out.CopyDwData = v[10];
    if (!r.Counted(2, kMaxFrameName, out.MsgName) || !r.Counted(2, kMaxFrameName, out.ClassName) ||
        !r.Counted(4, kMaxFrameBody, out.CopyBytes) || !r.AtEnd())
        return false;
    if (!out.HasCopyData && !out.CopyBytes.empty()) return false;
    f = std::move(out);
    return true;
}

bool TFrameReader::Feed(const char* data, std::size_t size) {
    if (Failed_) return false;
    // Drop what was consumed before the buffer grows again.
    if (Start_ > 0 && Start_ == Buffer_.size()) {
        Buffer_.clear();
        Start_ = 0;
    } else if (Start_ > 65536) {
        Buffer_.erase(0, Start_);
        Start_ = 0;
    }
    Buffer_.append(data, size);
    // Check the header as soon as it is there, so a garbled stream is
    // refused before its claimed length is ever waited for.
    std::size_t have = Buffer_.size() - Start_;
    if (have >= 4 && std::memcmp(Buffer_.data() + Start_, kMagic, 4) != 0) Failed_ = true;
    if (have >= kFrameHeaderSize) {
        std::uint32_t len = 0;
        for (int i = 0; i < 4; ++i)
            len |= static_cast<std::uint32_t>(static_cast<unsigned char>(Buffer_[Start_ + 4 + i]))
                   << (8 * i);
        if (len > kMaxFrameBody || len < kFixedSize) Failed_ = true;
    }
    return !Failed_;
}

bool TFrameReader::Next(TChannelFrame& out) {
    if (Failed_) return false;
    std::size_t have = Buffer_.size() - Start_;
    if (have < kFrameHeaderSize) return false;
    const char* p = Buffer_.data() + Start_;
    if (std::memcmp(p, kMagic, 4) != 0) {
        Failed_ = true;
        return false;
    }
    std::uint32_t len = 0;
    for (int i = 0; i < 4; ++i)
        len |= static_cast<std::uint32_t>(static_cast<unsigned char>(p[4 + i])) << (8 * i);
    if (len > kMaxFrameBody || len < kFixedSize) {
        Failed_ = true;
        return false;
    }
    if (have < kFrameHeaderSize + len) return false;
    if (!DecodeFrameBody(p + kFrameHeaderSize, len, out)) {
        Failed_ = true;
        return false;
    }
    Start_ += kFrameHeaderSize + len;
    // Header of the following frame checked at once as well.
    if (Buffer_.size() - Start_ >= 4 && std::memcmp(Buffer_.data() + Start_, kMagic, 4) != 0)
        Failed_ = true;
    return true;
}

} // namespace win
