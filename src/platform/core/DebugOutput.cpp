#include "platform/core/DebugOutput.h"

#include <atomic>
#include <mutex>

namespace win {
namespace {

struct TDebugSink {
    std::mutex M;
    std::atomic<bool> Enabled{false};
    std::function<void(const std::string&)> Handler;
};

TDebugSink& Sink() {
    static auto* s = new TDebugSink; // outlives every thread that writes
    return *s;
}

} // namespace

void OutputDebugString(const std::string& text) {
    auto& s = Sink();
    std::lock_guard lock(s.M);
    if (s.Handler) s.Handler(text);
}

void SetDebugOutputHandler(std::function<void(const std::string&)> handler) {
    auto& s = Sink();
    std::lock_guard lock(s.M);
    s.Handler = std::move(handler);
    s.Enabled = static_cast<bool>(s.Handler);
}

bool DebugOutputEnabled() {
    return Sink().Enabled.load(std::memory_order_relaxed);
}

} // namespace win
