// The telnetdump tool against a peer that takes its time over the option
// negotiation: the quiet period that ends the dump counts every byte.
#include "ScriptedServer.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

namespace {

const std::string IAC = "\xff";

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
    std::string out;
    const int rc = testpeer::RunCommand(testpeer::BuiltProgram("telnetdump") + " 127.0.0.1 " +
                                            server.PortStr() + " --wait 400",
                                        out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("slow hello"), std::string::npos) << out;
}

} // namespace
