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

// Who may read the file a write leaves.
enum class TFileAccess {
    Keep,          // an existing file keeps its mode; a new one gets the usual one
    KeepOrPrivate, // an existing file keeps its mode; a new one is the user's only
    Private,       // the user's only (0600) whatever mode it had: it holds secrets
};

// What a symbolic link at the path means to a write.
enum class TLinkRule {
    WriteThrough, // the file it points to is replaced; the link stays
    Replace,      // the link itself is replaced; what it points to is never touched
};

struct TWriteOptions {
    TFileAccess Access = TFileAccess::Keep;
    TLinkRule Links = TLinkRule::WriteThrough;
};

// Replaces a file's contents atomically: a temporary file in the same folder
// (".name.tmpNNN", locked while the write runs) is written and renamed over
// it, so readers see the old or the new contents, never a part, and a
// failed write leaves the folder as it was. An existing file keeps its
// owner and must be writable by the caller (a read-only file stays as it
// is). Leftovers of earlier writes of the same file that were killed before
// their rename are removed first. Throws EFileError.
void WriteFileAtomic(const std::string& path, std::string_view bytes,
                     const TWriteOptions& options = {});

// A file of the user's private temp folder: never written through a link
// planted there, and the user's only.
inline void WriteTempFileAtomic(const std::string& path, std::string_view bytes) {
    WriteFileAtomic(path, bytes, {TFileAccess::Private, TLinkRule::Replace});
}

// Removes the temporary copies that writes of path (through a link: of the
// file it points to) left when they were killed: the writer's own naming
// pattern, files of the calling user that no running write holds.
void RemoveStaleTemporaries(const std::string& path);

} // namespace win
