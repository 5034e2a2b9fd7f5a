#include "platform/core/Ticks.h"

#include <chrono>
#include <mutex>

namespace win {
namespace {
std::mutex gTickMutex;
std::function<DWORD()> gTickSource;
} // namespace

DWORD GetTickCount() {
    {
        std::lock_guard lock(gTickMutex);
        if (gTickSource) return gTickSource();
    }
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(ms);
}

void SetTickSource(std::function<DWORD()> source) {
    std::lock_guard lock(gTickMutex);
    gTickSource = std::move(source);
}

} // namespace win
