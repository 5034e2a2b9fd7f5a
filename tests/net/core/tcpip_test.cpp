#include "LoopbackServer.h"
#include "net/core/ip_misc.h"
#include "net/core/tcpip.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace testpeer;
namespace fs = std::filesystem;

namespace {

// A web server answering every request with the same bytes; it keeps the
// requests it got.
struct TCannedServer {
    explicit TCannedServer(std::string answer)
        : Answer(std::move(answer)), Server([this](int fd) {
              std::string req = ReadUntilBlankLine(fd);
              {
                  std::lock_guard l(M);
                  Requests.push_back(req);
              }
              WriteAll(fd, Answer);
          }) {}
    static std::string ReadUntilBlankLine(int fd) {
        std::string s;
        while (s.size() < 65536 && s.find("\r\n\r\n") == std::string::npos) {
            std::string c = ReadExactly(fd, 1);
            if (c.empty()) break;
            s += c;
        }
        return s;
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(Server.Port()) + path;
    }
    std::vector<std::string> Got() {
        std::lock_guard l(M);
        return Requests;
    }
    std::string Answer;
    std::mutex M;
    std::vector<std::string> Requests;
    TLoopbackServer Server;
};

std::string WriteFile(const fs::path& p, std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    std::ofstream(p, std::ios::binary) << bytes;
    return bytes;
}

} // namespace

TEST(TcpIp, ComponentsHearOfTheEndOfThoseTheyAreAttachedTo) {
    struct TListener : T_NetComponent {
        std::vector<T_NetComponent*> Heard;
        void NotifyDestroy(T_NetComponent* s) override { Heard.push_back(s); }
    } listener;
    T_NetComponent* gone;
    {
        T_TcpIp owner;
        gone = &owner;
        owner.Attach(&listener);
        owner.Attach(&listener);
    }
    ASSERT_EQ(listener.Heard.size(), 1u);
    EXPECT_EQ(listener.Heard[0], gone);
}

TEST(TcpIp, HostAndConnectionErrors) {
    EXPECT_EQ(ResolveHostAddress(""), 0xFFFFFFFFu);
    EXPECT_EQ(IpToDottedText(ResolveHostAddress("127.0.0.1")), "127.0.0.1");
    EXPECT_EQ(IpToDottedText(ResolveHostAddress("localhost")), "127.0.0.1");
    EXPECT_TRUE(WinsockStarted());

    T_HTTP http;
    http.URL = "http:///nohost";
    try {
        http.Get();
        FAIL() << "no host";
    } catch (const ETcpIpError& e) {
        EXPECT_STREQ(e.what(), "Couldn't resolve hostname ");
    }
    http.URL = "http://127.0.0.1:" + std::to_string(FreePort()) + "/";
    EXPECT_THROW(http.Get(), ESocketError) << "nothing listens there";
    http.URL = "http://127.0.0.1:http/";
    EXPECT_THROW(http.Get(), EConvertError);
    http.URL = "http://127.0.0.1:70000/";
    EXPECT_THROW(http.Get(), EConvertError);
}

TEST(TcpIp, RequestHeadersAndTrace) {
    TCannedServer server("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n"
                         "WWW-Authenticate: Basic realm=\"x\"\r\n\r\nhello");
    T_HTTP http;
    std::vector<std::pair<std::string, int>> trace;
    http.OnTrace = [&](const std::string& t, int level) { trace.emplace_back(t, level); };
    http.URL = server.Url("/a?b=c");
    http.Sender = "me@example.org";
    http.Reference = "http://ref.example/";
    http.Agent = "Tester/1";
    http.NoCache = true;
    http.Authorization = "Basic c2VjcmV0";
    http.Get();
    auto got = server.Got();
    ASSERT_EQ(got.size(), 2u) << "HEAD, then GET";
    EXPECT_EQ(got[0].substr(0, got[0].find("\r\n")), "HEAD /a?b=c HTTP/1.0");
    EXPECT_EQ(got[1], "GET /a?b=c HTTP/1.0\r\nFrom: me@example.org\r\n"
                      "Referer: http://ref.example/\r\nUser-Agent: Tester/1\r\n"
                      "Pragma: no-cache\r\nAuthorization: Basic c2VjcmV0\r\n\r\n");
    EXPECT_EQ(http.Stream.Data, "hello");
    EXPECT_EQ(http.Stream.Position, 0u);
    EXPECT_EQ(http.StatusCode(), 200);
    EXPECT_EQ(http.ContentType(), "text/plain");
    EXPECT_EQ(http.ContentLength(), 5);
    ASSERT_EQ(http.Challenges().size(), 1u);
    EXPECT_EQ(http.Challenges()[0], "Basic realm=\"x\"");
    bool sawSecret = false, sawMasked = false, sawHeader = false, sawSocket = false;
    for (auto& [t, level] : trace) {
        sawSecret |= t.find("c2VjcmV0") != std::string::npos;
        sawMasked |= t == "Authorization: *****" && level == 0;
        sawHeader |= t == "Content-Type: text/plain" && level == 1;
        sawSocket |= t.rfind("Opened output socket ", 0) == 0 && level == 2;
    }
    EXPECT_FALSE(sawSecret);
    EXPECT_TRUE(sawMasked);
    EXPECT_TRUE(sawHeader);
    EXPECT_TRUE(sawSocket);
}

TEST(TcpIp, ErrorStatusOfAnyHttp1VersionIsRaised) {
    for (const char* version : {"HTTP/1.0", "HTTP/1.1"}) {
        TCannedServer server(std::string(version) + " 403 Forbidden\r\n\r\nno");
        T_HTTP http;
        http.URL = server.Url("/x");
        try {
            http.Get();
            FAIL() << version << " error taken as success";
        } catch (const EProtocolError& e) {
            EXPECT_EQ(e.Code, 403);
            EXPECT_EQ(e.Protocol, "HTTP");
            EXPECT_STREQ(e.what(), "Forbidden");
        }
    }
}

TEST(TcpIp, ResponsesCutShortEndWithoutHanging) {
    {
        TCannedServer server("HTTP/1.0 200 OK\r\nContent-Ty");
        T_HTTP http;
        http.URL = server.Url("/");
        http.Get();
        EXPECT_EQ(http.Stream.Data, "");
        EXPECT_EQ(http.StatusCode(), 200);
    }
    {
        TCannedServer server("");
        T_HTTP http;
        http.URL = server.Url("/");
        http.Get();
        EXPECT_EQ(http.StatusCode(), 0) << "the status is reset for each response";
    }
    {
        TCannedServer server("HTTP/1.0 2x0 Odd\r\n\r\n");
        T_HTTP http;
        http.URL = server.Url("/");
        EXPECT_THROW(http.Get(), EConvertError);
    }
}

TEST(TcpIp, ThroughAProxy) {
    TCannedServer proxy("HTTP/1.0 200 OK\r\nLocation: /moved\r\n\r\nvia proxy");
    T_HTTP http;
    http.URL = "host.example/page";
    http.Proxy = "127.0.0.1:" + std::to_string(proxy.Server.Port());
    http.Get();
    auto got = proxy.Got();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].substr(0, got[0].find("\r\n")), "HEAD http://host.example/page HTTP/1.0");
    EXPECT_EQ(got[1].substr(0, got[1].find("\r\n")), "GET http://host.example/moved HTTP/1.0");
    EXPECT_EQ(http.Stream.Data, "via proxy");
}

class HttpServerPeer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveProgram("python3")) GTEST_SKIP() << "python3 not installed";
        Dir = fs::temp_directory_path() / ("bp-http-" + std::to_string(getpid()));
        fs::create_directories(Dir / "sub");
        Port = FreePort();
        Server = std::make_unique<TChildProcess>(
            std::vector<std::string>{"python3", "-m", "http.server", "--bind", "127.0.0.1",
                                     "--directory", Dir.string(), std::to_string(Port)});
        ASSERT_TRUE(WaitForListener(Port, 20000)) << "python3 -m http.server did not start";
    }
    void TearDown() override {
        Server.reset();
        std::error_code ec;
        fs::remove_all(Dir, ec);
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(Port) + path;
    }
    fs::path Dir;
    std::uint16_t Port = 0;
    std::unique_ptr<TChildProcess> Server;
};

TEST_F(HttpServerPeer, FilesArriveByteForByte) {
    const std::string small = WriteFile(Dir / "small.bin", 256);
    const std::string large = WriteFile(Dir / "large.bin", 200000);
    T_HTTP http;
    http.URL = Url("/small.bin");
    http.Get();
    EXPECT_EQ(http.Stream.Data, small);
    http.URL = Url("/large.bin");
    http.Get();
    EXPECT_EQ(http.Stream.Data.size(), large.size());
    EXPECT_TRUE(http.Stream.Data == large);
    EXPECT_EQ(http.ContentLength(), 200000);
    EXPECT_FALSE(http.Connected());
}

TEST_F(HttpServerPeer, MissingFileRaisesAndRedirectIsFollowedOnce) {
    T_HTTP http;
    http.URL = Url("/missing.txt");
    try {
        http.Get();
        FAIL() << "404 taken as success";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.Code, 404);
    }
    std::ofstream(Dir / "sub" / "index.html") << "inside";
    http.URL = Url("/sub"); // answered with a redirect to /sub/
    http.Get();
    EXPECT_EQ(http.Stream.Data, "inside");
    EXPECT_EQ(http.Path(), "/sub/");
    EXPECT_EQ(http.StatusCode(), 200);
}
