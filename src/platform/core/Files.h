// Whole-file reads and atomic whole-file writes for the programs' settings
// and list files.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace win {

// A file could not be read or written; the message names the file and why.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Files bigger than this are not settings files; reading one fails.
constexpr std::size_t kMaxSettingsFileSize = 64u << 20;

// Reads a whole file into out. False (out empty) when it does not exist;
// throws EFileError when it exists but cannot be read (a folder, no
// permission, too big, an I/O error).
bool ReadWholeFile(const std::string& path, std::string& out);

// Replaces a file's contents atomically: a temporary file in the same folder
// is written and renamed over it, so readers see the old or the new
// contents, never a part. Through a symbolic link the file it points to is
// replaced. An existing file keeps its permissions and must be writable by
// the caller (a read-only file stays as it is). Throws EFileError.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

} // namespace win
