// The site-list model: reading the tree from the lines, every edit through
// the one insert/erase road, and files that do not fit the grammar.
#include "sitelist/core/SiteList.h"
#include "sitelist/core/SiteSearch.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace sitelist;

namespace {

TSiteList Load(std::string_view bytes) {
    TSiteList list;
    list.Assign(bytes);
    return list;
}

std::vector<std::string> Names(const TSiteList& list, const std::vector<int>& nodes) {
    std::vector<std::string> out;
    for (int n : nodes)
        out.push_back(list.FolderName(n));
    return out;
}

std::vector<std::string> Aliases(const TSiteList& list, int node) {
    std::vector<std::string> out;
    for (const auto& s : list.FillSiteList(node))
        out.push_back(s.Fields.Alias);
    return out;
}

// The tree as text: one "name: alias alias" entry per node, indented by depth.
std::string Shape(const TSiteList& list) {
    std::string out;
    for (int n = 0; n < list.NodeCount(); ++n) {
        out += std::string(static_cast<std::size_t>(list.Node(n).Depth) * 2, ' ') +
               list.FolderName(n) + ":";
        for (const auto& a : Aliases(list, n))
            out += " " + a;
        out += "\n";
    }
    return out;
}

// Records what the observer hears and keeps a node-name mirror like a tree view.
struct TMirror : TSiteListObserver {
    explicit TMirror(TSiteList& l) : List(l) {
        List.SetObserver(this);
        Reset();
    }
    void NodesInserted(int first, int count) override {
        for (int i = 0; i < count; ++i)
            Names.insert(Names.begin() + first + i, List.FolderName(first + i));
    }
    void NodesErased(int first, int count) override {
        Names.erase(Names.begin() + first, Names.begin() + first + count);
    }
    void NodeChanged(int node) override {
        Names[static_cast<std::size_t>(node)] = List.FolderName(node);
    }
    void Reset() override {
        ++Resets;
        Names.clear();
        for (int n = 0; n < List.NodeCount(); ++n)
            Names.push_back(List.FolderName(n));
    }
    TSiteList& List;
    std::vector<std::string> Names;
    int Resets = 0;
};

} // namespace

TEST(SiteListGrammar, FourLineFileGivesFoldersSitesRemarksAndPorts) {
    TSiteList list = Load("/A\r\n-//s1;h1;23;x;y\r\n-/B\r\n--//s2;h2;2323;\r\n");
    ASSERT_EQ(list.NodeCount(), 2);
    EXPECT_EQ(list.FolderName(0), "A");
    EXPECT_EQ(list.Node(1).Parent, 0);
    auto a = list.FillSiteList(0);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].Fields, (TSiteFields{"s1", "h1", "23", "x;y"}));
    auto b = list.FillSiteList(1);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].Fields.Port, "2323");
    EXPECT_EQ(b[0].Fields.Remark, "");

    TFolderScan s = list.ScanFolder(0);
    EXPECT_EQ(s.FirstSite, 1);
    EXPECT_EQ(s.FirstSubFolder, 2);
    EXPECT_EQ(s.FirstSubSite, 3);
    EXPECT_EQ(s.BlockEnd, 4);
}

TEST(SiteListGrammar, LineDepthFieldsAndCopyNames) {
    EXPECT_EQ(ParseLineDepth("--/x").Depth, 2);
    EXPECT_FALSE(ParseLineDepth("--/x").IsSite);
    EXPECT_TRUE(ParseLineDepth("--//x").IsSite);
    EXPECT_EQ(ParseLineDepth("--//x").Depth, 1);
    EXPECT_EQ(ParseLineDepth("/").Depth, 0);

    std::size_t pos = 0;
    EXPECT_EQ(ReadField("a;;b", pos), "a");
    EXPECT_EQ(ReadField("a;;b", pos), "");
    EXPECT_EQ(ReadField("a;;b", pos), "b");
    EXPECT_EQ(ReadField("a;;b", pos), "");

    const std::string p = NewPrefix();
    EXPECT_EQ(MakeCopyName("X", p), p + " - X");
    EXPECT_EQ(MakeCopyName(p + " - X", p), p + " (2) - X");
    EXPECT_EQ(MakeCopyName(p + " (9) - X", p), p + " (10) - X");
    EXPECT_EQ(MakeCopyName(p + " (z) - X", p), p + " - " + p + " (z) - X");

    EXPECT_EQ(PortNumber("2323"), 2323);
    EXPECT_EQ(PortNumber("abc"), 23);
    EXPECT_EQ(PortNumber(""), 23);
}

TEST(SiteListGrammar, RefusedInputsAndRemarkLineBreaks) {
    EXPECT_FALSE(CheckSiteFields({"a;b", "h", "23", ""}).empty());
    EXPECT_FALSE(CheckSiteFields({"a", "h\n", "23", ""}).empty());
    EXPECT_FALSE(CheckSiteFields({"a", "h", "2;3", ""}).empty());
    EXPECT_TRUE(CheckSiteFields({"a", "h", "23", "remarks; may hold them"}).empty());
    EXPECT_FALSE(CheckFolderName("/x").empty());
    EXPECT_FALSE(CheckFolderName("a\r\nb").empty());
    EXPECT_TRUE(CheckFolderName("a/b").empty());
    EXPECT_EQ(OneLineRemark("one\r\ntwo\nthree\r\n"), "one two three");

    TSiteList list = Load("/A\r\n-//s;h;23;\r\n");
    EXPECT_FALSE(list.RenameFolder(0, "/B").empty());
    EXPECT_FALSE(list.RenameSite(1, "x;y").empty());
    EXPECT_FALSE(list.SetSite(1, {"s", "h;2", "23", ""}));
    EXPECT_TRUE(list.RenameFolder(0, "").empty()); // an empty name reverts
    EXPECT_FALSE(list.Modified);
    EXPECT_TRUE(list.SetSite(1, {"s", "h", "23", "a\nb\n"}));
    EXPECT_EQ(list.Text(), "/A\r\n-//s;h;23;a b\r\n");
    EXPECT_FALSE(list.SetSite(1, {"s", "h", "23", "a b"})); // unchanged values change nothing
}

TEST(SiteListFile, StrayAndBlankLinesStayInPlaceHiddenFromEveryWalk) {
    const std::string file = "stray first\r\n"
                             "/A\r\n"
                             "\r\n"
                             "-//s1;h;23;\r\n"
                             "---/too deep\r\n"
                             "---//orphan;h;23;\r\n"
                             "-/B\r\n"
                             "garbage\r\n"
                             "--//s2;h;23;\r\n"
                             "-//late;h;23;\r\n"
                             "/C\r\n";
    TSiteList list = Load(file);
    // A's site after B's block is A's.
    EXPECT_EQ(Shape(list), "A: s1 late\n  B: s2\nC:\n");
    EXPECT_EQ(list.Text(), file);
    EXPECT_EQ(SearchSites(list, "").size(), 3u);

    // Deleting B takes the lines of its block, stray ones included, and
    // leaves A's site that followed it.
    list.DeleteFolder(1);
    EXPECT_EQ(list.Text(), "stray first\r\n/A\r\n\r\n-//s1;h;23;\r\n---/too deep\r\n"
                           "---//orphan;h;23;\r\n-//late;h;23;\r\n/C\r\n");
    // A new site goes after the folder's last one and moves no other line.
    list.CreateSite(0);
    EXPECT_EQ(list.Line(7), "-//" + NewSiteAlias() + ";" + NewSiteAddress() + ";23;");
    EXPECT_EQ(list.Line(8), "/C");
}

// A folder's site may follow one of its subfolders: it is listed under the
// folder, ends the subfolder's block, and a folder line after it can only
// open a sibling of that subfolder.
TEST(SiteListFile, ASiteAfterASubfolderBelongsToItsFolder) {
    TSiteList list = Load("/A\r\n-/B\r\n--//b1;h;23;\r\n-//a2;h;23;\r\n--/X\r\n-/C\r\n"
                          "---//deep;h;23;\r\n/D\r\n");
    EXPECT_EQ(Shape(list), "A: a2\n  B: b1\n  C:\nD:\n");
    EXPECT_EQ(list.OwnerOfSite(3), 0);
    EXPECT_EQ(list.BlockEnd(1), 3);
    EXPECT_EQ(list.ScanFolder(0).LastSite, 3);
    auto hits = SearchSites(list, "a2");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].FolderPath, "A");

    // Copying and deleting B leave A's site where it is.
    TMirror mirror(list);
    list.CopyFolder(1);
    EXPECT_TRUE(list.Paste(2).empty()); // into C
    EXPECT_EQ(Shape(list), "A: a2\n  B: b1\n  C:\n    B: b1\nD:\n");
    list.DeleteFolder(1);
    EXPECT_EQ(list.Text(), "/A\r\n-//a2;h;23;\r\n--/X\r\n-/C\r\n---//deep;h;23;\r\n"
                           "--/B\r\n---//b1;h;23;\r\n/D\r\n");
    EXPECT_EQ(Shape(list), "A: a2\n  C:\n    B: b1\nD:\n");
    EXPECT_EQ(mirror.Names, (std::vector<std::string>{"A", "C", "B", "D"}));
}

TEST(SiteListFile, CutOffFileAndLineEndsRoundTrip) {
    EXPECT_EQ(Load("/A\r\n-//s;h;23;x").Text(), "/A\r\n-//s;h;23;x");
    EXPECT_EQ(Load("/A\n-//s;h\n").Text(), "/A\r\n-//s;h\r\n");
    EXPECT_EQ(Load("/A\r-/B\r").NodeCount(), 2);
    EXPECT_EQ(Load("").Text(), "");
    TSiteList cut = Load("/A\r\n-//s;h");
    EXPECT_EQ(cut.FillSiteList(0).at(0).Fields.Address, "h");
}

TEST(SiteListEdits, NewFoldersGoAtTheEndOfTheBlockAndAreNamedOnce) {
    TSiteList list = Load("/A\r\n-//a1;h;23;\r\n-/B\r\n--//b1;h;23;\r\n/Z\r\n");
    TMirror mirror(list);
    int first = list.CreateFolder(0);
    int second = list.CreateFolder(0);
    EXPECT_EQ(list.FolderName(first), NewFolderName());
    EXPECT_EQ(list.FolderName(second), NewPrefix() + " - " + NewFolderName());
    EXPECT_EQ(Shape(list), "A: a1\n  B: b1\n  " + NewFolderName() + ":\n  " + NewPrefix() + " - " +
                               NewFolderName() + ":\nZ:\n");
    EXPECT_EQ(Names(list, list.Children(0)).size(), 3u);
    int top = list.CreateFolder(-1);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(list.Line(0), "/" + NewFolderName());
    EXPECT_EQ(mirror.Resets, 1);
    std::vector<std::string> all;
    for (int n = 0; n < list.NodeCount(); ++n)
        all.push_back(list.FolderName(n));
    EXPECT_EQ(mirror.Names, all);
    EXPECT_TRUE(list.Modified);
}

TEST(SiteListEdits, NewSitesAreNamedOnceAgainstTheList) {
    TSiteList list = Load("/A\r\n-/B\r\n");
    list.CreateSite(0);
    list.CreateSite(0);
    EXPECT_EQ(Aliases(list, 0),
              (std::vector<std::string>{NewSiteAlias(), NewPrefix() + " - " + NewSiteAlias()}));
    EXPECT_EQ(list.Node(1).Line, 3); // the subfolder follows the sites
}

TEST(SiteListEdits, CopyIsASnapshotThatLaterInsertsDoNotShift) {
    TSiteList list = Load("/A\r\n-//s1;h1;23;\r\n-//s2;h2;23;\r\n/B\r\n");
    list.CopySites({1});
    list.CreateSite(0); // shifts s1's old line index
    list.CreateFolder(-1);
    ASSERT_TRUE(list.CanPaste());
    std::vector<int> pasted;
    EXPECT_TRUE(list.Paste(list.NodeCount() - 1, &pasted).empty());
    EXPECT_EQ(Aliases(list, list.NodeCount() - 1), std::vector<std::string>{"s1"});
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(list.Line(pasted[0]), "-//s1;h1;23;");
}

TEST(SiteListEdits, PastedSitesIntoTheirFolderGetCopyNames) {
    TSiteList list = Load("/A\r\n--//x\r\n-//s1;h1;23;r\r\n-/Sub\r\n");
    list.CopySites({2});
    list.Paste(0);
    list.Paste(0);
    const std::string c = CopyPrefix();
    EXPECT_EQ(Aliases(list, 0), (std::vector<std::string>{"s1", c + " - s1", c + " (2) - s1"}));
    EXPECT_EQ(list.Line(3), "-//" + c + " - s1;h1;23;r");
    // Into a deeper folder the dashes follow its depth.
    list.Paste(1);
    EXPECT_EQ(list.Line(list.LineCount() - 1), "--//s1;h1;23;r");
}

TEST(SiteListEdits, CopyNamesMatchAStepByStepSearchAndScaleToThousands) {
    const std::string c = CopyPrefix();
    // Names of the folder and copies that start inside one another's chains.
    const std::vector<std::string> folder = {"a", c + " (3) - a", c + " - a", "b"};
    const std::vector<std::string> copies = {c + " - a", "a", "a", "a", c + " (2) - a", "b", "a"};
    std::vector<std::string> taken = folder;
    TCopyNamer namer(folder);
    for (const std::string& name : copies) {
        std::string expected = name; // the plain search: one step at a time
        while (std::find(taken.begin(), taken.end(), expected) != taken.end())
            expected = MakeCopyName(expected, c);
        taken.push_back(expected);
        EXPECT_EQ(namer.Take(name), expected) << name;
    }

    // 2,000 sites of one name pasted into their own folder.
    std::string file = "/A\r\n";
    for (int i = 0; i < 2000; ++i)
        file += "-//s;h;23;\r\n";
    TSiteList list = Load(file);
    list.CopySites(list.SiteLines(0));
    ASSERT_TRUE(list.Paste(0).empty());
    const std::vector<std::string> names = Aliases(list, 0);
    ASSERT_EQ(names.size(), 4000u);
    EXPECT_EQ(names[2000], c + " - s");
    EXPECT_EQ(names[2001], c + " (2) - s");
    EXPECT_EQ(names.back(), c + " (2000) - s");
}

TEST(SiteListEdits, FolderPasteRefusalsFollowTheCopiedFolder) {
    TSiteList list = Load("/A\r\n-/A1\r\n--//s;h;23;\r\n/B\r\n");
    list.CopyFolder(0);
    list.CreateFolder(-1); // shifts A's lines down by one
    EXPECT_EQ(list.Paste(1), "來源和目的為同一目錄!");
    EXPECT_EQ(list.Paste(2), "目的是來源的子目錄!");
    TMirror mirror(list);
    EXPECT_TRUE(list.Paste(3).empty()); // into B
    EXPECT_EQ(Shape(list), NewFolderName() + ":\nA:\n  A1: s\nB:\n  A:\n    A1: s\n");
    EXPECT_EQ(mirror.Resets, 1);
    EXPECT_EQ(mirror.Names.size(), 6u);
    list.DeleteFolder(0);
    EXPECT_FALSE(list.CanPaste());
}

TEST(SiteListEdits, DeletingTheLastFolderOfItsParentSparesWhatFollows) {
    TSiteList list = Load("/A\r\n-/A1\r\n--//s;h;23;\r\n/B\r\n-//b;h;23;\r\n");
    list.CopyFolder(1);
    list.DeleteFolder(1);
    EXPECT_EQ(list.Text(), "/A\r\n/B\r\n-//b;h;23;\r\n");
    list.DeleteSites({2});
    EXPECT_EQ(list.Text(), "/A\r\n/B\r\n");
}

TEST(SiteListEdits, ImportTakesEntryLinesUnderTheFolder) {
    TSiteList list = Load("/A\r\n-/Old\r\n--//o;h;23;\r\n/Z\r\n");
    int n = list.Import(0, "junk\r\n/N\r\n\r\n-//n;h;23;\r\n-/N2\r\n");
    EXPECT_EQ(n, 3);
    EXPECT_EQ(Shape(list), "A:\n  Old: o\n  N: n\n    N2:\nZ:\n");
    list.Import(-1, "/T\r\n");
    EXPECT_EQ(list.FolderName(list.NodeCount() - 1), "T");
}

TEST(SiteListSearch, KeywordsMatchAtCharacterBoundariesWithFolderPaths) {
    // 0xA4 0x61 is one Chinese character whose second byte is "a".
    std::string chinese = "\xA4\x61";
    TSiteList list =
        Load("/Top\r\n-//xyz;h;23;\r\n-/" + chinese + "\r\n--//" + chinese + ";h;23;\r\n");
    EXPECT_TRUE(SearchSites(list, "a").empty());
    EXPECT_EQ(SearchSites(list, "yz").size(), 1u);
    auto hits = SearchSites(list, chinese);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].FolderPath, "Top/" + chinese);
    EXPECT_EQ(SearchSites(list, "").size(), 2u);
    EXPECT_FALSE(ContainsAtCharBoundary("\xA4\x61", "\x61"));
    EXPECT_TRUE(ContainsAtCharBoundary("x\xA4\x61", "x"));
}

// Random edits: the saved bytes, read back, give the tree the edits left, and
// the observer's mirror always equals the tree.
TEST(SiteListEdits, RandomEditsSaveTheTreeTheyShow) {
    std::mt19937 rng(20);
    TSiteList list = Load("/A\r\n-//a;h;23;\r\nstray\r\n-/B\r\n--//b;h;23;\r\n\r\n/C\r\n");
    TMirror mirror(list);
    for (int round = 0; round < 400; ++round) {
        int nodes = list.NodeCount();
        int node = nodes ? static_cast<int>(rng() % static_cast<unsigned>(nodes)) : -1;
        switch (rng() % 8) {
        case 0:
            list.CreateFolder(rng() % 4 == 0 ? -1 : node);
            break;
        case 1:
            if (node >= 0) list.CreateSite(node);
            break;
        case 2:
            if (node >= 0 && nodes > 3) list.DeleteFolder(node);
            break;
        case 3:
            if (node >= 0) list.CopyFolder(node);
            break;
        case 4:
            if (node >= 0 && list.LineCount() < 400) list.Paste(node);
            break;
        case 5:
            if (node >= 0) {
                auto sites = list.SiteLines(node);
                if (!sites.empty()) list.CopySites(sites);
            }
            break;
        case 6:
            if (node >= 0) {
                auto sites = list.SiteLines(node);
                if (!sites.empty()) list.DeleteSites({sites.front()});
            }
            break;
        case 7:
            if (node >= 0) list.RenameFolder(node, std::to_string(round) + "r");
            break;
        }
        std::vector<std::string> names;
        for (int n = 0; n < list.NodeCount(); ++n)
            names.push_back(list.FolderName(n));
        ASSERT_EQ(mirror.Names, names) << "round " << round;
        ASSERT_EQ(Shape(Load(list.Text())), Shape(list)) << "round " << round;
    }
}
