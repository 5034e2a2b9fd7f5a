// The line grammar of the site-list file. Every text here is Big5 bytes as
// the file holds them.
//
//   folder at depth d:  d times "-", "/", the folder name
//   site of a folder d: d + 1 times "-", "//", Alias ";" Address ";" Port ";" Remark
//
// A line's depth is its count of leading "-"; "//" after the dashes makes it
// a site line, whose depth is one less.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace sitelist {

struct TLineDepth {
    bool IsSite = false;
    int Depth = 0;
};

// Depth and kind of a line by its leading dashes.
TLineDepth ParseLineDepth(std::string_view line);

// The bytes from pos up to the next ";" (pos ends after it), or to the end.
std::string ReadField(std::string_view line, std::size_t& pos);

// The fields of one site.
struct TSiteFields {
    std::string Alias;
    std::string Address;
    std::string Port;
    std::string Remark;
    bool operator==(const TSiteFields&) const = default;
};

// Fields of a site line; the remark is the rest of the line after the third ";".
TSiteFields ParseSiteLine(std::string_view line);
// The line of a site in a folder of the given depth.
std::string FormatSiteLine(int folderDepth, const TSiteFields& site);
// The name of a folder line (the text after its dashes and "/").
std::string FolderLineName(std::string_view line);
std::string FormatFolderLine(int depth, std::string_view name);

// A site line with its alias replaced; every other byte stays.
std::string ReplaceAlias(std::string_view line, std::string_view alias);

// The line with its leading dashes replaced by max(0, dashes + shift).
std::string ShiftLineDepth(std::string_view line, int shift);

// "X" -> prefix + " - X"; prefix + " - X" -> prefix + " (2) - X";
// prefix + " (n) - X" -> prefix + " (n+1) - X".
std::string MakeCopyName(std::string_view name, std::string_view prefix);

// Names the copies pasted into a folder: a name taken is unique among the
// names given at the start and those taken before, found by CopyPrefix()
// steps of MakeCopyName. Where each walk along such a chain of names ended
// is remembered, so pasting n copies of one name costs O(n) steps in all.
class TCopyNamer {
public:
    explicit TCopyNamer(const std::vector<std::string>& taken);
    std::string Take(const std::string& name);

private:
    std::unordered_set<std::string> FTaken;
    // A taken name -> the name its last walk ended at; every name of the
    // chain between them is taken.
    std::unordered_map<std::string, std::string> FResume;
};

// The port a site's port text connects to: the text as a whole number,
// 23 when it is not one.
int PortNumber(std::string_view text);

// Reasons an edited text cannot be stored (UTF-8 messages for an error box);
// empty when it can.
std::string CheckSiteFields(const TSiteFields& site);
std::string CheckFolderName(std::string_view name);
// A remark as it can stand in one line: a trailing line break is dropped and
// every other line break becomes one blank.
std::string OneLineRemark(std::string_view remark);

// The message shown for text that has no Big5 form (UTF-8).
std::string NoBig5Message();

// Built-in texts as Big5 bytes.
const std::string& NewFolderName();  // "新資料匣"
const std::string& NewSiteAlias();   // "新站台"
const std::string& NewSiteAddress(); // "位址"
const std::string& NewPrefix();      // "新增"
const std::string& CopyPrefix();     // "複製"

// The lines of a file: CR LF, LF or CR ends; a final line end adds no line.
// endsWithLineEnd tells whether the last line had one (true for no bytes).
void SplitLines(std::string_view bytes, std::vector<std::string>& lines, bool& endsWithLineEnd);

} // namespace sitelist
