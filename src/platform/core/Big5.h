// Code page 950 (Big5): the byte form of every text the programs store, send
// and show. Bytes stay the truth; the UTF-8 view exists only for display and
// for text typed by the user, so conversion never changes stored bytes.
//
// Lead-byte rule used everywhere on screens and in files: a byte 130..254
// (0x82..0xFE) starts a two-byte character; 0x81 and 0xFF stand alone.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace win {

constexpr bool IsBig5Lead(unsigned char b) {
    return b >= 0x82 && b <= 0xFE;
}
// Second bytes that a code page 950 character can have.
constexpr bool IsBig5Trail(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
}

// How a byte of a row takes part in a character, pairing from column 0.
enum class TBig5Part : unsigned char { Single, Lead, Trail };

// Pairs the bytes of a row from column 0: a lead byte that is not the last
// byte of the row takes the next byte as its second half, whatever it is; a
// lead byte in the last column stands alone. Writes count entries to parts.
void PairBig5Row(const unsigned char* bytes, std::size_t count, TBig5Part* parts);
// True when column col of the row is the second half of a pair.
bool IsBig5TrailColumn(const unsigned char* bytes, std::size_t count, std::size_t col);

constexpr char32_t kReplacementChar = 0xFFFD;

// The character of one pair, or U+FFFD when the pair does not convert.
char32_t Big5PairToUnicode(unsigned char lead, unsigned char trail);

// Big5 bytes as UTF-8. ASCII passes unchanged; a lead byte followed by a
// possible second byte is one character (U+FFFD when the pair has no
// character); any other byte of 0x80 and above is U+FFFD on its own, so a
// stray byte never swallows the line end or the letter after it.
std::string Big5ToUtf8(std::string_view big5);

// UTF-8 text as Big5 bytes. A character that code page 950 lacks (and any
// malformed UTF-8 sequence) becomes '?', as the system conversion did.
std::string Utf8ToBig5(std::string_view utf8);

// Appends the UTF-8 form of one code point (U+FFFD for invalid ones).
void AppendUtf8(std::string& out, char32_t c);

} // namespace win
