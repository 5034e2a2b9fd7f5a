// A listening socket on 127.0.0.1 for the benchmarks' peers: bound to a
// free port at construction, closed at destruction. Wake() connects once so
// an accept loop blocked on it returns and can see that it should stop.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

struct TLoopbackListener {
    explicit TLoopbackListener(int backlog) {
        Fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = Address(0);
        ::bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(Fd, backlog);
        socklen_t len = sizeof a;
        ::getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len);
        Port = ntohs(a.sin_port);
    }
    ~TLoopbackListener() { ::close(Fd); }
    TLoopbackListener(const TLoopbackListener&) = delete;
    TLoopbackListener& operator=(const TLoopbackListener&) = delete;

    void Wake() const {
        int c = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = Address(Port);
        ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::close(c);
    }

    int Fd = -1;
    int Port = 0;

private:
    static sockaddr_in Address(int port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }
};
