#include "platform/core/IniFile.h"
#include "platform/core/WriteError.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace win;
using Strings = std::vector<std::string>;

TEST(IniText, ReadsCaseBlanksQuotesAndDuplicates) {
    TIniText t("  [Windows]  \r\n"
               "  Top  =   12  \r\n"
               "Name=\"  quoted  \"\n"
               "Single='x'\r"
               "Half=\"open\n"
               "top=99\n"
               "; comment=1\n"
               "no equals sign\n"
               "[windows]\n"
               "Extra=2\n");
    std::string v;
    ASSERT_TRUE(t.Find("WINDOWS", "TOP", &v));
    EXPECT_EQ(v, "12") << "first of two duplicate keys wins";
    ASSERT_TRUE(t.Find("windows", "name", &v));
    EXPECT_EQ(v, "  quoted  ") << "one pair of quotes removed, blanks inside kept";
    ASSERT_TRUE(t.Find("Windows", "Single", &v));
    EXPECT_EQ(v, "x");
    ASSERT_TRUE(t.Find("Windows", "Half", &v));
    EXPECT_EQ(v, "\"open");
    EXPECT_FALSE(t.Find("Windows", "; comment", &v));
    EXPECT_FALSE(t.Find("Windows", "no equals sign", &v));
    ASSERT_TRUE(t.Find("Windows", "Extra", &v)) << "a repeated section reads as one";
    EXPECT_EQ(t.Sections(), Strings{"Windows"});
    EXPECT_EQ(t.Keys("WINDOWS"), (Strings{"Top", "Name", "Single", "Half", "Extra"}));
}

TEST(IniText, KeysBeforeAnySectionAreKeptButNotRead) {
    TIniText t("Orphan=1\r\n[A]\r\nKey=2\r\n");
    EXPECT_FALSE(t.Find("", "Orphan", nullptr));
    EXPECT_EQ(t.Sections(), Strings{"A"});
    t.Set("A", "Key", "3");
    EXPECT_EQ(t.Text(), "Orphan=1\r\n[A]\r\nKey=3\r\n");
}

TEST(IniText, Big5NamesAreNeverFolded) {
    // A4 41 and A4 61 are two different characters whose second bytes look
    // like "A" and "a"; 0xFF leads nothing, so "xA" after it is ASCII.
    const std::string upper = "\xA4\x41", lower = "\xA4\x61";
    TIniText t;
    t.Set(upper, "k", "upper");
    t.Set(lower, "k", "lower");
    t.Set("\xFFxA", upper, "1");
    std::string v;
    ASSERT_TRUE(t.Find(upper, "K", &v));
    EXPECT_EQ(v, "upper");
    ASSERT_TRUE(t.Find(lower, "K", &v));
    EXPECT_EQ(v, "lower");
    EXPECT_EQ(t.Sections(), (Strings{upper, lower, "\xFFxA"}));
    EXPECT_TRUE(t.Find("\xFFXa", upper, nullptr)) << "ASCII after 0xFF still folds";
    EXPECT_FALSE(t.Find("\xFFXa", lower, nullptr));
    EXPECT_TRUE(SameProfileName("ab\xA4\x41", "AB\xA4\x41"));
    EXPECT_FALSE(SameProfileName("ab\xA4\x41", "AB\xA4\x61"));
}

TEST(IniText, NamesFoldCaseOverTheWholeLetterRangeAndNothingElse) {
    for (char up = 'A'; up <= 'Z'; ++up) {
        const char low = static_cast<char>(up + ('a' - 'A'));
        SCOPED_TRACE(std::string(1, up));
        TIniText t("[Site" + std::string(1, up) + "]\r\nKey" + std::string(1, up) + "=1\r\n");
        EXPECT_TRUE(t.Find("site" + std::string(1, low), "KEY" + std::string(1, low), nullptr));
        t.Set("SITE" + std::string(1, low), "key" + std::string(1, low), "2");
        EXPECT_EQ(t.Sections().size(), 1u) << "one section, whatever the case";
        EXPECT_EQ(t.Keys("Site" + std::string(1, up)).size(), 1u) << "one key, whatever the case";
        // A Big5 pair whose second byte is this letter is another character
        // than the pair with the other case.
        EXPECT_FALSE(SameProfileName(std::string("\xA4") + up, std::string("\xA4") + low));
        EXPECT_TRUE(SameProfileName(std::string("\xA4") + up, std::string("\xA4") + up));
    }
    // The bytes just outside the letters differ by 32 too, but never fold.
    for (auto [a, b] : {std::pair{'@', '`'}, {'[', '{'}, {'\\', '|'}, {']', '}'}, {'^', '~'}})
        EXPECT_FALSE(SameProfileName(std::string("k") + a, std::string("k") + b)) << a;
}

TEST(IniText, Big5SectionNameWithBracketAsSecondByte) {
    const std::string name = std::string("\xFF") + "\xA1\x5D" + "x"; // 0x5D is "]"
    TIniText t;
    t.Set(name, "Hostname", "h");
    TIniText again(t.Text());
    EXPECT_EQ(again.Sections(), Strings{name});
    EXPECT_TRUE(again.Find(name, "hostname", nullptr));
}

TEST(IniText, WritesKeepLayoutAndCannotAddLines) {
    TIniText t("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    t.Set("a", "z", "3");
    t.Set("C", "w", "evil\r\n[A]\nx=9");
    EXPECT_EQ(t.Text(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=evil  [A] x=9\r\n");
    std::string v;
    ASSERT_TRUE(TIniText(t.Text()).Find("A", "x", &v));
    EXPECT_EQ(v, "1");
    EXPECT_THROW(t.Set("A", "a=b", "1"), EIniFileException);
    EXPECT_THROW(t.Set("A", "  ", "1"), EIniFileException);
    EXPECT_THROW(t.Set("A", "[x", "1"), EIniFileException);
}

TEST(IniText, DeleteKeyAndEraseSectionRemoveEveryCopy) {
    TIniText t("[A]\nk=1\nk=2\nm=3\n[B]\nk=4\n[a]\nk=5\nn=6\n");
    EXPECT_TRUE(t.DeleteKey("A", "K"));
    EXPECT_FALSE(t.Find("A", "k", nullptr));
    EXPECT_TRUE(t.Find("B", "k", nullptr));
    EXPECT_FALSE(t.DeleteKey("A", "k"));
    EXPECT_TRUE(t.EraseSection("a"));
    EXPECT_EQ(t.Text(), "[B]\r\nk=4\r\n");
    EXPECT_FALSE(t.EraseSection("A"));
}

TEST(IniText, ReadingEveryKeyOfABigFileScansItOnce) {
    // 10,000 sections of three keys, as a big address book has.
    std::string bytes;
    for (int i = 0; i < 10000; ++i)
        bytes += "[Site" + std::to_string(i) + "]\r\nHostname=h" + std::to_string(i) +
                 "\r\nPort=23\r\nKeyType=k\r\n";
    const TIniText text(bytes);
    const Strings sections = text.Sections();
    ASSERT_EQ(sections.size(), 10000u);
    std::size_t found = 0;
    for (const auto& s : sections) {
        found += text.Keys(s).size();
        std::string v;
        if (text.Find(s, "HOSTNAME", &v) && v == "h" + s.substr(4)) ++found;
        found += text.HasSection(s);
    }
    EXPECT_EQ(found, 50000u);
    EXPECT_EQ(text.IndexBuilds(), 1);
}

TEST(IniText, ChangesKeepLookUpsEqualToAFreshRead) {
    // Random edits of a small text with shared and repeated names; after
    // each, every look-up must agree with a fresh parse of the written text.
    TIniText t("; head\r\n[A]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n[a]\r\nz=3\r\nx=9\r\n\r\n\r\n");
    TIniText copy = t; // shares the index until one side changes
    const Strings names = {"a", "B", "c", "\xA4\x40"};
    const Strings keys = {"x", "Y", "z", "w"};
    unsigned r = 7;
    auto next = [&](std::size_t n) { return ((r = r * 1103515245 + 12345) >> 16) % n; };
    for (int step = 0; step < 400; ++step) {
        const std::string& s = names[next(names.size())];
        const std::string& k = keys[next(keys.size())];
        switch (next(6)) {
        case 0:
            t.DeleteKey(s, k);
            break;
        case 1:
            if (next(4) == 0) t.EraseSection(s);
            break;
        default:
            t.Set(s, k, std::to_string(step));
            break;
        }
        const TIniText fresh(t.Text());
        ASSERT_EQ(t.Sections(), fresh.Sections()) << step;
        for (const auto& sec : names) {
            ASSERT_EQ(t.Keys(sec), fresh.Keys(sec)) << step;
            ASSERT_EQ(t.HasSection(sec), fresh.HasSection(sec)) << step;
            for (const auto& key : keys) {
                std::string a = "-", b = "-";
                ASSERT_EQ(t.Find(sec, key, &a), fresh.Find(sec, key, &b)) << step;
                ASSERT_EQ(a, b) << step << " " << sec << " " << key;
            }
        }
    }
    std::string v;
    EXPECT_TRUE(copy.Find("a", "x", &v));
    EXPECT_EQ(v, "1") << "the copy kept its own lines and index";
    EXPECT_FALSE(copy.HasSection("c"));
}

TEST(IniText, DeleteKeysRemovesTheChosenKeysOfASectionInOnePass) {
    TIniText t("[Hosts]\r\nh0=a\r\nh1=b\r\nH2=c\r\n[Other]\r\nh1=z\r\n[hosts]\r\nh1=d\r\n");
    EXPECT_EQ(t.DeleteKeys("HOSTS", [](std::string_view k) { return k != "h0"; }), 3u);
    EXPECT_EQ(t.Text(), "[Hosts]\r\nh0=a\r\n[Other]\r\nh1=z\r\n[hosts]\r\n");
    EXPECT_EQ(t.Keys("hosts"), Strings{"h0"});
}

TEST(IniNumbers, WholeNumberReaderAndLeadingDigitReader) {
    EXPECT_EQ(StrToIntDef("42", 7), 42);
    EXPECT_EQ(StrToIntDef(" -2147483643 ", 7), -2147483643);
    EXPECT_EQ(StrToIntDef("0x10", 7), 16);
    EXPECT_EQ(StrToIntDef("$FFFFFFFF", 7), -1);
    for (const char* bad : {"", "abc", "12abc", "1 2", "-", "0x", "2147483648", "99999999999"})
        EXPECT_EQ(StrToIntDef(bad, 7), 7) << bad;
    EXPECT_EQ(LeadingInt("12abc"), 12);
    EXPECT_EQ(LeadingInt("-5x"), -5);
    EXPECT_EQ(LeadingInt("abc"), 0);
    EXPECT_EQ(LeadingInt("99999999999"), 2147483647);
}

class IniFileTest : public testing::Test {
protected:
    TTempDir Dir;
    std::string Path = Dir / "Brannoc.ini";
};

TEST_F(IniFileTest, ReadsDefaultsFromMissingFileSectionAndKey) {
    TIniFile ini(Path);
    EXPECT_EQ(ini.ReadString("Windows", "Port", "23"), "23");
    EXPECT_EQ(ini.ReadInteger("Windows", "Top", -1), -1);
    EXPECT_TRUE(ini.ReadBool("Windows", "Max", true));
    EXPECT_TRUE(ini.ReadSections().empty());
    EXPECT_FALSE(ini.SectionExists("Windows"));
    EXPECT_FALSE(std::filesystem::exists(Path)) << "reading creates nothing";
}

TEST_F(IniFileTest, TypedValuesRoundTripWithCrLf) {
    TIniFile ini(Path);
    ini.WriteString("Windows", "Port", "2323");
    ini.WriteInteger("Windows", "Top", -4);
    ini.WriteBool("Windows", "Max", false);
    ini.WriteBool("Font", "Bold", true);
    EXPECT_EQ(TTempDir::Get(Path),
              "[Windows]\r\nPort=2323\r\nTop=-4\r\nMax=0\r\n\r\n[Font]\r\nBold=1\r\n");
    EXPECT_EQ(ini.ReadInteger("windows", "top", 0), -4);
    EXPECT_FALSE(ini.ReadBool("Windows", "Max", true));
    EXPECT_TRUE(ini.ReadBool("FONT", "BOLD", false));
    EXPECT_EQ(ini.ReadSections(), (Strings{"Windows", "Font"}));
    EXPECT_EQ(ini.ReadSection("Windows"), (Strings{"Port", "Top", "Max"}));
    EXPECT_EQ(ini.ReadSectionValues("Windows"), (Strings{"Port=2323", "Top=-4", "Max=0"}));
    EXPECT_TRUE(ini.ValueExists("Windows", "PORT"));
    EXPECT_FALSE(ini.ValueExists("Windows", "Left"));
    ini.DeleteKey("Windows", "Top");
    ini.EraseSection("Font");
    EXPECT_EQ(TTempDir::Get(Path), "[Windows]\r\nPort=2323\r\nMax=0\r\n\r\n");
}

TEST_F(IniFileTest, ReadIntegerUsesDefaultForNonNumbersAndRawReaderUsesLeadingDigits) {
    TTempDir::Put(Path, "[S]\nRow=abc\nCol=80x\nBool=yes\nTwo=2\nEmpty=\n");
    TIniFile ini(Path);
    EXPECT_EQ(ini.ReadInteger("S", "Row", 24), 24);
    EXPECT_EQ(ini.ReadInteger("S", "Col", 80), 80);
    EXPECT_TRUE(ini.ReadBool("S", "Bool", true));
    EXPECT_FALSE(ini.ReadBool("S", "Bool", false));
    EXPECT_TRUE(ini.ReadBool("S", "Two", false)) << "any non-zero integer is true";
    EXPECT_EQ(ini.ReadString("S", "Empty", "dflt"), "") << "a present empty value is empty";
    EXPECT_EQ(GetPrivateProfileInt("S", "Row", 5, Path), 0);
    EXPECT_EQ(GetPrivateProfileInt("S", "Col", 5, Path), 80);
    EXPECT_EQ(GetPrivateProfileInt("S", "None", 5, Path), 5);
}

TEST_F(IniFileTest, SectionsOfAFileMatchWhateverTheirCase) {
    {
        TIniFile ini(Path);
        ini.WriteString("SiteZ", "HostA", "one");
        ini.WriteString("sitez", "hosta", "two");
        ini.WriteString("SITEA", "Port", "23");
    }
    TIniFile ini(Path);
    EXPECT_EQ(ini.ReadSections(), (Strings{"SiteZ", "SITEA"}));
    EXPECT_EQ(ini.ReadString("sItEz", "HOSTA", ""), "two");
    EXPECT_EQ(ini.ReadString("sitea", "port", ""), "23");
}

TEST_F(IniFileTest, Big5BytesPassUntouchedAndOtherLinesSurvive) {
    const std::string site = "\xFF\xA1\x69\xB9\x77\xB3\x5D\xA6\xEC\xA7\x7D\xA1\x6A";
    const std::string value = "\xB2\xD3\xA9\xFA\xC5\xE9\x82\x40"; // last pair has no character
    TTempDir::Put(Path, "; kept comment\n[*Setting*]\nItemIndex=x\n");
    TIniFile ini(Path);
    ini.WriteString(site, "Font.Name", value);
    EXPECT_EQ(ini.ReadString(site, "font.name", ""), value);
    EXPECT_EQ(ini.ReadSections(), (Strings{"*Setting*", site}));
    EXPECT_EQ(TTempDir::Get(Path).substr(0, 16), "; kept comment\r\n");
}

TEST_F(IniFileTest, WriteFailuresThrowAndLeaveNothingBehind) {
    // CI runs as root, so "not writable" is a path no one can create.
    TTempDir::Put(Dir / "plain", "x");
    for (const std::string& bad : {Dir / "plain/Brannoc.ini", Dir / "missing/Brannoc.ini"}) {
        TIniFile ini(bad);
        EXPECT_THROW(ini.WriteString("Windows", "Top", "1"), EIniFileException) << bad;
        EXPECT_FALSE(WritePrivateProfileString("Windows", "Top", "1", bad));
        EXPECT_EQ(ini.ReadString("Windows", "Top", "d"), "d");
        EXPECT_NO_THROW(ini.DeleteKey("Windows", "Top")) << "nothing to change, nothing written";
    }
    // A folder where the file should be cannot be read: it is never replaced.
    std::filesystem::create_directory(Dir / "dir.ini");
    EXPECT_THROW(TIniFile(Dir / "dir.ini").WriteString("A", "b", "c"), EIniFileException);
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Dir.Path, ec))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(IniFileTest, ReplacesAtomicallyKeepingModeAndLinks) {
    TTempDir::Put(Path, "[A]\nk=1\n");
    chmod(Path.c_str(), 0640);
    std::filesystem::create_symlink(Path, Dir / "link.ini");
    TIniFile(Dir / "link.ini").WriteString("A", "k", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(Dir / "link.ini"));
    EXPECT_EQ(TTempDir::Get(Path), "[A]\r\nk=2\r\n");
    struct stat st {};
    ASSERT_EQ(stat(Path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

static std::string Name(char prefix, int n) {
    std::string s(1, prefix);
    s += std::to_string(n);
    return s;
}

TEST_F(IniFileTest, WritersOnSeveralThreadsKeepEveryKey) {
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([this, w] {
            TIniFile ini(Path);
            for (int k = 0; k < 25; ++k)
                ini.WriteInteger(Name('T', w), Name('k', k), k);
        });
    for (auto& t : writers)
        t.join();
    TIniFile ini(Path);
    for (int w = 0; w < 4; ++w)
        EXPECT_EQ(ini.ReadSection(Name('T', w)).size(), 25u) << w;
}

TEST(WriteError, ShownOnceWithFullPath) {
    std::vector<std::string> shown;
    auto old = SetWriteErrorHandler([&](const std::string& t) { shown.push_back(t); });
    RearmWriteError();
    ShowWriteErrorOnce("/x/Brannoc.ini");
    ShowWriteErrorOnce("/y/Directory.ini");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "無法寫入 /x/Brannoc.ini!");
    RearmWriteError();
    ShowWriteErrorOnce("rel.ini");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], WriteErrorText(std::filesystem::current_path().string() + "/rel.ini"));
    SetWriteErrorHandler(old);
}
