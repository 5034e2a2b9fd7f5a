// One edit of a profile file as one atomic write: the file is read once,
// every change of the operation is made on the parsed text, and the result
// replaces the file in one rename. A failure therefore leaves the file as it
// was, never half of a site or half of a key map.
#pragma once
#include "platform/core/IniFile.h"

#include <string>
#include <string_view>

namespace session {

// The value as the writer stores it: one that starts or ends with a blank or
// a quote is put in one pair of double quotes, which readers drop, so it
// reads back exactly (profile readers trim blanks and one pair of quotes).
std::string QuoteProfileValue(std::string_view value);

// Sets a key with a quoted value where needed.
void SetProfileValue(win::TIniText& text, std::string_view section, std::string_view key,
                     std::string_view value);

// The parsed file for reading: a missing or unreadable file reads as empty.
win::TIniText ReadProfile(const std::string& path);

// The parsed file for an edit: missing reads as empty; a file that exists
// but cannot be read throws win::EFileError (it must not be overwritten).
win::TIniText ReadProfileForEdit(const std::string& path);

// Replaces the file with the text in one atomic write. A file that does not
// exist yet is created readable and writable by the user only; an existing
// one keeps its mode. Throws win::EFileError.
void WriteProfile(const std::string& path, const win::TIniText& text);

// Replaces a file that holds secrets (login texts, the address-book
// password) in one atomic write: it is left readable and writable by the
// user only, whatever mode it had. Throws win::EFileError.
void WritePrivateFile(const std::string& path, std::string_view bytes);

} // namespace session
