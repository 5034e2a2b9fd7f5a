#include "net/core/SocksFrames.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace socks;

namespace {
std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b)
        s.push_back(static_cast<char>(c));
    return s;
}
TVerdict Judge(TVerdict (*f)(const std::uint8_t*, std::size_t), const std::string& s) {
    return f(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}
} // namespace

TEST(SocksFrames, LongFieldsAreRefusedInsteadOfOverrunOrWrapped) {
    const std::string n255(255, 'h'), n256(256, 'h'), n200(200, 'x');
    EXPECT_EQ(CheckRequest("5", n255, "", "", false), "");
    EXPECT_NE(CheckRequest("5", n256, "", "", false), "");
    // Each field has its own length byte: 200 + 200 is fine, 256 is not.
    EXPECT_EQ(CheckRequest("5", "host", n200, n200, true), "");
    EXPECT_NE(CheckRequest("5", "host", n256, "p", true), "");
    EXPECT_NE(CheckRequest("5", "host", "u", n256, true), "");
    EXPECT_EQ(CheckRequest("5", "host", n256, n256, false), "") << "unused without authentication";
    EXPECT_NE(CheckRequest("4A", n256, "", "", false), "");
    EXPECT_NE(CheckRequest("4A", std::string("a\0b", 3), "", "", false), "");
    EXPECT_NE(CheckRequest("4", "h", std::string("u\0", 2), "", false), "");
    EXPECT_EQ(CheckRequest("4", n256, "user", "", false), "") << "SOCKS 4 sends no name";
    // The full-length frames are built whole.
    EXPECT_EQ(Socks5ConnectRequest(n255, 1).size(), 4u + 1 + 255 + 2);
    EXPECT_EQ(Socks5UserPassRequest(n255, n255).size(), 3u + 255 + 255);
}

TEST(SocksFrames, MethodAndAuthenticationReplies) {
    EXPECT_EQ(Judge(JudgeMethodReply, Bytes({5})).Kind, TVerdict::NeedMore);
    auto v = Judge(JudgeMethodReply, Bytes({5, 2}));
    EXPECT_EQ(v.Kind, TVerdict::Done);
    EXPECT_EQ(v.Value, 2);
    EXPECT_EQ(Judge(JudgeMethodReply, Bytes({4, 0})).Code, ErrVersion);
    v = Judge(JudgeMethodReply, Bytes({5, 0xFF}));
    EXPECT_EQ(v.Code, ErrMethod);
    EXPECT_EQ(v.Text, "authentification method not acceptable");

    EXPECT_EQ(Judge(JudgeUserPassReply, Bytes({1})).Kind, TVerdict::NeedMore);
    EXPECT_EQ(Judge(JudgeUserPassReply, Bytes({2})).Code, ErrVersion) << "judged on the first byte";
    EXPECT_EQ(Judge(JudgeUserPassReply, Bytes({1, 0})).Kind, TVerdict::Done);
    v = Judge(JudgeUserPassReply, Bytes({1, 1}));
    EXPECT_EQ(v.Code, ErrAuthFailed);
    EXPECT_EQ(v.Text, "socks authentication failed");
    v = Judge(JudgeUserPassReply, Bytes({1, 0, 9}));
    EXPECT_EQ(v.Code, ErrLogic);
    EXPECT_EQ(v.Text, "too much data availaible");
}

TEST(SocksFrames, Socks5ConnectReplies) {
    EXPECT_EQ(Judge(JudgeSocks5Reply, Bytes({6})).Code, ErrVersion);
    auto v = Judge(JudgeSocks5Reply, Bytes({5, 2}));
    EXPECT_EQ(v.Code, 20005);
    EXPECT_EQ(v.Text, "connection not allowed by ruleset");
    v = Judge(JudgeSocks5Reply, Bytes({5, 200}));
    EXPECT_EQ(v.Code, ErrUnassigned);
    EXPECT_EQ(v.Text, "unassigned error #200");
    for (int code = 1; code <= 8; ++code)
        EXPECT_EQ(Socks5ReplyError(static_cast<std::uint8_t>(code)), 20003 + code);

    EXPECT_EQ(Judge(JudgeSocks5Reply, Bytes({5, 0, 0, 1, 127, 0, 0, 1, 0})).Kind,
              TVerdict::NeedMore);
    v = Judge(JudgeSocks5Reply, Bytes({5, 0, 0, 1, 127, 0, 0, 1, 0, 23, 'x', 'y'}));
    EXPECT_EQ(v.Kind, TVerdict::Done);
    EXPECT_EQ(v.Used, 10u) << "bytes behind the reply are not part of it";

    // A bound name of the largest legal length.
    std::string longName = Bytes({5, 0, 0, 3, 255}) + std::string(255, 'n') + Bytes({0, 1});
    EXPECT_EQ(Judge(JudgeSocks5Reply, longName.substr(0, longName.size() - 1)).Kind,
              TVerdict::NeedMore);
    v = Judge(JudgeSocks5Reply, longName);
    EXPECT_EQ(v.Used, MaxSocks5Reply);
    EXPECT_LE(MaxSocks5Reply, ReplyBufferSize - 1);

    std::string v6 = Bytes({5, 0, 0, 4}) + std::string(16, '\0') + Bytes({0, 1});
    EXPECT_EQ(Judge(JudgeSocks5Reply, v6).Used, 22u);
    v = Judge(JudgeSocks5Reply, Bytes({5, 0, 0, 9, 0}));
    EXPECT_EQ(v.Code, ErrAddrNotSupported);
    EXPECT_EQ(v.Text, "address type not supported");
}

TEST(SocksFrames, Socks4Replies) {
    EXPECT_EQ(Judge(JudgeSocks4Reply, Bytes({0, 90, 0, 0, 0, 0, 0})).Kind, TVerdict::NeedMore);
    EXPECT_EQ(Judge(JudgeSocks4Reply, Bytes({0, 90, 0, 0, 0, 0, 0, 0})).Kind, TVerdict::Done);
    auto v = Judge(JudgeSocks4Reply, Bytes({0, 91, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(v.Code, ErrRejected);
    EXPECT_EQ(v.Text, "request rejected or failed");
    EXPECT_EQ(Judge(JudgeSocks4Reply, Bytes({0, 92, 0, 0, 0, 0, 0, 0})).Code, ErrConnRefused);
    EXPECT_EQ(Judge(JudgeSocks4Reply, Bytes({0, 93, 0, 0, 0, 0, 0, 0})).Text,
              "authentification failed");
    v = Judge(JudgeSocks4Reply, Bytes({0, 144, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(v.Code, ErrUnassigned);
    EXPECT_EQ(v.Text, "unassigned error #144");
    EXPECT_EQ(Judge(JudgeSocks4Reply, Bytes({4, 90, 0, 0, 0, 0, 0, 0})).Code, ErrVersion);
}
