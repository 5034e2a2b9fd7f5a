#include "platform/core/WriteError.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace win {
namespace {
std::atomic<bool> gArmed{true};
std::mutex gHandlerMutex;
TWriteErrorHandler gHandler;
} // namespace

std::string WriteErrorText(std::string_view fileName) {
    std::error_code ec;
    std::filesystem::path p(fileName);
    std::filesystem::path full = p.empty() ? p : std::filesystem::absolute(p, ec);
    if (ec) full = p;
    return "無法寫入 " + full.string() + "!";
}

void ShowWriteErrorOnce(std::string_view fileName) {
    if (!gArmed.exchange(false)) return;
    std::string text = WriteErrorText(fileName);
    TWriteErrorHandler handler;
    {
        std::lock_guard lock(gHandlerMutex);
        handler = gHandler;
    }
    if (handler)
        handler(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

TWriteErrorHandler SetWriteErrorHandler(TWriteErrorHandler handler) {
    std::lock_guard lock(gHandlerMutex);
    std::swap(gHandler, handler);
    return handler;
}

void RearmWriteError() {
    gArmed = true;
}

} // namespace win
