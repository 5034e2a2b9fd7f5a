// Desktop entries and mimeapps lists: Exec quoting survives the trip
// through the file, field codes stand for what they should, and the
// default program is found the way desktops look for it.
#include "session/core/DesktopEntry.h"

#include "support/ScratchFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using testsupport::TScratchFolder;

namespace {

std::vector<std::string> Split(const std::string& exec, const TExecFields& f = {}) {
    std::vector<std::string> argv;
    EXPECT_TRUE(SplitExecLine(exec, f, argv)) << exec;
    return argv;
}

// Exec value as stored in a file and read back by a key lookup.
std::vector<std::string> ThroughFile(const std::vector<std::string>& argv) {
    std::string text = "[Desktop Entry]\nExec=" + EscapeDesktopString(BuildExecLine(argv)) + "\n";
    auto exec = ParseDesktopFile(text).String("Desktop Entry", "Exec");
    EXPECT_TRUE(exec.has_value());
    return Split(exec.value_or(""));
}

} // namespace

TEST(ExecLine, HostileArgumentsComeBackByteForByte) {
    const std::vector<std::string> argv{"/opt/my programs/term",
                                        "a b",
                                        "100%",
                                        "%u",
                                        "\"quoted\"",
                                        "it's",
                                        "$(rm -rf ~)",
                                        "`id`",
                                        "back\\slash",
                                        "-leading",
                                        "semi;colon",
                                        "",
                                        "tab\there",
                                        "#hash",
                                        "a&b|c>d<e",
                                        "~user",
                                        "*?"};
    EXPECT_EQ(ThroughFile(argv), argv);
}

TEST(ExecLine, PlainArgumentsStayUnquotedAndPercentIsDoubled) {
    EXPECT_EQ(BuildExecLine({"/usr/bin/prog", "-x", "50%"}), "/usr/bin/prog -x 50%%");
    EXPECT_EQ(QuoteExecArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuoteExecArgument("$HOME"), "\"\\$HOME\"");
    EXPECT_EQ(QuoteExecArgument(""), "\"\"");
}

TEST(ExecLine, FieldCodesReplacedAndEmptyOnesDropped) {
    TExecFields f;
    f.Url = "http://127.0.0.1/a b";
    EXPECT_EQ(Split("firefox %u", f),
              (std::vector<std::string>{"firefox", "http://127.0.0.1/a b"}));
    EXPECT_EQ(Split("browser --new %U --x", f),
              (std::vector<std::string>{"browser", "--new", "http://127.0.0.1/a b", "--x"}));
    // No address: the code leaves no empty argument behind.
    EXPECT_EQ(Split("firefox %u"), (std::vector<std::string>{"firefox"}));
    // Deprecated codes and an empty icon stand for nothing; %% is a percent.
    EXPECT_EQ(Split("b %d %D %n %N %v %m %i 100%%"), (std::vector<std::string>{"b", "100%"}));
    f.Icon = "web";
    f.Name = "Web";
    EXPECT_EQ(
        Split("b %i --name=%c %f", f),
        (std::vector<std::string>{"b", "--icon", "web", "--name=Web", "http://127.0.0.1/a b"}));
}

TEST(ExecLine, TheAddressIsNeverReparsed) {
    TExecFields f;
    f.Url = "x\" ; touch /tmp/owned ; \"";
    auto argv = Split("browser %u", f);
    ASSERT_EQ(argv.size(), 2u);
    EXPECT_EQ(argv[1], f.Url);
}

TEST(ExecLine, OpenQuoteIsMalformed) {
    std::vector<std::string> argv{"left"};
    EXPECT_FALSE(SplitExecLine("prog \"never closed", {}, argv));
    EXPECT_TRUE(argv.empty());
    EXPECT_TRUE(SplitExecLine("   ", {}, argv));
    EXPECT_TRUE(argv.empty());
}

TEST(DesktopFile, GroupsKeysCommentsAndEscapes) {
    auto f = ParseDesktopFile("stray=before group\n# comment\n[Desktop Entry]\r\n"
                              "Name = Term \r\nComment=two\\nlines\\s\\\\ end\n"
                              "garbage line\nName=Later\n[Other]\nName=Other\n[broken\n");
    EXPECT_EQ(f.String("Desktop Entry", "Name"), "Later");
    EXPECT_EQ(f.String("Desktop Entry", "Comment"), "two\nlines \\ end");
    EXPECT_EQ(f.String("Other", "Name"), "Other");
    EXPECT_FALSE(f.Raw("Desktop Entry", "stray"));
    EXPECT_FALSE(f.Raw("Missing", "Name"));
    EXPECT_EQ(UnescapeDesktopString(EscapeDesktopString(" lead and trail \n\t\\ ")),
              " lead and trail \n\t\\ ");
}

TEST(MimeApps, DefaultsInOrderAndUnsafeIdsSkipped) {
    std::string list = "[Added Associations]\nx-scheme-handler/http=added.desktop;\n"
                       "[Default Applications]\n"
                       "x-scheme-handler/http=missing.desktop; web.desktop ;../evil.desktop;;\n";
    EXPECT_EQ(DefaultApplicationsIn(list, "x-scheme-handler/http"),
              (std::vector<std::string>{"missing.desktop", "web.desktop"}));
    EXPECT_TRUE(DefaultApplicationsIn(list, "text/html").empty());
}

TEST(MimeApps, LookupOrderPutsDesktopSpecificUserFilesFirst) {
    TXdgPaths x;
    x.ConfigHome = "/c/";
    x.ConfigDirs = {"/etc/xdg/"};
    x.DataHome = "/d/";
    x.DataDirs = {"/usr/share/"};
    x.Desktops = {"kde"};
    EXPECT_EQ(MimeAppsFiles(x),
              (std::vector<std::string>{
                  "/c/kde-mimeapps.list", "/c/mimeapps.list", "/etc/xdg/kde-mimeapps.list",
                  "/etc/xdg/mimeapps.list", "/d/applications/kde-mimeapps.list",
                  "/d/applications/mimeapps.list", "/usr/share/applications/kde-mimeapps.list",
                  "/usr/share/applications/mimeapps.list"}));
}

TEST(MimeApps, DefaultExecSkipsUninstalledAndFallsBackByType) {
    TScratchFolder dir;
    TXdgPaths x;
    x.ConfigHome = dir.File("config/");
    x.DataHome = dir.File("data/");
    x.DataDirs = {dir.File("system/")};
    for (auto* sub : {"config", "data/applications", "system/applications/vendor"})
        std::filesystem::create_directories(dir.File(sub));
    // The user's list names an entry that is not installed, then one in a
    // vendor sub-folder; the HTML default is only a fallback.
    TScratchFolder::Write(x.ConfigHome + "mimeapps.list",
                          "[Default Applications]\nx-scheme-handler/http=gone.desktop;"
                          "vendor-web.desktop\ntext/html=html.desktop\n");
    TScratchFolder::Write(dir.File("system/applications/vendor/web.desktop"),
                          "[Desktop Entry]\nExec=\"/opt/web browser/run\" %u\n");
    TScratchFolder::Write(dir.File("data/applications/html.desktop"),
                          "[Desktop Entry]\nExec=html %f\n");
    EXPECT_EQ(DefaultExecFor(x, {"x-scheme-handler/http", "text/html"}),
              "\"/opt/web browser/run\" %u");
    EXPECT_EQ(DefaultExecFor(x, {"x-scheme-handler/https", "text/html"}), "html %f");
    EXPECT_EQ(DefaultExecFor(x, {"x-scheme-handler/ftp"}), "");
    EXPECT_EQ(FindDesktopEntryFile(x, "../html.desktop"), "");
}
