#include "SessionPeers.h"

#include "net/core/AsyncSocket.h"
#include "platform/core/Big5.h"
#include "session/ConnectionThread.h"

#include <arpa/inet.h>

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

namespace sessiontest {

std::string ScreenText(TBgCrt& screen) {
    std::lock_guard<TRenderGuard> g(screen.Screen().Rendering);
    std::string out;
    for (int y = 0; y < screen.Screen().Rows(); ++y) {
        std::string line;
        for (const TCell& c : screen.Screen().ScreenRow(y).Cells)
            line.push_back(static_cast<char>(c.Char));
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    return out;
}

bool ScreenHas(TBgCrt& screen, const std::string& utf8) {
    return ScreenText(screen).find(win::Utf8ToBig5(utf8)) != std::string::npos;
}

bool WaitFor(const std::function<bool()>& pred, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

std::uint32_t LoopbackOnlyResolve(const std::string& host) {
    in_addr a{};
    if (::inet_pton(AF_INET, host.c_str(), &a) == 1 && (ntohl(a.s_addr) >> 24) == 127)
        return a.s_addr;
    throw net::ESocketException("SocketResolveHost: Cannot convert host address '" + host +
                                "', Error #11001");
}

namespace {
// Installed once the program runs (not during static set-up, where the
// resolver's own globals may not exist yet).
struct TLoopbackOnly : ::testing::Environment {
    void SetUp() override { session::SetResolver(LoopbackOnlyResolve); }
};
const auto* kLoopbackOnly = ::testing::AddGlobalTestEnvironment(new TLoopbackOnly);
} // namespace

TGateResolver::TGateResolver() {
    auto state = FState;
    session::SetResolver([state](const std::string& host) -> std::uint32_t {
        std::unique_lock l(state->M);
        ++state->Waiting;
        state->Cv.wait(l, [&] { return state->Open; });
        --state->Waiting;
        if (state->Fail)
            throw net::ESocketException("SocketResolveHost: Cannot convert host address '" + host +
                                        "', Error #11001");
        return 0x0100007Fu; // 127.0.0.1 in network order
    });
}

TGateResolver::~TGateResolver() {
    session::SetResolver(LoopbackOnlyResolve);
}

void TGateResolver::Release(bool fail) {
    std::lock_guard l(FState->M);
    FState->Open = true;
    FState->Fail = fail;
    FState->Cv.notify_all();
}

int TGateResolver::Waiting() const {
    std::lock_guard l(FState->M);
    return FState->Waiting;
}

} // namespace sessiontest
