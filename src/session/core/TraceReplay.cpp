#include "session/core/TraceReplay.h"

#include "session/core/TextLines.h"

namespace trace {

namespace {

int HexValue(unsigned char c) {
    return c < 'A' ? c - 48 : c - 55;
}

} // namespace

TBytes ParseLine(std::string_view line) {
    TBytes out;
    if (line.size() < 4 || line[2] != '0' || line[3] != 'x') return out;
    for (std::size_t k = 0; k < MaxPairsPerLine; ++k) {
        const std::size_t at = 11 + 3 * k; // 0-based start of pair k
        if (at + 1 >= line.size()) break;
        const auto hi = static_cast<unsigned char>(line[at]);
        const auto lo = static_cast<unsigned char>(line[at + 1]);
        if (hi == ' ' && lo == ' ') break;
        out.push_back(static_cast<std::uint8_t>((HexValue(hi) * 16 + HexValue(lo)) & 0xFF));
    }
    return out;
}

std::vector<TBytes> ParseFile(std::string_view text) {
    std::vector<TBytes> lines;
    for (const std::string& line : textlines::SplitLines(text)) {
        TBytes bytes = ParseLine(line);
        if (!bytes.empty()) lines.push_back(std::move(bytes));
    }
    return lines;
}

TTraceFeeder::TTraceFeeder(std::vector<TBytes> lines) : FLines(std::move(lines)) {
    for (const TBytes& l : FLines)
        FTotal += l.size();
}

std::size_t TTraceFeeder::Run(bool show, std::size_t maxBytes, const TSink& sink) {
    std::size_t fed = 0;
    while (fed < maxBytes && FLine < FLines.size()) {
        if (show && FWaiting) break;
        if (!show) FWaiting = false;
        const std::uint8_t b = FLines[FLine][FPos];
        const std::size_t memoLine = FLine;
        if (++FPos >= FLines[FLine].size()) {
            FPos = 0;
            ++FLine;
        }
        ++fed;
        ++FFed;
        if (sink) sink(b, memoLine, show);
        if (show) {
            if (FStepCount != 1)
                --FStepCount;
            else
                FWaiting = true;
        }
    }
    return fed;
}

} // namespace trace
