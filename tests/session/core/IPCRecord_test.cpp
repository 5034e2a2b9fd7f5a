#include "session/core/IPCRecord.h"

#include "platform/core/Big5.h"

#include <gtest/gtest.h>

TEST(IPCRecord, FieldsSitAtTheirOffsetsAndUnusedBytesAreZero) {
    TIPCSiteRecord r;
    r.Alias = "home";
    r.Address = "127.0.0.1";
    r.Port = 2323;
    std::string bytes = EncodeIPCRecord(r);
    ASSERT_EQ(bytes.size(), 68u);
    EXPECT_EQ(bytes[0], 4);
    EXPECT_EQ(bytes.substr(1, 4), "home");
    EXPECT_EQ(bytes[31], 9);
    EXPECT_EQ(bytes.substr(32, 9), "127.0.0.1");
    EXPECT_EQ(bytes.substr(64), std::string("\x13\x09\0\0", 4));
    for (std::size_t i : {5u, 30u, 41u, 61u, 62u, 63u})
        EXPECT_EQ(bytes[i], 0) << i;
    TIPCSiteRecord back;
    ASSERT_TRUE(DecodeIPCRecord(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.Alias, "home");
    EXPECT_EQ(back.Address, "127.0.0.1");
    EXPECT_EQ(back.Port, 2323);
}

TEST(IPCRecord, LongTextsAreCutAtACharactersEnd) {
    TIPCSiteRecord r;
    r.Alias = std::string(35, 'a');
    // 29 ASCII bytes, then a Big5 pair that would end at byte 31.
    const std::string pair = win::Utf8ToBig5("站");
    ASSERT_EQ(pair.size(), 2u);
    r.Address = std::string(29, 'b') + pair + "c";
    TIPCSiteRecord back;
    std::string bytes = EncodeIPCRecord(r);
    ASSERT_TRUE(DecodeIPCRecord(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.Alias, std::string(30, 'a'));
    EXPECT_EQ(back.Address, std::string(29, 'b'));
    EXPECT_EQ(CutBig5(std::string(28, 'b') + pair + "c", 30), std::string(28, 'b') + pair);
    EXPECT_EQ(CutBig5(pair + pair, 3), pair);
}

TEST(IPCRecord, OnlyWholeRecordsAreReadAndLengthsStayInTheirField) {
    std::string bytes = EncodeIPCRecord(TIPCSiteRecord{"a", "b", 0});
    TIPCSiteRecord back;
    EXPECT_FALSE(DecodeIPCRecord(bytes.data(), 67, back));
    std::string longer = bytes + "x";
    EXPECT_FALSE(DecodeIPCRecord(longer.data(), 69, back));
    EXPECT_FALSE(DecodeIPCRecord(nullptr, 68, back));
    bytes[0] = static_cast<char>(200);
    bytes[31] = static_cast<char>(255);
    ASSERT_TRUE(DecodeIPCRecord(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.Alias.size(), 30u);
    EXPECT_EQ(back.Address.size(), 30u);
    EXPECT_EQ(back.Port, 0);
    bytes.replace(64, 4, "\xff\xff\xff\xff");
    ASSERT_TRUE(DecodeIPCRecord(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.Port, -1);
}

TEST(IPCRecord, CommandsFillOnlyTheAlias) {
    std::string open = EncodeIPCRecord(IPCCommandRecord(kIPCOpen));
    EXPECT_EQ(open.substr(0, 9), std::string("\x08IPC_Open"));
    EXPECT_EQ(open.substr(9), std::string(59, '\0'));
    TIPCSiteRecord back;
    std::string close = EncodeIPCRecord(IPCCommandRecord(kIPCClose));
    ASSERT_TRUE(DecodeIPCRecord(close.data(), close.size(), back));
    EXPECT_EQ(back.Alias, kIPCClose);
}
