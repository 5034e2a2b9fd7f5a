// Profile (ini) files: "[section]" lines and "key=value" lines, read and
// written as raw bytes (Big5 names and values pass untouched).
//
// Matching and reading follow the profile rules the stored files were made
// with: section and key names compare without regard to ASCII letter case
// (the second byte of a Big5 pair is never folded, so two characters that
// differ only there stay different); names and values lose surrounding blanks
// and a value loses one pair of surrounding quotes; a missing key gives the
// caller's default; sections and keys are listed in file order. Lines are
// read with CR LF, LF or CR ends and written with CR LF.
//
// A file is opened for one operation and closed at once. Every write replaces
// the whole file atomically (a temporary file beside it, then a rename), so a
// failed write leaves the old file as it was; a file that exists but cannot
// be read is never overwritten.
#pragma once
#include "platform/core/Files.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// A write of a profile file failed; the message names the file and the cause.
using EIniFileException = EFileError;

// Case-insensitive comparison of names as the profile rules do it.
bool SameProfileName(std::string_view a, std::string_view b);

// The text as a whole integer (optional sign, decimal digits, or hex after
// "0x" or "$"), or def when it is anything else, empty included.
int StrToIntDef(std::string_view text, int def);
// Leading decimal digits with an optional sign; whatever follows is ignored
// and text without digits gives 0. Out-of-range values saturate.
int LeadingInt(std::string_view text);

// The contents of one profile file, parsed. Lines that are neither sections
// nor keys (comments, blank lines, keys before any section) are kept as they
// were, so rewriting changes only what was asked for.
class TIniText {
public:
    TIniText() = default;
    explicit TIniText(std::string_view bytes) { Parse(bytes); }
    void Parse(std::string_view bytes);
    // The file's bytes, every line ended by CR LF.
    std::string Text() const;

    // Look-ups go through an index of sections and keys that the first one
    // builds, so reading every key of a file of N lines costs O(N), not
    // O(N^2). Finds a key; sections that share a name read as one.
    bool Find(std::string_view section, std::string_view key, std::string* value) const;
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;
    bool HasSection(std::string_view section) const;

    // Sets a key: replaces the value of an existing key, else adds the key at
    // the end of its section, adding the section at the end of the file when
    // needed. CR, LF and NUL in names and values become blanks so one write
    // can never add lines. Throws EIniFileException for a key name that
    // cannot be written (empty, or holding "=", or starting with "[" or ";").
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of the key; false when it was not there.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes every line of every key of the section for which drop(name)
    // is true, in one pass; returns how many lines went.
    std::size_t DeleteKeys(std::string_view section,
                           const std::function<bool(std::string_view)>& drop);
    // Removes every section of that name with its lines; false when none.
    bool EraseSection(std::string_view section);

    // How many times the index was built (tests count the scans).
    int IndexBuilds() const { return FIndexBuilds; }

private:
    enum class TKind : unsigned char { Other, Section, Key };
    // One line as it stands in the file; the trimmed name and the trimmed,
    // unquoted value are spans of it.
    struct TLine {
        std::string Raw;
        std::uint32_t NameAt = 0, NameLen = 0, ValueAt = 0, ValueLen = 0;
        TKind Kind = TKind::Other;
        std::string_view Name() const { return std::string_view(Raw).substr(NameAt, NameLen); }
        std::string_view Value() const { return std::string_view(Raw).substr(ValueAt, ValueLen); }
    };
    struct TIndex;
    static TLine ParseLine(std::string raw);
    const TIndex& Index() const;
    void Changed() { FIndex.reset(); }
    void Inserted(std::size_t at, std::string_view foldedSection);
    std::vector<TLine> Lines;
    mutable std::shared_ptr<TIndex> FIndex;
    mutable int FIndexBuilds = 0;
};

// A profile file by name, in the shape the forms use. Reading never fails
// (a missing or unreadable file reads as empty); writing throws
// EIniFileException when the file cannot be written. Writes from several
// threads of the process are serialised.
class TIniFile {
public:
    explicit TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}
    const std::string& FileName() const { return FFileName; }

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view def) const;
    // StrToIntDef of the value: a value that is not a whole number gives def.
    int ReadInteger(std::string_view section, std::string_view ident, int def) const;
    // True for any non-zero integer; a value that is not a number gives def.
    bool ReadBool(std::string_view section, std::string_view ident, bool def) const;
    // Key names of a section, in file order, each once.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // Section names in file order, each once.
    std::vector<std::string> ReadSections() const;
    // "key=value" for every key of a section, values as read.
    std::vector<std::string> ReadSectionValues(std::string_view section) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;

    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view ident, int value);
    // Written as "1" or "0".
    void WriteBool(std::string_view section, std::string_view ident, bool value);
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view ident);

private:
    TIniText Load() const;
    template <class F> void Update(F change);
    std::string FFileName;
};

// The profile functions by file name. The integer reader takes the leading
// digits of the value (0 when there are none) and def for a missing key.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& fileName);
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::string& fileName);
// key == nullptr erases the section; value == nullptr deletes the key.
// False when the file could not be written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const std::string& fileName);

} // namespace win
