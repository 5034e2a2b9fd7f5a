#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace testpeer {
namespace {

constexpr int IoTimeoutMs = 5000;

bool WaitReadable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

} // namespace

std::string ReadExactly(int fd, std::size_t n) {
    std::string out;
    char buf[4096];
    while (out.size() < n && WaitReadable(fd, IoTimeoutMs)) {
        ssize_t r = recv(fd, buf, std::min(sizeof buf, n - out.size()), 0);
        if (r <= 0) break;
        out.append(buf, static_cast<std::size_t>(r));
    }
    return out;
}

std::string ReadUntil(int fd, char stop) {
    std::string out;
    char c;
    while (out.size() < 65536 && WaitReadable(fd, IoTimeoutMs) && recv(fd, &c, 1, 0) == 1) {
        out.push_back(c);
        if (c == stop) break;
    }
    return out;
}

std::string ReadAll(int fd) {
    std::string out;
    char buf[4096];
    while (WaitReadable(fd, IoTimeoutMs)) {
        ssize_t r = recv(fd, buf, sizeof buf, 0);
        if (r <= 0) break;
        out.append(buf, static_cast<std::size_t>(r));
    }
    return out;
}

void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (w <= 0) return;
        done += static_cast<std::size_t>(w);
    }
}

TLoopbackServer::TLoopbackServer(THandler handler) : Handler_(std::move(handler)) {
    Listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(Listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = LoopbackAddress(0);
    bind(Listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(Listen_, 8);
    socklen_t len = sizeof a;
    getsockname(Listen_, reinterpret_cast<sockaddr*>(&a), &len);
    Port_ = ntohs(a.sin_port);
    int p[2];
    if (pipe2(p, O_CLOEXEC) == 0) {
        WakeRead_ = p[0];
        WakeWrite_ = p[1];
    }
    Thread_ = std::thread([this] { Run(); });
}

TLoopbackServer::~TLoopbackServer() {
    if (WakeWrite_ >= 0) (void)!write(WakeWrite_, "x", 1);
    if (Thread_.joinable()) Thread_.join();
    close(Listen_);
    close(WakeRead_);
    close(WakeWrite_);
}

void TLoopbackServer::Run() {
    for (;;) {
        pollfd p[2] = {{Listen_, POLLIN, 0}, {WakeRead_, POLLIN, 0}};
        if (poll(p, 2, -1) < 0) return;
        if (p[1].revents) return;
        int fd = accept4(Listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++Accepted_;
        Handler_(fd);
        close(fd);
    }
}

void Echo(int fd) {
    char buf[4096];
    while (WaitReadable(fd, IoTimeoutMs)) {
        ssize_t r = recv(fd, buf, sizeof buf, 0);
        if (r <= 0) break;
        WriteAll(fd, std::string(buf, static_cast<std::size_t>(r)));
    }
}

TFakeSocksProxy::TFakeSocksProxy(TFakeSocksScript script)
    : Script_(std::move(script)), Server_([this](int fd) { Serve(fd); }) {}

std::string TFakeSocksProxy::Greeting() const {
    std::lock_guard l(M_);
    return Greeting_;
}
std::string TFakeSocksProxy::AuthRequest() const {
    std::lock_guard l(M_);
    return Auth_;
}
std::string TFakeSocksProxy::ConnectRequest() const {
    std::lock_guard l(M_);
    return Connect_;
}

void TFakeSocksProxy::Serve(int fd) {
    const TFakeSocksScript& s = Script_;
    std::string first = ReadExactly(fd, 1);
    if (first.empty()) return;
    std::string reply;
    if (first[0] == 4) {
        std::string req = first + ReadExactly(fd, 7);
        if (req.size() < 8) return;
        req += ReadUntil(fd, '\0');
        // 0.0.0.x with x != 0 announces a host name behind the user code.
        if (req[4] == 0 && req[5] == 0 && req[6] == 0 && req[7] != 0) req += ReadUntil(fd, '\0');
        {
            std::lock_guard l(M_);
            Connect_ = req;
        }
        reply = std::string{
            '\0', static_cast<char>(s.Reply), req[2], req[3], req[4], req[5], req[6], req[7]};
    } else {
        std::string greet = first + ReadExactly(fd, 1);
        if (greet.size() < 2) return;
        greet += ReadExactly(fd, static_cast<unsigned char>(greet[1]));
        {
            std::lock_guard l(M_);
            Greeting_ = greet;
        }
        WriteAll(fd, std::string{'\x05', static_cast<char>(s.Method)});
        if (s.Method == 2) {
            std::string auth = ReadExactly(fd, 2);
            if (auth.size() < 2) return;
            auth += ReadExactly(fd, static_cast<unsigned char>(auth[1]));
            auth += ReadExactly(fd, 1);
            if (auth.size() > 2u + static_cast<unsigned char>(auth[1]))
                auth += ReadExactly(fd, static_cast<unsigned char>(auth.back()));
            {
                std::lock_guard l(M_);
                Auth_ = auth;
            }
            if (s.CloseInsteadOfAuthReply) return;
            WriteAll(fd, std::string{'\x01', static_cast<char>(s.AuthStatus)});
            if (s.AuthStatus != 0) return;
        } else if (s.Method != 0) {
            return;
        }
        std::string req = ReadExactly(fd, 4);
        if (req.size() < 4) return;
        if (req[3] == 1)
            req += ReadExactly(fd, 4 + 2);
        else if (req[3] == 4)
            req += ReadExactly(fd, 16 + 2);
        else if (req[3] == 3) {
            req += ReadExactly(fd, 1);
            if (req.size() == 5) req += ReadExactly(fd, static_cast<unsigned char>(req[4]) + 2u);
        }
        {
            std::lock_guard l(M_);
            Connect_ = req;
        }
        reply =
            std::string{'\x05', static_cast<char>(s.Reply), '\0', static_cast<char>(s.AddrType)};
        if (s.AddrType == 1)
            reply += std::string{'\x7f', '\0', '\0', '\x01'};
        else if (s.AddrType == 4)
            reply += std::string(15, '\0') + '\x01';
        else {
            reply += static_cast<char>(s.BoundName.size());
            reply += s.BoundName;
        }
        reply += std::string{'\x04', '\x00'};
    }
    if (!s.RawReply.empty()) reply = s.RawReply;
    WriteAll(fd, reply + s.Behind);
    const bool granted = s.RawReply.empty() && (first[0] == 4 ? s.Reply == 90 : s.Reply == 0);
    if (granted)
        Echo(fd);
    else
        ReadAll(fd); // wait until the client closes
}

} // namespace testpeer
