// Trace files (hexadecimal dumps of a host stream) and the replay that feeds
// their bytes to a session one at a time, pausing after each shown byte.
//
// A line carries data when its 3rd and 4th characters are "0" and "x"; its
// bytes are the two-character pairs at 1-based positions 12, 15, .., 57 (at
// most 16), up to the first pair that is missing or two blanks. A digit c
// is c - 48 below "A", else c - 55 (upper-case hex; other characters give
// wrong values, not an error).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace trace {

using TBytes = std::vector<std::uint8_t>;

constexpr std::size_t MaxPairsPerLine = 16;

// The data bytes of one line (empty for any other line).
TBytes ParseLine(std::string_view line);
// The data lines of a whole file that yield at least one byte, in order.
std::vector<TBytes> ParseFile(std::string_view text);

// The stepping replay. The feeder holds the bytes; the window drives it:
// Run feeds until a pause is due (or a slice is done), the buttons resume.
class TTraceFeeder {
public:
    // (byte, memo line it belongs to, shown): the session gets the byte;
    // when shown, the window adds its pair to the memo line.
    using TSink = std::function<void(std::uint8_t, std::size_t, bool)>;

    explicit TTraceFeeder(std::vector<TBytes> lines);

    bool HasData() const { return FTotal > 0; }
    std::size_t TotalBytes() const { return FTotal; }
    std::size_t FedBytes() const { return FFed; }
    bool Finished() const { return FLine >= FLines.size(); }
    // A shown byte was fed and the feeder waits for Continue.
    bool Waiting() const { return FWaiting; }
    int StepCount() const { return FStepCount; }

    // "Continue": one more byte before the next pause.
    void Continue() { FWaiting = false; }
    // "Continue x10": ten more bytes; the tenth pauses again.
    void ContinueTen() {
        FStepCount = 10;
        FWaiting = false;
    }

    // Feeds bytes while no pause is due, at most maxBytes. With show off
    // (no pausing asked for, or the program closing) nothing waits. Returns
    // the number of bytes fed.
    std::size_t Run(bool show, std::size_t maxBytes, const TSink& sink);

private:
    std::vector<TBytes> FLines;
    std::size_t FLine = 0, FPos = 0;
    std::size_t FTotal = 0, FFed = 0;
    int FStepCount = 1;
    bool FWaiting = false;
};

} // namespace trace
