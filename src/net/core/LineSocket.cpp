#include "net/core/LineSocket.h"

#include <algorithm>
#include <cstring>

namespace net {

std::size_t EditLineBytes(std::string& buf, std::size_t from, std::size_t floor,
                          std::string& echo) {
    if (from > buf.size()) from = buf.size();
    if (floor > from) floor = from;
    // Without a backspace or tab the bytes stay as they are.
    if (buf.find_first_of("\b\t", from) == std::string::npos) {
        echo.append(buf, from, std::string::npos);
        return from;
    }
    std::string work(buf, 0, from);
    std::size_t lowest = from;
    for (std::size_t i = from; i < buf.size(); ++i) {
        const char c = buf[i];
        if (c == '\b') {
            if (work.size() > floor) {
                echo += "\b \b";
                work.pop_back();
                lowest = std::min(lowest, work.size());
            }
        } else if (c == '\t') {
            do {
                work.push_back(' ');
                echo.push_back(' ');
            } while (work.size() % 8 != 0);
        } else {
            work.push_back(c);
            echo.push_back(c);
        }
    }
    buf.swap(work);
    return lowest;
}

TCustomLineSocket::TCustomLineSocket() = default;

TCustomLineSocket::~TCustomLineSocket() = default;

void TCustomLineSocket::FireLineLimitExceeded(int RcvdLength, bool& ClearData) {
    if (OnLineLimitExceeded) OnLineLimitExceeded(this, RcvdLength, ClearData);
}

void TCustomLineSocket::SetLineModeValue(bool Value) {
    if (Value == FLineMode) return;
    FLineMode = Value;
    // A line half read in the old mode is, in the new one, ordinary
    // buffered bytes, delivered again from its unread part on.
    FLineLength = 0;
    if (!FLineBuf.empty()) win::PostMessage(FWindowHandle, WM_TRIGGER_DATA_AVAILABLE, 0, 0);
}

void TCustomLineSocket::EditLine(int& Len) {
    const std::size_t from = FLineBuf.size() - static_cast<std::size_t>(Len);
    std::string echo;
    FEditStart = EditLineBytes(FLineBuf, from, FLineLength, echo);
    Len = static_cast<int>(FLineBuf.size() - FEditStart);
    if (LineEcho && !echo.empty()) SendStr(echo);
}

void TCustomLineSocket::WndProc(win::TMessage& MsgRec) {
    if (MsgRec.Msg != WM_TRIGGER_DATA_AVAILABLE) {
        TCustomSocksSocket::WndProc(MsgRec);
        return;
    }
    std::lock_guard lock(FLock);
    try {
        DeliverPendingData();
    } catch (const std::exception& e) {
        HandleBgException(e);
    } catch (...) {
        HandleBgException(ESocketException("Unknown exception"));
    }
}

int TCustomLineSocket::GetRcvdCount() {
    if (FLineMode) return static_cast<int>(FLineLength);
    // Bytes kept from line mode are what the next read returns.
    if (!FLineBuf.empty()) return static_cast<int>(FLineBuf.size());
    return TCustomSocksSocket::GetRcvdCount();
}

std::size_t TCustomLineSocket::TakeFront(void* Buffer, std::size_t Size) {
    const std::size_t n = std::min(Size, FLineBuf.size());
    std::memcpy(Buffer, FLineBuf.data(), n);
    FLineBuf.erase(0, n);
    FTaken += n;
    return n;
}

int TCustomLineSocket::RecvRaw(void* Buffer, int BufferSize, int Flags) {
    if (!FReadThrough) {
        if (FLineMode && FLineLength > 0) {
            if (BufferSize <= 0) return 0;
            const std::size_t n =
                TakeFront(Buffer, std::min(static_cast<std::size_t>(BufferSize), FLineLength));
            FLineLength -= n;
            return static_cast<int>(n);
        }
        if (!FLineMode && !FLineBuf.empty()) {
            if (BufferSize <= 0) return 0;
            return static_cast<int>(TakeFront(Buffer, static_cast<std::size_t>(BufferSize)));
        }
    }
    return TCustomSocksSocket::RecvRaw(Buffer, BufferSize, Flags);
}

bool TCustomLineSocket::OfferLine() {
    while (FLineMode && FLineLength > 0) {
        const std::size_t before = FTaken;
        if (!TCustomSocksSocket::FireDataAvailable(0)) {
            // Nobody listens: the line is dropped.
            FLineBuf.erase(0, std::min(FLineLength, FLineBuf.size()));
            FTaken += FLineLength;
            FLineLength = 0;
            return true;
        }
        // A handler that reads nothing would be offered the line forever:
        // it stays buffered for a later read instead.
        if (FTaken == before) return false;
    }
    return true;
}

bool TCustomLineSocket::DeliverLines(std::size_t Search) {
    const std::size_t endLen = LineEnd.size();
    while (FLineMode && !LineEnd.empty()) {
        if (FLineLength == 0) {
            if (FLineBuf.size() < endLen) break;
            const std::size_t p = FLineBuf.find(LineEnd, std::min(Search, FLineBuf.size()));
            if (p == std::string::npos) break;
            FLineLength = p + endLen;
        }
        if (!OfferLine()) return false;
        Search = 0;
    }
    return true;
}

bool TCustomLineSocket::LineDataAvailable(WORD Error) {
    if (!FLineMode || LineEnd.empty() || FSocksState != socksStateNone)
        return TCustomSocksSocket::FireDataAvailable(Error);

    int n = TCustomSocksSocket::GetRcvdCount();
    if (n < 0) return true;
    if (n == 0) n = 255;
    // Read from the socket (or the SOCKS layer's kept bytes), behind what is
    // buffered, even while a line is waiting to be read.
    const std::size_t old = FLineBuf.size();
    FLineBuf.resize(old + static_cast<std::size_t>(n));
    FReadThrough = true;
    int len = 0;
    try {
        len = Receive(FLineBuf.data() + old, n);
    } catch (...) {
        FReadThrough = false;
        FLineBuf.resize(old);
        throw;
    }
    FReadThrough = false;
    FLineBuf.resize(old + static_cast<std::size_t>(std::max(len, 0)));
    // A line in the buffer that is waiting to be read keeps its bytes out of
    // editing and out of the line-end search.
    const std::size_t floor = FLineLength;
    std::size_t search;
    if (len < 1) {
        // Nothing new. Only a redelivery after a change of mode looks at
        // what is buffered again.
        if (!FDelivering) return true;
        search = floor;
    } else {
        std::size_t start = old;
        if (LineEdit) {
            EditLine(len);
            start = FEditStart;
        } else if (LineEcho) {
            Send(FLineBuf.data() + old, len);
        }
        search = std::max(floor, start > LineEnd.size() ? start - LineEnd.size() : 0);
    }
    if (floor > 0) {
        // The waiting line first; once it is gone the search moves with the bytes.
        if (!OfferLine()) return true;
        search = search > floor ? search - floor : 0;
    }
    if (!DeliverLines(search)) return true;

    if (LineLimit > 0 && FLineLength == 0 &&
        FLineBuf.size() > static_cast<std::size_t>(LineLimit)) {
        FLineClearData = true;
        FLimitEventRunning = true;
        try {
            FireLineLimitExceeded(static_cast<int>(FLineBuf.size()), FLineClearData);
        } catch (...) {
            FLimitEventRunning = false;
            FLineClearData = false;
            throw;
        }
        FLimitEventRunning = false;
        if (FLineClearData) {
            FTaken += FLineBuf.size();
            FLineBuf.clear();
            FLineLength = 0;
        }
        FLineClearData = false;
    }
    return true;
}

void TCustomLineSocket::DeliverPendingData() {
    FDelivering = true;
    try {
        while (!FLineBuf.empty() && FHSocket != win::INVALID_SOCKET) {
            const std::size_t before = FTaken;
            FireDataAvailable(0);
            if (FTaken == before) break; // a round that consumed nothing ends it
        }
    } catch (...) {
        FDelivering = false;
        throw;
    }
    FDelivering = false;
}

void TCustomLineSocket::FireSessionClosed(WORD Error) {
    if (!FLineBuf.empty() && !FLimitEventRunning) {
        if (FLineMode) {
            // What came without a line end is the last line.
            FLineLength = FLineBuf.size();
            OfferLine();
        } else {
            // Bytes kept from line mode are offered as ordinary data.
            while (!FLineBuf.empty()) {
                const std::size_t before = FTaken;
                if (!TCustomSocksSocket::FireDataAvailable(0) || FTaken == before) break;
            }
        }
    }
    FLineBuf.clear();
    FLineBuf.shrink_to_fit();
    FLineLength = 0;
    TCustomSocksSocket::FireSessionClosed(Error);
}

} // namespace net
