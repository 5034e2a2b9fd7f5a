// One chunk of a socket's send queue: a byte block written at the back and
// read from the front.
#pragma once
#include <vector>

namespace net {

class TBuffer {
public:
    // A requested size of 0 or less gives 1514 bytes.
    explicit TBuffer(int size = 1514);

    // Copies as many of the Len bytes as fit behind what was written; returns
    // the count (0 when full).
    int Write(const void* data, int len);
    // The unread bytes: a pointer to them and their count (null, 0 when none).
    const char* Peek(int& len) const;
    // Marks Len unread bytes as read; when all are read the chunk is empty again.
    void Remove(int len);
    // Resizes, keeping the bytes written so far when unread data is present
    // (as many as fit).
    void SetBufSize(int size);

    int BufSize() const { return static_cast<int>(Buf.size()); }
    int WrCount() const { return Wr; }
    int RdCount() const { return Rd; }

private:
    std::vector<char> Buf;
    int Wr = 0;
    int Rd = 0;
};

} // namespace net
