// Reversible scrambling of the short secrets the address book stores (login
// texts, the directory password) as strings of decimal digits.
//
// A stored value is three scrambled header keys taken from the clock when it
// is written, followed by the scrambled text: 9 + 15 + 15 digits of header,
// then three digits per byte of text. The scrambling hides the text from a
// casual look at the file; it is no protection against anyone who reads it,
// which is why the files holding such values are private to the user.
#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace session {

// A stored value that does not decode (too short, not digits, a header that
// is not a number).
class EStoredKeyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The calendar time a value is scrambled with.
struct TStoredKeyTime {
    int Year = 2000, Month = 1, Day = 1;
    int Hour = 0, Min = 0, Sec = 0, MSec = 0;
};

// Replaces the clock EncodeStoredKey reads (tests); an empty function
// restores the local time of day.
void SetStoredKeyClock(std::function<TStoredKeyTime()> clock);

// Each byte xor the key's second byte; the key then advances with the output
// byte (scramble) or the input byte (unscramble), modulo 2^32. The whole
// text is processed, however long.
std::string ScrambleStr(std::string_view s, std::uint32_t startKey, std::uint32_t multKey,
                        std::uint32_t addKey);
std::string UnscrambleStr(std::string_view s, std::uint32_t startKey, std::uint32_t multKey,
                          std::uint32_t addKey);

// Decimal text of value left-padded with "0" to width (longer stays longer).
std::string IntToStrPad(int value, int width);
// Each byte as exactly three decimal digits ("a" -> "097").
std::string StrToDigits(std::string_view s);
// Three-digit groups back to bytes; empty unless the length is a multiple of
// three and every group is a number 000..255.
std::string DigitsToStr(std::string_view s);

// The stored form of plain: 39 digits of header + 3 digits per byte.
std::string EncodeStoredKey(std::string_view plain);
std::string EncodeStoredKey(std::string_view plain, const TStoredKeyTime& at);
// The plain text of a stored value; throws EStoredKeyError.
std::string DecodeStoredKey(std::string_view stored);
// DecodeStoredKey that yields empty for an empty or undecodable value, as
// every reader of the address book treats them.
std::string DecodeStoredKeyOrEmpty(std::string_view stored);

} // namespace session
