// TIPCSiteRecord: the 68-byte site record the terminal and the site list
// exchange by WM_COPYDATA (little-endian):
//
//   0   31  Alias: length byte (0-30) and up to 30 Big5 bytes
//   31  31  Address: length byte (0-30) and up to 30 bytes
//   62  2   unused (zero)
//   64  4   Port: signed 32-bit
//
// The terminal's commands use the same record with only Alias set
// ("IPC_Open", "IPC_Close").
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t kIPCRecordSize = 68;
constexpr std::size_t kIPCFieldMax = 30;

inline constexpr std::string_view kIPCOpen = "IPC_Open";
inline constexpr std::string_view kIPCClose = "IPC_Close";

struct TIPCSiteRecord {
    std::string Alias;
    std::string Address;
    std::int32_t Port = 0;
};

// The first maxBytes bytes of text or fewer, never ending inside a Big5
// character (a lead byte takes the byte after it).
std::string CutBig5(std::string_view text, std::size_t maxBytes);

// The record's 68 bytes; Alias and Address cut by CutBig5 to 30 bytes, every
// unused byte zero.
std::string EncodeIPCRecord(const TIPCSiteRecord& record);

// Reads a received record: only exactly 68 bytes count; a length byte over 30
// reads as 30, so the text never reaches into the next field.
bool DecodeIPCRecord(const void* data, std::size_t size, TIPCSiteRecord& out);

// A command record ("IPC_Open", "IPC_Close").
TIPCSiteRecord IPCCommandRecord(std::string_view command);
