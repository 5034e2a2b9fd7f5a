// Window-channel frames from arbitrary bytes: the reader never crashes or
// reads outside its input, and every frame it accepts encodes back to a frame
// that decodes the same.
#include "platform/core/CrossProcessFrames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* p = reinterpret_cast<const char*>(data);
    win::TFrameReader reader;
    // Fed in uneven pieces, as a socket delivers them.
    std::size_t pos = 0, piece = 1;
    while (pos < size && !reader.Failed()) {
        std::size_t n = piece < size - pos ? piece : size - pos;
        reader.Feed(p + pos, n);
        pos += n;
        piece = piece * 3 % 17 + 1;
        win::TChannelFrame f;
        while (reader.Next(f)) {
            std::string again = win::EncodeFrame(f);
            win::TChannelFrame g;
            if (again.size() < win::kFrameHeaderSize ||
                !win::DecodeFrameBody(again.data() + win::kFrameHeaderSize,
                                      again.size() - win::kFrameHeaderSize, g) ||
                g.MsgName != f.MsgName || g.CopyBytes != f.CopyBytes || g.Target != f.Target)
                __builtin_trap();
        }
    }
    win::TChannelFrame f;
    win::DecodeFrameBody(p, size, f);
    return 0;
}
