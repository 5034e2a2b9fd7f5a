// The channel's two ends, in one process and across two; the other process
// is this test program run again (BP_IPC_PEER names its part).
#include "session/IPC.h"

#include "session/core/IPCRecord.h"
#include "support/PeerProcess.h"
#include "support/SandboxHome.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/prctl.h>

using namespace win;

namespace {

std::string RecordText(const void* data) {
    TIPCSiteRecord r;
    DecodeIPCRecord(data, kIPCRecordSize, r);
    return r.Alias + " " + r.Address + " " + std::to_string(r.Port);
}

// A site list in miniature: reports what arrives, reopens after
// "IPC_Close", and answers "IPC_Open" with the site in BP_STANDIN_SITE
// ("ALIAS ADDRESS PORT"), when set.
int RunServerPeer() {
    TIPCServer server;
    server.OnConnect = [](HWND) { PeerSay("connect"); };
    server.OnDisconnect = [](HWND) { PeerSay("disconnect"); };
    server.OnClientData = [&](const void* rec, HWND from) {
        PeerSay("data " + RecordText(rec));
        TIPCSiteRecord r;
        DecodeIPCRecord(rec, kIPCRecordSize, r);
        char alias[64], address[64];
        int port = 0;
        const char* site = std::getenv("BP_STANDIN_SITE");
        if (r.Alias == kIPCClose) {
            server.Close();
            server.Open();
        } else if (r.Alias == kIPCOpen && site &&
                   std::sscanf(site, "%63s %63s %d", alias, address, &port) == 3) {
            std::string out = EncodeIPCRecord(TIPCSiteRecord{alias, address, port});
            server.SendData(out.data(), from, kIPCRecordSize);
        }
    };
    server.Open();
    PeerSay("ready");
    for (;;) {
        ProcessMessages();
        WaitMessage(50);
    }
}

// A terminal in miniature: connects and says "IPC_Open".
int RunClientPeer() {
    TIPCClient client;
    client.Open();
    if (client.Connected()) {
        std::string rec = EncodeIPCRecord(IPCCommandRecord(kIPCOpen));
        client.SendData(rec.data(), kIPCRecordSize);
    }
    PeerSay(client.Connected() ? "connected" : "alone");
    for (;;) {
        ProcessMessages();
        WaitMessage(50);
    }
}

std::vector<std::string> PeerArgs() {
    return {"/proc/self/exe", "--gtest_filter=IPCPeer.Run", "--gtest_brief=1"};
}

class TIPCEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (!std::getenv("BP_IPC_PEER")) Home = std::make_unique<testpeer::TSandboxHome>();
    }
    void TearDown() override { Home.reset(); }
    std::unique_ptr<testpeer::TSandboxHome> Home;
};
const auto* kEnvironment = testing::AddGlobalTestEnvironment(new TIPCEnvironment);

std::string Record(const std::string& alias, const std::string& address, int port) {
    return EncodeIPCRecord(TIPCSiteRecord{alias, address, port});
}

} // namespace

TEST(IPCPeer, Run) {
    const char* part = std::getenv("BP_IPC_PEER");
    if (!part) GTEST_SKIP() << "runs only as a peer";
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::_Exit(std::string(part) == "server" ? RunServerPeer() : RunClientPeer());
}

TEST(IPC, ClientAndServerInOneProcess) {
    TIPCClient client;
    client.Open();
    EXPECT_FALSE(client.Connected()) << "no server yet";

    TIPCServer server;
    std::vector<std::string> atServer;
    HWND connected = 0;
    int disconnects = 0;
    server.OnConnect = [&](HWND c) { connected = c; };
    server.OnDisconnect = [&](HWND) { ++disconnects; };
    server.OnClientData = [&](const void* rec, HWND from) {
        atServer.push_back(RecordText(rec));
        EXPECT_EQ(from, client.Handle());
    };
    server.Open();
    EXPECT_TRUE(server.Active());
    EXPECT_EQ(server.ChannelId(), 0u) << "the empty session name both programs use";

    HWND seenServer = 0;
    client.OnConnect = [&](HWND s) { seenServer = s; };
    client.Open();
    ASSERT_TRUE(client.Connected()) << "the answer came inside Open";
    EXPECT_EQ(seenServer, server.Handle());
    EXPECT_EQ(connected, client.Handle());

    std::string rec = Record("IPC_Open", "", 0);
    client.SendData(rec.data(), kIPCRecordSize);
    client.SendData(rec.data(), 67);
    ASSERT_EQ(atServer, std::vector<std::string>{"IPC_Open  0"}) << "only 68-byte records count";

    std::vector<std::string> atClient;
    client.OnData = [&](const void* r) { atClient.push_back(RecordText(r)); };
    std::string site = Record("home", "127.0.0.1", 2323);
    server.SendData(site.data(), client.Handle(), kIPCRecordSize);
    EXPECT_EQ(atClient, std::vector<std::string>{"home 127.0.0.1 2323"});

    // A server that closes disconnects its client, which can connect again.
    HWND lost = 0;
    client.OnDisconnect = [&](HWND s) { lost = s; };
    server.Close();
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(lost, seenServer);
    server.Open();
    client.Open();
    EXPECT_TRUE(client.Connected());

    // A client that closes properly is not reported as lost.
    client.Close();
    EXPECT_FALSE(client.Connected());
    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(disconnects, 0);
}

TEST(IPC, AClientProcessThatDiesIsReportedOnce) {
    TIPCServer server;
    int connects = 0, disconnects = 0;
    std::vector<std::string> data;
    server.OnConnect = [&](HWND) { ++connects; };
    server.OnDisconnect = [&](HWND) { ++disconnects; };
    server.OnClientData = [&](const void* rec, HWND) { data.push_back(RecordText(rec)); };
    server.Open();
    TPeerProcess peer(PeerArgs(), {"BP_IPC_PEER=client"});
    // The peer's Open waits on this process, which answers while pumping.
    ASSERT_TRUE(PumpUntil([&] { return !data.empty(); }, 10000));
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(data, std::vector<std::string>{"IPC_Open  0"});
    EXPECT_EQ(peer.ReadPeerLine(), "connected");
    peer.Kill();
    EXPECT_TRUE(PumpUntil([&] { return disconnects > 0; }, 10000));
    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(disconnects, 1);
}

TEST(IPC, ServerInAnotherProcess) {
    TPeerProcess peer(PeerArgs(), {"BP_IPC_PEER=server", "BP_STANDIN_SITE=home 127.0.0.1 23"});
    ASSERT_EQ(peer.ReadPeerLine(), "ready");
    TIPCClient client;
    std::vector<std::string> got;
    int lost = 0;
    client.OnData = [&](const void* r) { got.push_back(RecordText(r)); };
    client.OnDisconnect = [&](HWND) { ++lost; };
    client.Open();
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(peer.ReadPeerLine(), "connect");
    std::string open = EncodeIPCRecord(IPCCommandRecord(kIPCOpen));
    client.SendData(open.data(), kIPCRecordSize);
    EXPECT_EQ(peer.ReadPeerLine(), "data IPC_Open  0");
    EXPECT_EQ(got, std::vector<std::string>{"home 127.0.0.1 23"}) << "answered inside the send";
    peer.Kill();
    EXPECT_TRUE(PumpUntil([&] { return lost > 0; }, 10000)) << "a dead server counts as gone";
    EXPECT_FALSE(client.Connected());

    // The next server takes over.
    TPeerProcess next(PeerArgs(), {"BP_IPC_PEER=server"});
    ASSERT_EQ(next.ReadPeerLine(), "ready");
    client.Open();
    EXPECT_TRUE(client.Connected());
    std::string close = EncodeIPCRecord(IPCCommandRecord(kIPCClose));
    client.SendData(close.data(), kIPCRecordSize);
    EXPECT_EQ(next.ReadPeerLine(), "connect");
    EXPECT_EQ(next.ReadPeerLine(), "data IPC_Close  0");
    // The server reopened after "IPC_Close": the client hears it went.
    EXPECT_TRUE(PumpUntil([&] { return !client.Connected(); }, 5000));
}
