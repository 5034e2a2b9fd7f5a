#include "platform/core/Big5.h"

#include <iconv.h>
#include <vector>

namespace win {
namespace {

constexpr unsigned kLeadFirst = 0x82, kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr unsigned kTrailSpan = kTrailLast - kTrailFirst + 1;

// An iconv descriptor owned by one thread (descriptors keep shift state and
// must not be shared between threads).
class TIconv {
public:
    TIconv(const char* to, const char* from) : Cd(iconv_open(to, from)) {}
    ~TIconv() {
        if (Ok()) iconv_close(Cd);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool Ok() const { return Cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return Cd; }
    void Reset() const { iconv(Cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t Cd;
};

char32_t ConvertPair(const TIconv& cv, unsigned char lead, unsigned char trail) {
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char32_t out[2] = {0, 0};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = 2, outLeft = sizeof(out);
    cv.Reset();
    std::size_t r = iconv(cv.Get(), &inPtr, &inLeft, &outPtr, &outLeft);
    if (r == static_cast<std::size_t>(-1) || inLeft != 0 || outLeft != sizeof(char32_t))
        return kReplacementChar;
    return out[0];
}

// Every pair decoded once through iconv, then looked up: conversion of
// screen rows must not pay for an iconv call per character.
struct TPairTable {
    std::vector<char32_t> Chars;
    TPairTable() : Chars((kLeadLast - kLeadFirst + 1) * kTrailSpan, kReplacementChar) {
        TIconv cv("UTF-32LE", "CP950");
        if (!cv.Ok()) return;
        for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead)
            for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                if (!IsBig5Trail(static_cast<unsigned char>(trail))) continue;
                Chars[(lead - kLeadFirst) * kTrailSpan + (trail - kTrailFirst)] = ConvertPair(
                    cv, static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            }
    }
};

const TPairTable& PairTable() {
    static const TPairTable table;
    return table;
}

// Length of the UTF-8 sequence starting at s[i], 1 for a malformed one.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
    if (i + n > s.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

} // namespace

void PairBig5Row(const unsigned char* bytes, std::size_t count, TBig5Part* parts) {
    std::size_t i = 0;
    while (i < count) {
        if (IsBig5Lead(bytes[i]) && i + 1 < count) {
            parts[i] = TBig5Part::Lead;
            parts[i + 1] = TBig5Part::Trail;
            i += 2;
        } else {
            parts[i++] = TBig5Part::Single;
        }
    }
}

bool IsBig5TrailColumn(const unsigned char* bytes, std::size_t count, std::size_t col) {
    if (col >= count) return false;
    std::size_t i = 0;
    while (i < col)
        i += (IsBig5Lead(bytes[i]) && i + 1 < count) ? 2 : 1;
    return i > col;
}

char32_t Big5PairToUnicode(unsigned char lead, unsigned char trail) {
    if (!IsBig5Lead(lead) || !IsBig5Trail(trail)) return kReplacementChar;
    return PairTable().Chars[(lead - kLeadFirst) * kTrailSpan + (trail - kTrailFirst)];
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementChar;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Big5ToUtf8(std::string_view big5) {
    std::string out;
    out.reserve(big5.size() + big5.size() / 2);
    for (std::size_t i = 0; i < big5.size(); ++i) {
        auto b = static_cast<unsigned char>(big5[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (IsBig5Lead(b) && i + 1 < big5.size() &&
                   IsBig5Trail(static_cast<unsigned char>(big5[i + 1]))) {
            AppendUtf8(out, Big5PairToUnicode(b, static_cast<unsigned char>(big5[++i])));
        } else {
            AppendUtf8(out, kReplacementChar);
        }
    }
    return out;
}

std::string Utf8ToBig5(std::string_view utf8) {
    thread_local TIconv cv("CP950", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    // Runs of ASCII skip iconv; everything else goes through it one
    // character at a time so that a failure costs exactly one '?'.
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        std::size_t n = Utf8SequenceLength(utf8, i);
        if (n == 1 || !cv.Ok()) {
            out += '?';
            i += n;
            continue;
        }
        char in[4];
        for (std::size_t k = 0; k < n; ++k)
            in[k] = utf8[i + k];
        char buf[8];
        char* inPtr = in;
        char* outPtr = buf;
        std::size_t inLeft = n, outLeft = sizeof(buf);
        cv.Reset();
        std::size_t r = iconv(cv.Get(), &inPtr, &inLeft, &outPtr, &outLeft);
        if (r == static_cast<std::size_t>(-1) || inLeft != 0 || outPtr == buf)
            out += '?';
        else
            out.append(buf, static_cast<std::size_t>(outPtr - buf));
        i += n;
    }
    return out;
}

} // namespace win
