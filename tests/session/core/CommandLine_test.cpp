// Command-line grammar: telnet URL bodies, the first instance's boxes, the
// hand-over strings, the hand-over file and the telnet-link handler command.
#include "platform/core/Big5.h"
#include "session/core/CommandLine.h"
#include "session/core/HandlerCommand.h"
#include "session/core/MainSettings.h"

#include <gtest/gtest.h>

namespace {

TTelnetUrl Url(const std::string& body) {
    TTelnetUrl u{"unset", "unset", "unset"};
    ParseUrlBody(body, u);
    return u;
}

TEST(TelnetUrl, BodyGrammar) {
    EXPECT_EQ(Url("home;10.0.0.1;2323"), (TTelnetUrl{"home", "10.0.0.1", "2323", true}));
    EXPECT_EQ(Url("host.example:23/"), (TTelnetUrl{"", "host.example", "23", true}));
    EXPECT_EQ(Url("host/"), (TTelnetUrl{"", "host", "23"}));
    EXPECT_EQ(Url("a;b:99"), (TTelnetUrl{"a", "b", "99", true}));
    EXPECT_EQ(Url("b"), (TTelnetUrl{"", "b", "23"}));
    EXPECT_EQ(Url("host:"), (TTelnetUrl{"", "host", "23"}));
    EXPECT_EQ(Url("host:x1"), (TTelnetUrl{"", "host", ""}));
    EXPECT_EQ(Url("alias/;host/"), (TTelnetUrl{"alias", "host", "23"}));
    EXPECT_EQ(Url(";host"), (TTelnetUrl{"", "host", "23"}));
    EXPECT_EQ(Url("alias;"), (TTelnetUrl{"alias", "", "23"}));
    EXPECT_EQ(Url(":23"), (TTelnetUrl{"", "", "23", true}));
    EXPECT_EQ(Url("h//"), (TTelnetUrl{"", "h/", "23"}));
    // An empty body touches nothing.
    EXPECT_EQ(Url(""), (TTelnetUrl{"unset", "unset", "unset"}));
}

TEST(TelnetUrl, SchemesAndScripts) {
    std::string body;
    EXPECT_TRUE(TelnetUrlBody("TeLnEt://x", body));
    EXPECT_EQ(body, "x");
    EXPECT_TRUE(TelnetUrlBody("telnet:x:1", body));
    EXPECT_EQ(body, "x:1");
    EXPECT_TRUE(TelnetUrlBody("telnet://", body));
    EXPECT_EQ(body, "");
    EXPECT_FALSE(TelnetUrlBody("telne", body));
    EXPECT_FALSE(TelnetUrlBody("http://x", body));
    EXPECT_TRUE(IsScriptArgument("script://a.txt"));
    EXPECT_TRUE(IsScriptArgument("SCRIPT://"));
    EXPECT_FALSE(IsScriptArgument("script:/a"));
}

TStartRequest Start(std::vector<std::string> args) {
    return ReadCommandLine(FirstThree(args), TConnectFields{"history", "", "23"});
}

TEST(FirstInstance, CommandLineFillsTheBoxes) {
    EXPECT_EQ(Start({}).Action, TStartAction::None);

    TStartRequest r = Start({"Script://C:/x/run.txt"});
    EXPECT_EQ(r.Action, TStartAction::RunScript);
    EXPECT_EQ(r.ScriptFile, "C:/x/run.txt");

    r = Start({"name", "host", "2323"});
    EXPECT_EQ(r.Action, TStartAction::Connect);
    EXPECT_EQ(r.Fields, (TConnectFields{"name", "host", "2323", true}));
    EXPECT_TRUE(r.SetPendingHost);

    r = Start({"host", "23//"});
    EXPECT_EQ(r.Fields, (TConnectFields{"host", "", "23", true}));
    EXPECT_FALSE(r.SetPendingHost);

    r = Start({"telnet://a;b:99"});
    EXPECT_EQ(r.Fields, (TConnectFields{"a", "b", "99", true}));
    EXPECT_TRUE(r.SetPendingHost);

    r = Start({"telnet://b"});
    EXPECT_EQ(r.Fields, (TConnectFields{"b", "", "23"}));

    // The port of the URL replaces the second argument's.
    r = Start({"telnet:h:77", "99"});
    EXPECT_EQ(r.Fields.PortBox, "77");
    // A link with nothing after the scheme asks for nothing: no connect
    // to the history's first host.
    r = Start({"telnet://", "99"});
    EXPECT_EQ(r.Action, TStartAction::None);
    EXPECT_EQ(r.Fields, (TConnectFields{"history", "", "23"}));
    EXPECT_EQ(Start({"TELNET:"}).Action, TStartAction::None);

    // A Big5 alias passes byte for byte.
    std::string alias = win::Utf8ToBig5("批踢踢");
    r = Start({"telnet://" + alias + ";127.0.0.1:2323"});
    EXPECT_EQ(r.Fields, (TConnectFields{alias, "127.0.0.1", "2323", true}));
}

// Links from the desktop arrive as UTF-8; the program's text is Big5.
TEST(FirstInstance, UnicodeArgumentsBecomeBig5AndBig5StaysAsItIs) {
    const std::string big5 = win::Utf8ToBig5("名稱");
    ASSERT_EQ(big5.size(), 4u);
    EXPECT_EQ(ArgumentToBig5("telnet://名稱;127.0.0.1:2324"),
              "telnet://" + big5 + ";127.0.0.1:2324");
    // Big5 (as the site-list program passes it) is not valid UTF-8 here.
    EXPECT_EQ(ArgumentToBig5("telnet://" + big5 + ";h"), "telnet://" + big5 + ";h");
    // A user-defined Big5 pair and stray high bytes pass byte for byte.
    EXPECT_EQ(ArgumentToBig5("bbs\xFA\x40x"), "bbs\xFA\x40x");
    EXPECT_EQ(ArgumentToBig5("\xC0\xAF"), "\xC0\xAF");         // overlong "/"
    EXPECT_EQ(ArgumentToBig5("\xED\xA0\x80"), "\xED\xA0\x80"); // a surrogate
    EXPECT_EQ(ArgumentToBig5("\xE5\x90"), "\xE5\x90");         // cut short
    EXPECT_EQ(ArgumentToBig5("plain-ascii:23"), "plain-ascii:23");
    EXPECT_EQ(ArgumentToBig5(""), "");
    // A script's file name is opened as the file system spells it.
    EXPECT_EQ(ArgumentToBig5("script:///tmp/腳本.txt"), "script:///tmp/腳本.txt");
}

TEST(FirstInstance, HelpAndUnknownOptions) {
    std::string unknown;
    EXPECT_EQ(CheckOptions({}, &unknown), TOptionCheck::Run);
    EXPECT_EQ(CheckOptions({"127.0.0.1", "23", "-"}, &unknown), TOptionCheck::Run);
    EXPECT_EQ(CheckOptions({"--help"}, &unknown), TOptionCheck::Help);
    EXPECT_EQ(CheckOptions({"host", "-h"}, &unknown), TOptionCheck::Help);
    EXPECT_EQ(CheckOptions({"--version", "host"}, &unknown), TOptionCheck::Unknown);
    EXPECT_EQ(unknown, "--version");
    const std::string usage = UsageText("BrannocPro");
    for (const char* form : {"telnet://", "alias;", "host [port]", "alias host port", "script://"})
        EXPECT_NE(usage.find(form), std::string::npos) << form;
}

THandover Hand(std::vector<std::string> args) {
    return HandoverFromArguments(FirstThree(args));
}

TEST(SecondStart, HandsOverAnythingButNothingOrAScript) {
    EXPECT_FALSE(IsHandover(FirstThree({})));
    EXPECT_FALSE(IsHandover(FirstThree({"sCrIpT://x"})));
    EXPECT_TRUE(IsHandover(FirstThree({"host"})));
    EXPECT_TRUE(IsHandover(FirstThree({""})));

    EXPECT_EQ(Hand({"name", "host", "2323"}), (THandover{"name", "host", "2323", "", true}));
    EXPECT_EQ(Hand({"host", "23//"}), (THandover{"host", "host", "23", "", true}));
    EXPECT_EQ(Hand({"host"}), (THandover{"host", "host", "23", ""}));
    EXPECT_EQ(Hand({"telnet://a;b:99"}), (THandover{"a", "b", "99", "", true}));
    EXPECT_EQ(Hand({"TELNET:b/"}), (THandover{"b", "b", "23", ""}));
    EXPECT_EQ(Hand({"telnet://alias;"}), (THandover{"alias", "", "23", ""}));
    // An empty body leaves the host empty: the second start only brings
    // the running instance forward.
    EXPECT_EQ(Hand({"telnet://"}).Host, "");
}

TEST(HandoverFile, RoundTripAndDefaults) {
    THandover h{win::Utf8ToBig5("站"), "127.0.0.1", "2323", "77"};
    bool hasHost = false;
    EXPECT_EQ(ReadHandoverFile(HandoverFileText(h), &hasHost), h);
    h.PortGiven = true;
    EXPECT_EQ(ReadHandoverFile(HandoverFileText(h), &hasHost), h);
    EXPECT_TRUE(hasHost);
    EXPECT_NE(HandoverFileText(h).find("[Para]\r\nAlias="), std::string::npos);

    THandover d = ReadHandoverFile("", &hasHost);
    EXPECT_EQ(d, (THandover{BuiltInHost, BuiltInHost, "23", ""}));
    EXPECT_FALSE(hasHost);
    ReadHandoverFile("[Para]\nAlias=a\nHost=\nPort=1\n", &hasHost);
    EXPECT_FALSE(hasHost);
    // Garbage reads as the defaults.
    EXPECT_EQ(ReadHandoverFile(std::string("\0\xff[[=\n", 6), &hasHost).Port, "23");
}

TEST(HandoverFile, QuotedAndPaddedArgumentsArriveAsTyped) {
    // A reader drops blanks and one pair of quotes around a value.
    const THandover h{" 'a' ", "\"127.0.0.1\"", "'23'", "''''"};
    EXPECT_EQ(ReadHandoverFile(HandoverFileText(h), nullptr), h);
}

TEST(HandlerCommand, NamesThisProgramWithOrWithoutQuotes) {
    EXPECT_TRUE(HandlerNamesProgram("\"/opt/my dir/BrannocPro\" %u", "BrannocPro"));
    EXPECT_TRUE(HandlerNamesProgram("/opt/bp/brannocpro %u", "BrannocPro"));
    EXPECT_TRUE(HandlerNamesProgram("C:\\Program Files\\BRANNOCPRO %1 %2", "BrannocPro") == false);
    EXPECT_TRUE(HandlerNamesProgram("\"C:\\Program Files\\BRANNOCPRO\" %1 %2", "BrannocPro"));
    EXPECT_FALSE(HandlerNamesProgram("/usr/bin/telnet %u", "BrannocPro"));
    EXPECT_FALSE(HandlerNamesProgram("", "BrannocPro"));
    EXPECT_FALSE(HandlerNamesProgram("\"/opt/BrannocProX\"", "BrannocPro"));
    // What we write is what we recognise, even with blanks and quotes in the path.
    for (std::string path : {"/opt/bp/BrannocPro", "/home/a b/BrannocPro", "/tmp/q\"x/BrannocPro",
                             "/opt/100%/BrannocPro"})
        EXPECT_TRUE(HandlerNamesProgram(HandlerCommandFor(path), "BrannocPro")) << path;
}

} // namespace

// The toolkit's own options never reach the boxes, whichever form they take;
// everything else keeps its place.
TEST(FirstInstance, ToolkitOptionsAreNotHostsOrPorts) {
    using V = std::vector<std::string>;
    EXPECT_EQ(WithoutToolkitOptions({"-platform", "xcb", "127.0.0.1", "2323"}),
              (V{"127.0.0.1", "2323"}));
    EXPECT_EQ(WithoutToolkitOptions({"127.0.0.1", "--style=fusion", "-reverse", "23", "-geometry",
                                     "640x480", "alias"}),
              (V{"127.0.0.1", "23", "alias"}));
    EXPECT_EQ(WithoutToolkitOptions({"-qmljsdebugger=port:1", "-platform"}), V{});
    // Unknown dashes, a lone dash and a Big5 alias stay as typed.
    EXPECT_EQ(WithoutToolkitOptions({"-x", "-", "\xA4\xA4"}), (V{"-x", "-", "\xA4\xA4"}));
    const TStartRequest r = Start(WithoutToolkitOptions({"-platform", "offscreen", "h", "2323"}));
    EXPECT_EQ(r.Action, TStartAction::Connect);
    EXPECT_EQ(r.Fields.PortBox, "2323");
}

// Without a desktop the message shows a command that starts the program as
// it was started (run.sh starts build/program/BrannocPro, which is on no
// PATH), quoted for the shell when the path needs it.
TEST(NoDisplay, TheHintStartsTheProgramAsItWasStarted) {
    TDisplayEnvironment none;
    const auto hint = [&](const std::string& started) {
        const std::string m = NoDisplayMessage(none, "BrannocPro", started);
        const auto at = m.find("xvfb-run -a ");
        return at == std::string::npos ? std::string("<none>") : m.substr(at);
    };
    EXPECT_EQ(hint("build/program/BrannocPro"), "xvfb-run -a build/program/BrannocPro\n");
    EXPECT_EQ(hint(""), "xvfb-run -a BrannocPro\n");
    EXPECT_EQ(hint("/opt/my apps/BrannocPro"), "xvfb-run -a '/opt/my apps/BrannocPro'\n");
    EXPECT_EQ(hint("/tmp/it's/BrannocPro"), "xvfb-run -a '/tmp/it'\\''s/BrannocPro'\n");
    // Where a desktop can be had there is no message at all.
    TDisplayEnvironment x11;
    x11.Display = ":0";
    x11.X11Opens = true;
    EXPECT_EQ(NoDisplayMessage(x11, "BrannocPro", "build/program/BrannocPro"), "");
}
