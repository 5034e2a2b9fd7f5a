#include "session/ConnectionThread.h"

#include "net/core/AsyncSocket.h"

#include <atomic>
#include <thread>

namespace session {
namespace {

std::mutex gResolverLock;
TResolver gResolver;
std::atomic<int> gRunning{0};

TResolver CurrentResolver() {
    std::lock_guard l(gResolverLock);
    if (gResolver) return gResolver;
    return [](const std::string& host) {
        return static_cast<std::uint32_t>(net::SocketResolveHost(host));
    };
}

} // namespace

void SetResolver(TResolver resolver) {
    std::lock_guard l(gResolverLock);
    gResolver = std::move(resolver);
}

void TResolveSlot::Set(TResolveResult r) {
    std::lock_guard l(FLock);
    FResult = std::move(r);
}

TResolveResult TResolveSlot::Get() const {
    std::lock_guard l(FLock);
    return FResult;
}

std::string DottedAddress(std::uint32_t a) {
    const auto* b = reinterpret_cast<const unsigned char*>(&a);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

TResolveResult TConnectionThread::Execute(const std::string& host, const TResolver& resolver) {
    TResolveResult r;
    r.Done = true;
    try {
        // The socket component refuses an empty or overlong name before any
        // look-up; the same text comes back here, whoever resolves.
        const std::uint32_t a = host.empty() || host.size() >= 257
                                    ? static_cast<std::uint32_t>(net::SocketResolveHost(host))
                                    : resolver(host);
        r.Ok = true;
        r.Address = DottedAddress(a);
    } catch (const std::exception& e) {
        // Worded as the socket component words a failed connect.
        r.Message = std::string("connect: ") + e.what();
    }
    return r;
}

std::shared_ptr<TResolveSlot> TConnectionThread::Create(const std::string& host, win::HWND window,
                                                        unsigned attempt) {
    auto slot = std::make_shared<TResolveSlot>();
    TResolver resolver = CurrentResolver();
    ++gRunning;
    std::thread([host, window, attempt, slot, resolver = std::move(resolver)] {
        slot->Set(Execute(host, resolver));
        win::PostMessage(window, WM_HOST_RESOLVED, attempt, 0);
        --gRunning;
    }).detach();
    return slot;
}

int TConnectionThread::Running() {
    return gRunning.load();
}

} // namespace session
