#include "session/core/IPCRecord.h"

#include "platform/core/Big5.h"

namespace {

constexpr std::size_t kAliasAt = 0;
constexpr std::size_t kAddressAt = 31;
constexpr std::size_t kPortAt = 64;

void PutCounted(std::string& rec, std::size_t at, std::string_view text) {
    std::string cut = CutBig5(text, kIPCFieldMax);
    rec[at] = static_cast<char>(cut.size());
    rec.replace(at + 1, cut.size(), cut);
}

std::string GetCounted(const unsigned char* rec, std::size_t at) {
    std::size_t len = rec[at];
    if (len > kIPCFieldMax) len = kIPCFieldMax;
    return std::string(reinterpret_cast<const char*>(rec + at + 1), len);
}

} // namespace

std::string CutBig5(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t pos = 0;
    while (pos < maxBytes) {
        std::size_t step =
            win::IsBig5Lead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
        if (pos + step > maxBytes) break;
        pos += step;
    }
    return std::string(text.substr(0, pos));
}

std::string EncodeIPCRecord(const TIPCSiteRecord& record) {
    std::string rec(kIPCRecordSize, '\0');
    PutCounted(rec, kAliasAt, record.Alias);
    PutCounted(rec, kAddressAt, record.Address);
    auto port = static_cast<std::uint32_t>(record.Port);
    for (int i = 0; i < 4; ++i)
        rec[kPortAt + i] = static_cast<char>((port >> (8 * i)) & 0xFF);
    return rec;
}

bool DecodeIPCRecord(const void* data, std::size_t size, TIPCSiteRecord& out) {
    if (!data || size != kIPCRecordSize) return false;
    const auto* rec = static_cast<const unsigned char*>(data);
    out.Alias = GetCounted(rec, kAliasAt);
    out.Address = GetCounted(rec, kAddressAt);
    std::uint32_t port = 0;
    for (int i = 0; i < 4; ++i)
        port |= static_cast<std::uint32_t>(rec[kPortAt + i]) << (8 * i);
    out.Port = static_cast<std::int32_t>(port);
    return true;
}

TIPCSiteRecord IPCCommandRecord(std::string_view command) {
    TIPCSiteRecord r;
    r.Alias = std::string(command);
    return r;
}
