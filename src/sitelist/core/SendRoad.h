// How a site reaches the terminal: as a channel record to a running
// terminal, or by starting the terminal with a telnet link argument.
#pragma once
#include <string>
#include <string_view>

namespace sitelist {

// Bytes a record holds of the alias and of the address.
constexpr std::size_t kRecordFieldBytes = 30;

enum class TSendRoad { None, Record, Start };

// None for a site without an address. Record only to a terminal that is
// connected and whose window is known, and only for an address the record
// holds whole; everything else takes the start road.
TSendRoad ChooseSendRoad(bool clientConnected, bool clientWindowKnown, std::string_view address);

// At most maxBytes of text, cut before a Big5 pair that would not fit.
std::string CutAtCharBoundary(std::string_view text, std::size_t maxBytes);

// The terminal's one argument: "telnet://" Alias ";" Address ";" Port, with
// every blank as the full-width blank A1 40 and every ":" of the alias as
// the full-width colon A1 47 (the link grammar would read a ":" as the end
// of the host).
std::string StartArgument(std::string_view alias, std::string_view address, int port);

} // namespace sitelist
