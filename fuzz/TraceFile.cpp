// Trace files on arbitrary bytes: no crash; every line gives at most 16
// bytes; the feeder, driven by any mix of steps, feeds each byte once.
#include "session/core/TraceReplay.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto lines = trace::ParseFile(text);
    std::size_t total = 0;
    for (const auto& l : lines) {
        if (l.empty() || l.size() > trace::MaxPairsPerLine) std::abort();
        total += l.size();
    }
    trace::TTraceFeeder feeder(lines);
    if (feeder.TotalBytes() != total) std::abort();
    std::size_t fed = 0;
    for (std::size_t i = 0; !feeder.Finished() && i < 4 * total + 8; ++i) {
        const std::uint8_t choice = size ? data[i % size] : 0;
        if (choice & 1)
            feeder.ContinueTen();
        else
            feeder.Continue();
        fed += feeder.Run((choice & 2) != 0, 1 + (choice >> 4), nullptr);
    }
    if (!feeder.Finished()) fed += feeder.Run(false, total, nullptr);
    if (fed != total || !feeder.Finished()) std::abort();
    return 0;
}
