#include "platform/core/Beep.h"

#include <mutex>

namespace win {
namespace {
std::mutex gBeepMutex;
std::function<void(unsigned)> gBeepHandler;
} // namespace

void MessageBeep(unsigned type) {
    std::function<void(unsigned)> handler;
    {
        std::lock_guard lock(gBeepMutex);
        handler = gBeepHandler;
    }
    if (handler) handler(type);
}

void SetBeepHandler(std::function<void(unsigned)> handler) {
    std::lock_guard lock(gBeepMutex);
    gBeepHandler = std::move(handler);
}

} // namespace win
