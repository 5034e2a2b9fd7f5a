// Line layer of the socket component: in line mode, received bytes are
// collected and handed to the owner one line (with its LineEnd) at a time
// through the ordinary OnDataAvailable / Receive pair, with optional echo,
// line editing (backspace, tab) and a limit on what is held without a line
// end. With line mode off, bytes pass straight through.
//
// Part of the socket component's class chain; see SocksSocket.h on includes.
#include "net/core/AsyncSocket.h"

#ifndef BP_NET_LINE_SOCKET_DEFINED
#define BP_NET_LINE_SOCKET_DEFINED

#include "net/core/SocksSocket.h"

#include <string>

namespace net {

// Posted to the own window when line mode changes with bytes buffered.
constexpr win::UINT WM_TRIGGER_DATA_AVAILABLE = win::WM_USER + 20;

using TLineLimitEvent =
    std::function<void(TCustomAsyncSocket* Sender, int RcvdLength, bool& ClearData)>;

// Applies backspace and tab editing to the bytes of buf from position from
// on: a backspace erases the byte before it (never one before floor), a tab
// becomes blanks up to the next multiple of 8 (at least one). What a
// terminal should see is appended to echo. Returns the lowest position
// whose byte changed (from when no byte before it was erased).
std::size_t EditLineBytes(std::string& buf, std::size_t from, std::size_t floor, std::string& echo);

class TCustomLineSocket : public TCustomSocksSocket {
public:
    TCustomLineSocket();
    ~TCustomLineSocket() override;

    bool LineMode() const { return FLineMode; }
    void SetLineMode(bool Value) { SetLineModeValue(Value); }
    std::string LineEnd = "\r\n";
    int LineLimit = 65536; // 0 or less: no limit
    bool LineEcho = false;
    bool LineEdit = false;

    TLineLimitEvent OnLineLimitExceeded;

    // Bytes held by the line layer (tests and diagnostics).
    std::size_t LineBuffered() const { return FLineBuf.size(); }

protected:
    virtual void FireLineLimitExceeded(int RcvdLength, bool& ClearData);
    virtual void SetLineModeValue(bool Value);
    virtual void EditLine(int& Len);

    void WndProc(win::TMessage& MsgRec) override;
    int GetRcvdCount() override;
    bool FireDataAvailable(WORD Error) override { return LineDataAvailable(Error); }
    void FireSessionClosed(WORD Error) override;
    int RecvRaw(void* Buffer, int BufferSize, int Flags) override;

    bool LineDataAvailable(WORD Error);
    void DeliverPendingData();
    // Offers complete lines from search position on; false when the owner
    // took nothing of a line it was offered (the line stays buffered).
    bool DeliverLines(std::size_t Search);
    // Offers the current line until it is read, dropped or nothing is taken.
    bool OfferLine();
    std::size_t TakeFront(void* Buffer, std::size_t Size);

    bool FLineMode = false;
    std::string FLineBuf;        // received and not yet read
    std::size_t FLineLength = 0; // unread bytes of the line being delivered
    std::size_t FEditStart = 0;  // set by EditLine: where its changes start
    std::size_t FTaken = 0;      // bytes ever taken from FLineBuf (progress)
    bool FLineClearData = false;
    bool FLimitEventRunning = false;
    bool FDelivering = false;  // DeliverPendingData is running
    bool FReadThrough = false; // reads go to the socket, not the buffer
};

} // namespace net

#endif
