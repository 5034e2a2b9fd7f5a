// Trace files written from byte streams, parsed back and replayed through
// the stepping feeder; upload line splitting.
#include "session/core/TextLines.h"
#include "session/core/TraceReplay.h"

#include "screen/core/ScreenBuffer.h"
#include "screen/core/ScreenDump.h"
#include "screen/core/VtInterpreter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A dump line in the trace layout: two leading characters, "0x" and an
// offset, then up to 16 upper-case pairs from position 12, 3 apart.
std::string DumpLine(std::size_t offset, const std::string& bytes) {
    char head[16];
    std::snprintf(head, sizeof head, "  0x%06zX ", offset);
    std::string line = head; // 11 characters: pairs start at position 12
    for (unsigned char b : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X ", b);
        line += pair;
    }
    return line;
}

std::string DumpFile(const std::string& data) {
    std::string out = "Trace of a session\r\n\r\n";
    for (std::size_t i = 0; i < data.size(); i += 16)
        out += DumpLine(i, data.substr(i, 16)) + "\r\n";
    return out;
}

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

} // namespace

TEST(TraceParse, PairsAtTheirPositions) {
    const std::string line = "xx0x0000   1B 5B 6D";
    ASSERT_EQ(line.find("1B"), 11u);
    EXPECT_EQ(trace::ParseLine(line), Bytes("\x1B[m"));
    // Not "0x" at positions 3 and 4: no data, whatever follows.
    EXPECT_TRUE(trace::ParseLine("0x000000   1B 5B").empty());
    EXPECT_TRUE(trace::ParseLine("").empty());
    EXPECT_TRUE(trace::ParseLine("ab0").empty());
}

TEST(TraceParse, SixteenPairsAndNoMoreStopAtBlanksOrShortLines) {
    std::string data;
    for (int i = 0; i < 17; ++i)
        data.push_back(static_cast<char>('A' + i));
    const std::string line = DumpLine(0, data);
    EXPECT_EQ(trace::ParseLine(line), Bytes(data.substr(0, 16)));
    // The line ends inside a pair: the half pair is not a byte.
    EXPECT_EQ(trace::ParseLine(DumpLine(0, "AB").substr(0, 15)), Bytes("A"));
    // Two blanks end the scan even with pairs after them.
    EXPECT_EQ(trace::ParseLine("  0x000000 41    42"), Bytes("A"));
}

TEST(TraceParse, LowerCaseHexGivesWrongValuesNotAnError) {
    const auto b = trace::ParseLine("  0x000000 1b");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_NE(b[0], 0x1B);
    EXPECT_EQ(b[0], static_cast<std::uint8_t>(16 + ('b' - 55)));
}

TEST(TraceParse, FilesWithoutDataLines) {
    EXPECT_TRUE(trace::ParseFile("").empty());
    EXPECT_TRUE(trace::ParseFile("hello\nworld\n  0x00\n").empty());
    trace::TTraceFeeder f(trace::ParseFile("just text"));
    EXPECT_FALSE(f.HasData());
    EXPECT_TRUE(f.Finished());
}

TEST(TraceFeeder, EachContinueFeedsExactlyOneByte) {
    trace::TTraceFeeder f(trace::ParseFile(DumpFile("abcdefghij")));
    std::string got;
    std::vector<std::size_t> lines;
    auto sink = [&](std::uint8_t b, std::size_t line, bool shown) {
        got.push_back(static_cast<char>(b));
        lines.push_back(line);
        EXPECT_TRUE(shown);
    };
    EXPECT_EQ(f.Run(true, 1000, sink), 1u); // the first byte, then the pause
    EXPECT_EQ(f.Run(true, 1000, sink), 0u); // still waiting: nothing spins
    for (int i = 0; i < 3; ++i) {
        f.Continue();
        EXPECT_EQ(f.Run(true, 1000, sink), 1u);
    }
    EXPECT_EQ(got, "abcd");
    f.ContinueTen();
    EXPECT_EQ(f.Run(true, 1000, sink), 6u); // only six left
    EXPECT_TRUE(f.Finished());
}

TEST(TraceFeeder, ContinueTenFeedsTenAndPausesOnTheTenth) {
    std::string data(40, 'x');
    trace::TTraceFeeder f(trace::ParseFile(DumpFile(data)));
    f.Run(true, 100, nullptr);
    f.ContinueTen();
    EXPECT_EQ(f.Run(true, 100, nullptr), 10u);
    EXPECT_TRUE(f.Waiting());
    f.Continue();
    EXPECT_EQ(f.Run(true, 100, nullptr), 1u);
}

TEST(TraceFeeder, MemoLinesFollowDataLinesOnly) {
    std::string file = "junk\n" + DumpLine(0, "AB") + "\nmore junk\n" + DumpLine(2, "C") + "\n";
    trace::TTraceFeeder f(trace::ParseFile(file));
    std::vector<std::size_t> lines;
    f.Run(false, 100, [&](std::uint8_t, std::size_t l, bool) { lines.push_back(l); });
    EXPECT_EQ(lines, (std::vector<std::size_t>{0, 0, 1}));
}

TEST(TraceFeeder, UnpausedReplayEqualsTheWholeStream) {
    const char* fx = std::getenv("BP_FIXTURES");
    if (!fx) GTEST_SKIP();
    namespace fs = std::filesystem;
    std::string data;
    for (const auto& e : fs::directory_iterator(fs::path(fx) / "golden")) {
        if (e.path().extension() != ".ans") continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        data += ss.str();
    }
    while (data.size() < (1u << 20))
        data += data;
    trace::TTraceFeeder f(trace::ParseFile(DumpFile(data)));
    ASSERT_EQ(f.TotalBytes(), data.size());

    TScreenBuffer a, b;
    a.SetMaxBufferRows(2000);
    b.SetMaxBufferRows(2000);
    TVtInterpreter va(a), vb(b);
    // One pause first, then "don't stop" in slices, as the window runs it.
    f.Run(true, 1, [&](std::uint8_t c, std::size_t, bool) { va.ProcessChar(c); });
    while (!f.Finished()) {
        TScreenBuffer::TWriteBatch batch(a);
        f.Run(false, 65536, [&](std::uint8_t c, std::size_t, bool) { va.ProcessChar(c); });
    }
    vb.ProcessBuffer(data);
    EXPECT_EQ(DumpScreen(a), DumpScreen(b));
}

TEST(UploadText, LineEndsBecomeOneCrAndNoFinalCr) {
    EXPECT_EQ(textlines::UploadBytes("a\r\nb\r\nc\r\n"), "a\rb\rc");
    EXPECT_EQ(textlines::UploadBytes("a\nb\nc"), "a\rb\rc");
    EXPECT_EQ(textlines::UploadBytes("a\rb\rc\r"), "a\rb\rc");
    EXPECT_EQ(textlines::UploadBytes("a\n\nb"), "a\r\rb");
    EXPECT_EQ(textlines::UploadBytes(""), "");
    // Bytes of the lines pass untouched (Big5, control bytes, NUL).
    const std::string odd("\xA4\x40\x1B[1m\0x", 8);
    EXPECT_EQ(textlines::UploadBytes(odd + "\n" + odd), odd + "\r" + odd);
}
