#include "session/core/StrCrypt.h"

#include <chrono>
#include <ctime>
#include <mutex>

namespace session {
namespace {

// Keys of the three header fields.
constexpr std::uint32_t kHeaderStart = 846, kHeaderMult = 70313, kHeaderAdd = 19037;
constexpr std::size_t kHeaderDigits = 39;

std::mutex ClockLock;
std::function<TStoredKeyTime()> Clock;

TStoredKeyTime LocalNow() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    TStoredKeyTime r;
    r.Year = tm.tm_year + 1900;
    r.Month = tm.tm_mon + 1;
    r.Day = tm.tm_mday;
    r.Hour = tm.tm_hour;
    r.Min = tm.tm_min;
    r.Sec = tm.tm_sec;
    r.MSec = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return r;
}

std::string Scramble(std::string_view s, std::uint32_t key, std::uint32_t mult, std::uint32_t add,
                     bool advanceWithOutput) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        auto o = static_cast<unsigned char>(b ^ ((key >> 8) & 255u));
        out.push_back(static_cast<char>(o));
        key = (key + (advanceWithOutput ? o : b)) * mult + add;
    }
    return out;
}

// One header field: digits of a scrambled number, back to the number.
std::uint32_t DecodeHeader(std::string_view digits) {
    std::string bytes = DigitsToStr(digits);
    std::string text = UnscrambleStr(bytes, kHeaderStart, kHeaderMult, kHeaderAdd);
    if (text.empty() || text.size() > 9) throw EStoredKeyError("stored value: bad header");
    std::uint32_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw EStoredKeyError("stored value: bad header");
        v = v * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return v;
}

std::string EncodeHeader(int value, int width) {
    return StrToDigits(
        ScrambleStr(IntToStrPad(value, width), kHeaderStart, kHeaderMult, kHeaderAdd));
}

} // namespace

void SetStoredKeyClock(std::function<TStoredKeyTime()> clock) {
    std::lock_guard<std::mutex> lock(ClockLock);
    Clock = std::move(clock);
}

std::string ScrambleStr(std::string_view s, std::uint32_t startKey, std::uint32_t multKey,
                        std::uint32_t addKey) {
    return Scramble(s, startKey, multKey, addKey, true);
}

std::string UnscrambleStr(std::string_view s, std::uint32_t startKey, std::uint32_t multKey,
                          std::uint32_t addKey) {
    return Scramble(s, startKey, multKey, addKey, false);
}

std::string IntToStrPad(int value, int width) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

std::string StrToDigits(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(static_cast<char>('0' + b / 100));
        out.push_back(static_cast<char>('0' + b / 10 % 10));
        out.push_back(static_cast<char>('0' + b % 10));
    }
    return out;
}

std::string DigitsToStr(std::string_view s) {
    if (s.size() % 3 != 0) return {};
    std::string out;
    out.reserve(s.size() / 3);
    for (std::size_t i = 0; i < s.size(); i += 3) {
        int v = 0;
        for (std::size_t j = i; j < i + 3; ++j) {
            if (s[j] < '0' || s[j] > '9') return {};
            v = v * 10 + (s[j] - '0');
        }
        if (v > 255) return {};
        out.push_back(static_cast<char>(v));
    }
    return out;
}

std::string EncodeStoredKey(std::string_view plain, const TStoredKeyTime& at) {
    int k1 = at.MSec < 256 ? at.MSec + 256 : at.MSec;
    int k2 = ((at.Year - 1900) * 12 + at.Month) * 30 + at.Day + 11 * k1;
    int k3 = (at.Hour * 23 + at.Min) * 60 + at.Sec + 11 * k1;
    return EncodeHeader(k1, 3) + EncodeHeader(k2, 5) + EncodeHeader(k3, 5) +
           StrToDigits(ScrambleStr(plain, static_cast<std::uint32_t>(k1),
                                   static_cast<std::uint32_t>(k2), static_cast<std::uint32_t>(k3)));
}

std::string EncodeStoredKey(std::string_view plain) {
    std::function<TStoredKeyTime()> clock;
    {
        std::lock_guard<std::mutex> lock(ClockLock);
        clock = Clock;
    }
    return EncodeStoredKey(plain, clock ? clock() : LocalNow());
}

std::string DecodeStoredKey(std::string_view stored) {
    if (stored.size() < kHeaderDigits) throw EStoredKeyError("stored value: too short");
    std::uint32_t k1 = DecodeHeader(stored.substr(0, 9));
    std::uint32_t k2 = DecodeHeader(stored.substr(9, 15));
    std::uint32_t k3 = DecodeHeader(stored.substr(24, 15));
    std::string_view body = stored.substr(kHeaderDigits);
    std::string bytes = DigitsToStr(body);
    if (bytes.empty() && !body.empty()) throw EStoredKeyError("stored value: bad digits");
    return UnscrambleStr(bytes, k1, k2, k3);
}

std::string DecodeStoredKeyOrEmpty(std::string_view stored) {
    if (stored.empty()) return {};
    try {
        return DecodeStoredKey(stored);
    } catch (const EStoredKeyError&) {
        return {};
    }
}

} // namespace session
