// Small routines of the blocking TCP client: n-th substring search, dotted
// address text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// 1-based position of the n-th occurrence of sub in text. n > 0 counts from
// the start (overlapping occurrences count); when fewer exist the result is
// the length of text plus the number missing, a value past the end that
// callers test. n < 0 counts from the end; 0 when fewer exist. n == 0 gives 0.
// An empty sub never occurs.
int FindNthOccurrence(std::string_view sub, std::string_view text, int n);

// A 16-bit value (a port) in network byte order, built by hand: the
// byte-order helpers may be macros.
std::uint16_t NetOrder16(std::uint16_t v);

// The four bytes of an IPv4 address in network order, first octet first.
std::string IpToDottedText(std::uint32_t addrNetOrder);

// IPv4 address in network order of a dotted address or a host name;
// 0xFFFFFFFF (INADDR_NONE) when the name is empty or cannot be resolved.
std::uint32_t ResolveHostAddress(std::string_view name);

// The socket library is started (version 1.1) when the program starts and
// cleaned up when it ends; these run then and are safe to call again.
void StartWinsock();
void StopWinsock();
bool WinsockStarted();
