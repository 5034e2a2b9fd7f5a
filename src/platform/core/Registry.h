// The registry functions the terminal uses, kept in their shape. The one
// key this system reads and writes, the open command of telnet links
// (HKEY_CLASSES_ROOT "telnet\shell\open\command"), maps onto the desktop's
// telnet-link handler (TelnetHandler.h); any other key does not open.
#pragma once
#include <string>

namespace win {

using HKEY = unsigned;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_ACCESS_DENIED = 5;

// The key path of the telnet link's open command.
constexpr const char* TelnetOpenCommandKey = "telnet\\shell\\open\\command";

// Reads a key's default value; ERROR_SUCCESS, or ERROR_FILE_NOT_FOUND when
// the key does not open. A key that opens without a value reads as "".
long GetRegistryDefaultValue(HKEY root, const std::string& keyPath, std::string& value);
// Writes a key's default value, creating the key; false when it cannot.
bool SetRegistryDefaultValue(HKEY root, const std::string& keyPath, const std::string& value);

} // namespace win
