// The telnetdump tool against a peer that takes its time over the option
// negotiation: the quiet period that ends the dump counts every byte.
#include "ScriptedServer.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

namespace {

const std::string IAC = "\xff";

// The tool's output for the peer with the given quiet period; rc its status.
std::string Dump(const bptest::TScriptedServer& server, int waitMs, int& rc) {
    std::string out;
    rc = testpeer::RunCommand(testpeer::BuiltProgram("telnetdump") + " 127.0.0.1 " +
                                  server.PortStr() + " --wait " + std::to_string(waitMs),
                              out);
    return out;
}

TEST(TelnetDumpTool, SlowNegotiationIsNotCutOff) {
    // Options arrive every 150 ms for about 1.5 s, then the text; the tool's
    // quiet period (400 ms) is longer than any gap, so it waits for the text.
    bptest::TScriptedServer server([](int fd, int) {
        const char options[] = {'\x18', '\x03', '\x01', '\x00'};
        for (int i = 0; i < 10; ++i) {
            const std::string verb = i % 2 ? "\xfb" : "\xfd";
            bptest::SendAll(fd, IAC + verb + options[i % 4]);
            bptest::SleepMs(150);
        }
        bptest::SendAll(fd, "slow hello\r\n");
        bptest::ReadToEnd(fd, 3000);
    });
    int rc = -1;
    const std::string out = Dump(server, 400, rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("slow hello"), std::string::npos) << out;
}

// One option, a pause shorter than the quiet period, then the terminal-type
// question and the text: the option alone keeps the tool listening.
TEST(TelnetDumpTool, AnOptionAloneKeepsTheToolListening) {
    bptest::TScriptedServer server([](int fd, int) {
        bptest::SendAll(fd, IAC + "\xfd\x18"); // DO TERMINAL-TYPE
        bptest::SleepMs(550);
        bptest::SendAll(fd, IAC + "\xfa\x18\x01" + IAC + "\xf0" + "typed hello\r\n");
        bptest::ReadToEnd(fd, 3000);
    });
    int rc = -1;
    const std::string out = Dump(server, 600, rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("typed hello"), std::string::npos) << out;
}

} // namespace
