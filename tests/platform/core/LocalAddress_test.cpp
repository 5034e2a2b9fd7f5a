// The local address: the rule on its own, and the real lookup inside a
// network namespace of the test's own (its interfaces, hosts file and host
// name), run as this program started again under unshare.
#include "platform/core/LocalAddress.h"

#include "support/PeerProcess.h"
#include "support/ScratchFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::TScratchFolder;
using win::ChooseLocalAddress;

TEST(LocalAddressRule, LastLookupAddressWhenItIsNotLoopback) {
    EXPECT_EQ(ChooseLocalAddress(true, {"10.0.0.1", "192.0.2.7"}, {"10.0.0.1"}), "192.0.2.7");
    EXPECT_EQ(ChooseLocalAddress(true, {"127.0.1.1", "10.0.0.9"}, {}), "10.0.0.9");
}

TEST(LocalAddressRule, LoopbackLookupGivesWayToTheLastInterfaceAddress) {
    EXPECT_EQ(ChooseLocalAddress(true, {"127.0.1.1"}, {"10.1.0.5", "172.16.3.4"}), "172.16.3.4");
    EXPECT_EQ(ChooseLocalAddress(true, {"10.0.0.2", "127.0.0.1"}, {"10.1.0.5"}), "10.1.0.5");
    // Loopback-range addresses on other interfaces do not count either.
    EXPECT_EQ(ChooseLocalAddress(true, {"127.0.1.1"}, {"10.1.0.5", "127.3.0.1", ""}), "10.1.0.5");
}

TEST(LocalAddressRule, NoNetworkReadsAsLoopbackAndNoNameAsEmpty) {
    EXPECT_EQ(ChooseLocalAddress(true, {"127.0.1.1"}, {}), "127.0.0.1");
    EXPECT_EQ(ChooseLocalAddress(false, {}, {"10.1.0.5"}), "");
    EXPECT_EQ(ChooseLocalAddress(true, {}, {"10.1.0.5"}), "");
}

TEST(LocalAddressRule, LoopbackRange) {
    EXPECT_TRUE(win::IsLoopbackAddress("127.0.0.1"));
    EXPECT_TRUE(win::IsLoopbackAddress("127.255.3.1"));
    EXPECT_FALSE(win::IsLoopbackAddress("128.0.0.1"));
    EXPECT_FALSE(win::IsLoopbackAddress("12.0.0.1"));
    EXPECT_FALSE(win::IsLoopbackAddress("127.0.0"));
    EXPECT_FALSE(win::IsLoopbackAddress(""));
}

// Run inside the namespace: reports the address.
TEST(LocalAddressProbe, Run) {
    if (!std::getenv("BP_LOCAL_PROBE")) GTEST_SKIP() << "only as the namespace's probe";
    PeerSay("address=" + win::GetLocalIPAddress());
}

namespace {

std::string SelfPath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

// The address the probe sees in a namespace with these hosts lines and
// interface addresses ("" and *ok false when namespaces are not allowed).
std::string AddressInNamespace(const TScratchFolder& dir, const std::string& hosts,
                               const std::vector<std::string>& addresses, bool* ok) {
    TScratchFolder::Write(dir.File("hosts"), "127.0.0.1 localhost\n" + hosts);
    TScratchFolder::Write(dir.File("nsswitch.conf"), "hosts: files\n");
    TScratchFolder::Write(dir.File("resolv.conf"), "");
    std::string script = "set -e\n"
                         "mount --bind \"$D/hosts\" /etc/hosts\n"
                         "mount --bind \"$D/nsswitch.conf\" /etc/nsswitch.conf\n"
                         "mount --bind \"$D/resolv.conf\" /etc/resolv.conf\n"
                         "hostname probehost\n"
                         "ip link set lo up\n";
    if (!addresses.empty()) script += "ip link add v0 type veth peer name v1\n";
    for (const auto& a : addresses)
        script += "ip addr add " + a + "/24 dev v0\n";
    script += "echo @ready\nexec \"$SELF\" --gtest_filter=LocalAddressProbe.Run\n";
    TScratchFolder::Write(dir.File("setup.sh"), script);
    TPeerProcess p({"/usr/bin/unshare", "-rnmu", "/bin/sh", dir.File("setup.sh")},
                   {"D=" + dir.Path(), "SELF=" + SelfPath(), "BP_LOCAL_PROBE=1"});
    *ok = p.Started() && p.ReadPeerLine() == "ready";
    if (!*ok) return {};
    std::string line = p.ReadPeerLine();
    p.Wait();
    return line.rfind("address=", 0) == 0 ? line.substr(8) : "<" + line + ">";
}

bool CanUseNamespaces() {
    return ::access("/usr/bin/unshare", X_OK) == 0 &&
           (::access("/usr/sbin/ip", X_OK) == 0 || ::access("/sbin/ip", X_OK) == 0 ||
            ::access("/usr/bin/ip", X_OK) == 0);
}

} // namespace

TEST(LocalAddressInNamespace, NameOnLoopbackShowsTheInterfaceAddress) {
    if (!CanUseNamespaces()) GTEST_SKIP() << "no unshare or ip";
    TScratchFolder dir;
    bool ok = false;
    std::string a = AddressInNamespace(dir, "127.0.1.1 probehost\n", {"10.77.0.5"}, &ok);
    if (!ok) GTEST_SKIP() << "user and network namespaces are not available";
    EXPECT_EQ(a, "10.77.0.5");
}

TEST(LocalAddressInNamespace, NameOnLoopbackWithoutNetworkIsLoopback) {
    if (!CanUseNamespaces()) GTEST_SKIP() << "no unshare or ip";
    TScratchFolder dir;
    bool ok = false;
    std::string a = AddressInNamespace(dir, "127.0.1.1 probehost\n", {}, &ok);
    if (!ok) GTEST_SKIP() << "user and network namespaces are not available";
    EXPECT_EQ(a, "127.0.0.1");
}

TEST(LocalAddressInNamespace, NameOnAnAddressShowsThatAddress) {
    if (!CanUseNamespaces()) GTEST_SKIP() << "no unshare or ip";
    TScratchFolder dir;
    bool ok = false;
    std::string a = AddressInNamespace(dir, "10.88.0.9 probehost\n", {"10.77.0.5"}, &ok);
    if (!ok) GTEST_SKIP() << "user and network namespaces are not available";
    EXPECT_EQ(a, "10.88.0.9");
}

TEST(LocalAddressInNamespace, UnknownNameIsEmpty) {
    if (!CanUseNamespaces()) GTEST_SKIP() << "no unshare or ip";
    TScratchFolder dir;
    bool ok = false;
    std::string a = AddressInNamespace(dir, "", {"10.77.0.5"}, &ok);
    if (!ok) GTEST_SKIP() << "user and network namespaces are not available";
    EXPECT_EQ(a, "");
}
