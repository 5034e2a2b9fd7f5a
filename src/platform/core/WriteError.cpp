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

std::string FullPath(std::string_view fileName) {
    std::error_code ec;
    std::filesystem::path p(fileName);
    std::filesystem::path full = p.empty() ? p : std::filesystem::absolute(p, ec);
    if (ec) full = p;
    return full.string();
}

void ShowOnce(const std::string& text) {
    if (!gArmed.exchange(false)) return;
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

} // namespace

std::string WriteErrorText(std::string_view fileName) {
    return "無法寫入 " + FullPath(fileName) + "!";
}

std::string ReadErrorText(std::string_view fileName) {
    return "無法讀取 " + FullPath(fileName) + "!";
}

void ShowWriteErrorOnce(std::string_view fileName) {
    ShowOnce(WriteErrorText(fileName));
}

void ShowReadErrorOnce(std::string_view fileName) {
    ShowOnce(ReadErrorText(fileName));
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
