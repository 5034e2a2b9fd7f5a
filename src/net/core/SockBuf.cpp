#include "net/core/SockBuf.h"

#include <algorithm>
#include <cstring>

namespace net {

TBuffer::TBuffer(int size) {
    SetBufSize(size);
}

int TBuffer::Write(const void* data, int len) {
    if (!data || len <= 0) return 0;
    int n = std::min(BufSize() - Wr, len);
    if (n <= 0) return 0;
    std::memcpy(Buf.data() + Wr, data, static_cast<std::size_t>(n));
    Wr += n;
    return n;
}

const char* TBuffer::Peek(int& len) const {
    len = Wr - Rd;
    if (len <= 0) {
        len = 0;
        return nullptr;
    }
    return Buf.data() + Rd;
}

void TBuffer::Remove(int len) {
    if (len <= 0) return;
    Rd += std::min(len, Wr - Rd);
    if (Rd >= Wr) Rd = Wr = 0;
}

void TBuffer::SetBufSize(int size) {
    if (size <= 0) size = 1514;
    if (Wr - Rd > 0) {
        Buf.resize(static_cast<std::size_t>(size));
        Wr = std::min(Wr, size);
        Rd = std::min(Rd, Wr);
    } else {
        Buf.assign(static_cast<std::size_t>(size), 0);
        Wr = Rd = 0;
    }
}

} // namespace net
