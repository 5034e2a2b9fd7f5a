// Frames of the window channel between processes of the same user.
//
// A frame is the magic "BPWC", a 32-bit little-endian body length and the
// body. Every body has the same fixed fields followed by three counted
// strings, so a reader can check a frame completely before acting on it:
//
//   u8  kind         TFrameKind
//   u32 seq          matches a reply to its request
//   u64 target       window handle (HWND_BROADCAST: every window)
//   u32 msg          message number in the sender's numbering
//   u64 wParam, i64 lParam
//   i64 result       replies: the handler's result
//   u8  op, i32 arg  window operations (show, foreground, ...)
//   u8  flags        bit 0: the message carries WM_COPYDATA bytes
//   u64 dwData       WM_COPYDATA's dwData
//   u16 + bytes      registered name of msg (empty: a plain number)
//   u16 + bytes      class name (window look-up)
//   u32 + bytes      WM_COPYDATA's bytes
//
// A frame that breaks any of these rules (wrong magic, a length beyond the
// limit, strings that overrun the body or leave bytes over, an unknown
// kind) is garbled; the connection that sent it is dropped.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace win {

enum class TFrameKind : std::uint8_t {
    Post = 1,      // queue a message, no answer
    Send = 2,      // run the handler, answer with Reply
    Reply = 3,     // answer to Send, FindClass or WindowOp
    FindClass = 4, // a window of class ClassName (Reply.Result = handle or 0)
    WindowOp = 5,  // Op on Target (Reply.Result = outcome)
};

enum class TWindowOp : std::uint8_t {
    IsWindow = 1,
    Show = 2, // Arg = show command
    SetForeground = 3,
    IsIconic = 4,
};

struct TChannelFrame {
    TFrameKind Kind = TFrameKind::Post;
    std::uint32_t Seq = 0;
    std::uint64_t Target = 0;
    std::uint32_t Msg = 0;
    std::uint64_t WParam = 0;
    std::int64_t LParam = 0;
    std::int64_t Result = 0;
    std::uint8_t Op = 0;
    std::int32_t Arg = 0;
    bool HasCopyData = false;
    std::uint64_t CopyDwData = 0;
    std::string MsgName;
    std::string ClassName;
    std::string CopyBytes;
};

constexpr std::size_t kFrameHeaderSize = 8;
constexpr std::size_t kMaxFrameBody = 1u << 20;
constexpr std::size_t kMaxFrameName = 255;

// The frame's bytes; names longer than kMaxFrameName or copy data that would
// pass the body limit are the caller's error (EncodeFrame returns "").
std::string EncodeFrame(const TChannelFrame& frame);

// Collects bytes from a stream and cuts them into frames.
class TFrameReader {
public:
    // Adds bytes; false once the stream is garbled (everything after is ignored).
    bool Feed(const char* data, std::size_t size);
    // Takes the next complete frame; false when none is complete yet.
    bool Next(TChannelFrame& out);
    bool Failed() const { return Failed_; }
    // Bytes held for an incomplete frame.
    std::size_t Pending() const { return Buffer_.size() - Start_; }

private:
    std::string Buffer_;
    std::size_t Start_ = 0;
    bool Failed_ = false;
};

// Decodes one body (without magic and length); false when it is garbled.
bool DecodeFrameBody(const char* body, std::size_t size, TChannelFrame& out);

} // namespace win
